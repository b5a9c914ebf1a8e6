#include "cipher/quorvel_chains.h"

#include <algorithm>
#include <functional>

#include "cipher/quorvel_packet.h"

namespace zt {

namespace {

// The ciphertext length a trailer at `at` announces; nothing for lengths our packets never have.
std::size_t Announced(std::span<const std::uint8_t> bytes, std::size_t at) {
  const std::size_t plain = bytes[at] | (static_cast<std::size_t>(bytes[at + 1]) << 8U);
  return plain > kQuorvelMaxPlaintext ? SIZE_MAX : (plain + 7) / 8 * 8;
}

}  // namespace

void PacketChains::read(std::span<const std::uint8_t> bytes, bool final) {
  bytes_ = bytes;
  final_ = final;
  for (auto& memo : memo_) memo.assign(bytes.size() + 1, -1);
  indexLinks();
  walk_.clear();
  std::size_t end = bytes.size();
  while (end >= 2) {
    const std::size_t cipher = Announced(bytes, end - 2);
    if (cipher == SIZE_MAX || cipher + 2 > end) break;
    end -= cipher + 2;
    walk_.push_back(end);
  }
}

void PacketChains::indexLinks() {
  // Each trailer names one ciphertext length, so it ends at most one link of each kind: a
  // packet one byte short starts one byte later than a whole one, one byte long one earlier.
  found_.clear();
  for (std::size_t at = 0; at + 2 <= bytes_.size(); ++at) {
    const std::size_t cipher = Announced(bytes_, at);
    if (cipher == SIZE_MAX) continue;
    if (cipher > 0 && at + 1 >= cipher) found_.push_back({at + 1 - cipher, {Kind::Short, at + 2}});
    if (at >= cipher) found_.push_back({at - cipher, {Kind::Packet, at + 2}});
    if (at >= cipher + 1) found_.push_back({at - cipher - 1, {Kind::Long, at + 2}});
  }
  // Grouped by start, each group in the order its links end.
  firstLink_.assign(bytes_.size() + 2, 0);
  for (const auto& [start, link] : found_) ++firstLink_[start + 2];
  for (std::size_t i = 2; i < firstLink_.size(); ++i) firstLink_[i] += firstLink_[i - 1];
  links_.resize(found_.size());
  for (const auto& [start, link] : found_) links_[firstLink_[start + 1]++] = link;
}

template <class Visit>
void PacketChains::forEachLink(std::size_t pos, bool nearToo, Visit visit) const {
  for (std::size_t i = firstLink_[pos]; i < firstLink_[pos + 1]; ++i) {
    if ((nearToo || links_[i].kind == Kind::Packet) && !visit(links_[i])) return;
  }
}

std::vector<PacketChains::Link> PacketChains::links(std::size_t pos, bool nearToo) const {
  std::vector<Link> found;
  forEachLink(pos, nearToo, [&found](Link link) {
    found.push_back(link);
    return true;
  });
  return found;
}

int PacketChains::score(Flavour flavour, std::size_t pos, int cap) {
  if (cap == 0) return 0;
  std::int8_t& memo = memo_[flavour][pos];
  if (memo >= 0) return std::min<int>(memo, cap);
  int best = 0;
  if (flavour == kReach && (pos == bytes_.size() || open(pos))) {
    best = kEnough;
  } else {
    forEachLink(pos, true, [&](Link link) {
      best = std::max(best, 1 + score(flavour, link.end, cap - 1));
      return best < cap;
    });
  }
  // A result below the cap is the chain's length; one at a lower cap only says "at least".
  if (best < cap || best == kEnough) memo = static_cast<std::int8_t>(best);
  return std::min(best, cap);
}

std::size_t PacketChains::tail(std::size_t pos) const {
  const auto at = std::lower_bound(walk_.begin(), walk_.end(), pos, std::greater<>());
  if (at == walk_.end() || *at != pos) return 0;
  return static_cast<std::size_t>(at - walk_.begin()) + 1;
}

std::size_t PacketChains::tailEnd(std::size_t pos) const {
  const std::size_t left = tail(pos);
  return left > 1 ? walk_[left - 2] : bytes_.size();
}

}  // namespace zt
