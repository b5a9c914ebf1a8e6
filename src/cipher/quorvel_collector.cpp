#include "cipher/quorvel_collector.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace zt {

namespace {

using Link = PacketChains::Link;
using LinkKind = PacketChains::Kind;

// A chunk that ends inside a packet may end in two bytes that look like the trailer of what came
// before it (8 of the 65536 values fit a given length), so a reading that ends with a chunk is
// trusted only for bytes that came in this many chunks at most: a packet written whole and read
// in a few pieces.
constexpr std::size_t kFewChunks = 8;

// A chain of this many whole packets is taken as proof of where packets start.
constexpr std::size_t kProof = PacketChains::kEnough;

// Of several readings, the one taken when no more bytes can tell: a whole packet first.
Link Preferred(const std::vector<Link>& links) {
  const auto whole = std::find_if(links.begin(), links.end(),
                                  [](const Link& link) { return link.kind == LinkKind::Packet; });
  return whole != links.end() ? *whole : links.front();
}

// The whole packets from `pos` that two more links bear out.
std::vector<Link> Proven(PacketChains& chains, std::size_t pos) {
  const std::vector<Link> links = chains.links(pos, false);
  std::vector<Link> proven;
  std::copy_if(links.begin(), links.end(), std::back_inserter(proven),
               [&chains](const Link& link) { return chains.chain(link.end) >= 2; });
  return proven;
}

// Where no reading holds: the whole packet whose chain goes furthest, if one stands out, the
// damage being after it.
std::optional<Link> Furthest(PacketChains& chains, const std::vector<Link>& links) {
  std::optional<Link> best;
  int bestRank = -1;
  bool tie = false;
  for (const Link& link : links) {
    const int rank = chains.reach(link.end) * 2 + (link.kind == LinkKind::Packet ? 1 : 0);
    tie = rank == bestRank || (tie && rank < bestRank);
    if (rank > bestRank) {
      best = link;
      bestRank = rank;
    }
  }
  if (tie || !best || best->kind != LinkKind::Packet) return std::nullopt;
  return best;
}

}  // namespace

QuorvelCollector::Pieces QuorvelCollector::add(std::span<const std::uint8_t> chunk) {
  if (chunk.empty()) return {};
  chunkStarts_.push_back(consumed_ + bytes_.size());
  bytes_.insert(bytes_.end(), chunk.begin(), chunk.end());
  return collect(false);
}

QuorvelCollector::Pieces QuorvelCollector::flush() {
  Pieces out = collect(true);
  if (!bytes_.empty()) {
    hand(Piece::Kind::GivenUp, bytes_.size(), out);
    consumed_ += bytes_.size();
    bytes_.clear();
    start_ = 0;
  }
  chunkStarts_.clear();
  inStep_ = true;
  return out;
}

QuorvelCollector::Pieces QuorvelCollector::collect(bool final) {
  Pieces out;
  if (bytes_.empty()) return out;
  chains_.read(bytes_, final);
  forcing_ = false;
  while (start_ < bytes_.size() && step(out, final)) {
  }
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(start_));
  consumed_ += start_;
  start_ = 0;
  return out;
}

bool QuorvelCollector::step(Pieces& out, bool final) {
  const PacketChains& chains = chains_;
  if ((final || cameWhole()) && chains.tail(start_) > 0) {
    while (start_ < bytes_.size()) hand(Piece::Kind::Packet, chains.tailEnd(start_), out);
    inStep_ = true;
    return true;
  }
  if (!inStep_) return resync(out, final);
  return chains.open(start_) ? stepOpen(out) : stepInStep(out, final);
}

bool QuorvelCollector::stepOpen(Pieces& out) {
  // A longer packet may still come: go on only where a chain of three proves the way, or where
  // no packet can start here and the bytes up to the end prove to be packets.
  PacketChains& chains = chains_;
  const std::vector<Link> proven = Proven(chains, start_);
  const std::vector<Link> links = chains.links(start_, false);
  const std::size_t tail = chains.tailStart();
  if (proven.size() == 1) {
    hand(Piece::Kind::Packet, proven.front().end, out);
  } else if (links.empty() && tail > start_ && chains.tail(tail) >= kProof) {
    hand(Piece::Kind::GivenUp, tail, out);
  } else {
    return false;
  }
  return true;
}

bool QuorvelCollector::stepInStep(Pieces& out, bool final) {
  PacketChains& chains = chains_;
  const std::vector<Link> links = chains.links(start_, true);
  std::vector<Link> viable;  // the readings whose chains go on
  std::copy_if(links.begin(), links.end(), std::back_inserter(viable),
               [&](const Link& link) { return chains.reach(link.end) >= 2; });
  // Once readings stay apart too long, the preferred one is taken, and again at each next
  // position where readings stay apart.
  const bool apart = bytes_.size() - start_ > kMaxPending;
  forcing_ = viable.size() > 1 && (forcing_ || final || apart);
  if (viable.size() == 1 || (!viable.empty() && forcing_)) {
    follow(Preferred(viable), out);
  } else if (!viable.empty()) {
    return false;  // more bytes will tell the readings apart
  } else if (const std::optional<Link> furthest = Furthest(chains, links)) {
    follow(*furthest, out);
  } else {
    inStep_ = false;
  }
  return true;
}

void QuorvelCollector::follow(const Link& link, Pieces& out) {
  switch (link.kind) {
    case LinkKind::Packet:
      hand(Piece::Kind::Packet, link.end, out);
      break;
    case LinkKind::Short:
      hand(Piece::Kind::GivenUp, link.end, out);
      break;
    case LinkKind::Long:  // a byte in front of a packet, or one added inside it
      hand(Piece::Kind::GivenUp, start_ + 1, out);
      break;
  }
}

bool QuorvelCollector::resync(Pieces& out, bool final) {
  PacketChains& chains = chains_;
  const std::size_t size = bytes_.size();
  std::size_t hopeful = size;
  for (std::size_t pos = start_; pos < size; ++pos) {
    if (!Proven(chains, pos).empty() || chains.tail(pos) >= (final ? 1 : 2)) {
      if (pos > start_) hand(Piece::Kind::GivenUp, pos, out);
      inStep_ = true;
      return true;
    }
    if (hopeful == size && !final && size - pos <= kMaxPending &&
        chains.reach(pos) >= PacketChains::kEnough) {
      hopeful = pos;
    }
  }
  if (hopeful > start_) hand(Piece::Kind::GivenUp, hopeful, out);
  return false;
}

bool QuorvelCollector::cameWhole() {
  const std::uint64_t at = consumed_ + start_;
  while (!chunkStarts_.empty() && chunkStarts_.front() < at) chunkStarts_.pop_front();
  return !chunkStarts_.empty() && chunkStarts_.front() == at && chunkStarts_.size() <= kFewChunks;
}

void QuorvelCollector::hand(Piece::Kind kind, std::size_t end, Pieces& out) {
  const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(start_);
  const auto last = bytes_.begin() + static_cast<std::ptrdiff_t>(end);
  if (kind == Piece::Kind::GivenUp && !out.empty() && out.back().kind == kind) {
    out.back().bytes.insert(out.back().bytes.end(), first, last);
  } else {
    out.push_back({kind, {first, last}});
  }
  start_ = end;
}

}  // namespace zt
