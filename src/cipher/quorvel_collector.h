// Finding Quorvel packets in the bytes of one stream. A link keeps no message boundaries:
// packets sent back to back arrive together, one packet may arrive in several chunks, and a byte
// may be lost, added or changed on the way. Packets carry no header, only a length trailer at
// their end, so a reading is trusted only as far as chains of packets bear it out (see
// quorvel_chains.h).
//
// QuorvelCollector hands out everything added exactly once and in order, as pieces: whole
// packets and bytes given up. The pieces handed out followed by the bytes still waiting are
// always exactly the bytes added.
//  - Bytes that came in a few chunks and, read back from the end of the latest, are whole
//    packets from the start of what waits come out at once: one packet per chunk, several per
//    chunk, or one packet in a few pieces.
//  - Otherwise a packet comes out once no longer one can still arrive and it is the one reading
//    whose chain goes on (or, the chain broken just after it, the one that goes furthest). A
//    packet one byte short is given up whole; a byte in front of a packet is given up alone.
//    While fewer bytes than the longest packet wait, only a chain of three packets counts.
//  - Out of step (at first, and when nothing fits), bytes are given up until a position starts
//    three links, or two packets that end the latest chunk.
//  - flush() is for quiet on the line: no more bytes are coming for now. It hands out the best
//    reading of what waits and gives up the rest; the next bytes are taken as a packet's start.
// The collector knows no clock: the caller decides when the line has been quiet.
// Threads: a collector belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "cipher/quorvel_chains.h"

namespace zt {

class QuorvelCollector {
 public:
  // Readings still apart after this many bytes are no stream of ours: the preferred one is
  // taken. No more bytes than this wait after any call.
  static constexpr std::size_t kMaxPending = 3 * PacketChains::kLongest;

  struct Piece {
    enum class Kind : std::uint8_t { Packet, GivenUp };
    Kind kind;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const Piece&, const Piece&) = default;
  };
  using Pieces = std::vector<Piece>;

  // Adds a chunk to the bytes waiting and hands out what they now show.
  Pieces add(std::span<const std::uint8_t> chunk);
  // Hands out everything waiting: packets where a reading holds, the rest given up.
  Pieces flush();
  std::size_t pending() const { return bytes_.size(); }

 private:
  Pieces collect(bool final);
  // One decision at start_; false when it must wait for more bytes.
  bool step(Pieces& out, bool final);
  // In step, fewer bytes waiting than the longest packet.
  bool stepOpen(Pieces& out);
  bool stepInStep(Pieces& out, bool final);
  // Out of step: gives up bytes up to a position that proves to start packets.
  bool resync(Pieces& out, bool final);
  void follow(const PacketChains::Link& link, Pieces& out);
  // Hands out the bytes from start_ to `end` as one piece.
  void hand(Piece::Kind kind, std::size_t end, Pieces& out);
  // Whether start_ is where a chunk began and the bytes from there came in a few chunks.
  bool cameWhole();

  std::vector<std::uint8_t> bytes_;        // waiting
  std::uint64_t consumed_ = 0;             // bytes handed out so far
  std::deque<std::uint64_t> chunkStarts_;  // where the chunks waiting began, counted from the first
  std::size_t start_ = 0;                  // within bytes_, during collect()
  bool inStep_ = false;    // whether start_ is believed to be where a packet starts
  bool forcing_ = false;   // during collect(): readings that stay apart are being cut short
  PacketChains chains_;    // what collect() works out, its storage kept
};

}  // namespace zt
