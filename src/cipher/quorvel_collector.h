// Finding Quorvel packets in received bytes. A link keeps no message boundaries: packets sent
// back to back may arrive together, and one packet may arrive in several chunks. Packets carry
// no header, only the 2-byte length trailer at their end, so a run of bytes is read from its
// end: the last two bytes give the last packet's length, the bytes before it the one before,
// and so on; the run is whole packets when this walk lands exactly on its start.
//
// QuorvelCollector keeps the bytes of one stream until they form whole packets. Bytes that have
// not formed whole packets once more than 64 KiB are waiting are no packet train: they are
// given up. Threads: SplitQuorvelPackets is pure; a collector belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zt {

// One packet within a run of bytes.
struct PacketSpan {
  std::size_t offset;
  std::size_t length;
};

// The packets that `bytes` is made of, first to last; empty when it is not whole packets.
std::vector<PacketSpan> SplitQuorvelPackets(std::span<const std::uint8_t> bytes);

class QuorvelCollector {
 public:
  static constexpr std::size_t kMaxPending = std::size_t{64} * 1024;

  struct Batch {
    std::vector<std::vector<std::uint8_t>> packets;  // whole packets, in the order sent
    std::vector<std::uint8_t> givenUp;               // bytes that formed no packets in time
  };

  // Adds a chunk to the bytes waiting and takes out the packets they now form.
  Batch add(std::span<const std::uint8_t> chunk);
  std::size_t pending() const { return pending_.size(); }

 private:
  std::vector<std::uint8_t> pending_;
};

}  // namespace zt
