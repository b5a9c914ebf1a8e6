// Where Quorvel packets could lie in a run of received bytes, and how well each reading holds.
// A packet has no header: from a position, a run of 2 + m bytes (m = 0, 8, ..., 392) is a
// candidate when its last two bytes give a length n, low byte first, with m = n rounded up to 8.
// Random bytes offer a candidate at about one position in 160, so one candidate proves little;
// a chain of candidates, each starting where the one before ends, proves much. A packet that
// lost or gained one byte on the way keeps its trailer one byte off a candidate's place: such a
// near candidate (a link of another kind) lets a chain go on past a damaged packet.
//
// PacketChains reads a run of bytes, answers questions about it and remembers what it has worked
// out. It views the bytes, which must stay unchanged until the next read(); reading again keeps
// the storage, so a collector can read after every chunk without allocating. `final` says that
// no more bytes will follow these. Threads: one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zt {

class PacketChains {
 public:
  // The longest packet: 392 bytes of plaintext, 392 of ciphertext, the trailer.
  static constexpr std::size_t kLongest = 394;
  // Chain lengths are counted up to this; a chain that reaches the end counts this much.
  static constexpr int kEnough = 3;

  enum class Kind : std::uint8_t {
    Packet,  // a whole packet
    Short,   // a packet one byte short: its trailer sits one byte early
    Long,    // a packet one byte long: its trailer sits one byte late
  };
  struct Link {
    Kind kind;
    std::size_t end;
  };

  void read(std::span<const std::uint8_t> bytes, bool final);

  // The links from `pos` whose bytes have all come, shortest first; near ones only with
  // `nearToo`.
  std::vector<Link> links(std::size_t pos, bool nearToo) const;
  // Whether bytes still to come may complete a longer packet from `pos`.
  bool open(std::size_t pos) const { return !final_ && bytes_.size() - pos < kLongest; }

  // Chain lengths from `pos` over links of every kind, up to kEnough.
  // Counting a chain that reaches an open position or the end as kEnough.
  int reach(std::size_t pos) { return score(kReach, pos, kEnough); }
  // Counting only links that have come.
  int chain(std::size_t pos) { return score(kChain, pos, kEnough); }

  // The whole packets from `pos` that end exactly at the end, read back from the end as far as
  // trailers allow; 0 when `pos` is not a start on that walk.
  std::size_t tail(std::size_t pos) const;
  // Where the packet that starts at `pos` on that walk ends.
  std::size_t tailEnd(std::size_t pos) const;
  // Where the walk back from the end stopped (the end when it took no step).
  std::size_t tailStart() const { return walk_.empty() ? bytes_.size() : walk_.back(); }

 private:
  enum Flavour { kReach, kChain, kFlavours };

  void indexLinks();
  template <class Visit>
  void forEachLink(std::size_t pos, bool nearToo, Visit visit) const;
  // Up to `cap`; remembered once known.
  int score(Flavour flavour, std::size_t pos, int cap);

  std::span<const std::uint8_t> bytes_;
  bool final_ = false;
  std::vector<std::pair<std::size_t, Link>> found_;  // links and their starts, as found
  std::vector<Link> links_;                          // grouped by where they start
  std::vector<std::uint32_t> firstLink_;  // per position: where its links begin in links_
  std::vector<std::size_t> walk_;  // starts found walking back from the end, last packet first
  std::vector<std::int8_t> memo_[kFlavours];  // per position; -1 not yet known
};

}  // namespace zt
