#include "cipher/quorvel_collector.h"

#include <utility>

#include "cipher/quorvel_packet.h"

namespace zt {

std::vector<PacketSpan> SplitQuorvelPackets(std::span<const std::uint8_t> bytes) {
  std::vector<PacketSpan> packets;
  std::size_t end = bytes.size();
  while (end > 0) {
    if (end < 2) return {};
    const std::size_t plain = bytes[end - 2] | (static_cast<std::size_t>(bytes[end - 1]) << 8U);
    const std::size_t cipher = (plain + 7) / 8 * 8;
    if (plain > kQuorvelMaxPlaintext || cipher + 2 > end) return {};
    packets.push_back({end - cipher - 2, cipher + 2});
    end -= cipher + 2;
  }
  return {packets.rbegin(), packets.rend()};
}

QuorvelCollector::Batch QuorvelCollector::add(std::span<const std::uint8_t> chunk) {
  pending_.insert(pending_.end(), chunk.begin(), chunk.end());
  Batch batch;
  const std::vector<PacketSpan> spans = SplitQuorvelPackets(pending_);
  if (spans.empty()) {
    if (pending_.size() > kMaxPending) batch.givenUp = std::exchange(pending_, {});
    return batch;
  }
  batch.packets.reserve(spans.size());
  for (const PacketSpan& span : spans) {
    const auto* first = pending_.data() + span.offset;
    batch.packets.emplace_back(first, first + span.length);
  }
  pending_.clear();
  return batch;
}

}  // namespace zt
