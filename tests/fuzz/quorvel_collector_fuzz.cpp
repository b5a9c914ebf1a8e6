// Fuzzes finding packets in a stream cut into arbitrary chunks. Input: records of one control
// byte and the chunk it announces: 0xFF is quiet on the line (a flush); below 0x80 the next
// value + 1 bytes; from 0x80 on, (value - 0x80) * 64 + 1 bytes. Checks that the pieces handed out
// and the bytes still waiting are always exactly the bytes added, that nothing waits beyond the
// bound, and that every packet handed out has a packet's shape.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "cipher/quorvel_collector.h"
#include "cipher/quorvel_packet.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void Keep(const zt::QuorvelCollector::Pieces& pieces, std::vector<std::uint8_t>& handed) {
  for (const auto& piece : pieces) {
    Check(!piece.bytes.empty());
    if (piece.kind == zt::QuorvelCollector::Piece::Kind::Packet) {
      const std::size_t size = piece.bytes.size();
      Check(size >= 2 && size <= zt::kQuorvelMaxCiphertext + 2 && size % 8 == 2);
      const std::size_t plain = piece.bytes[size - 2] | (piece.bytes[size - 1] << 8U);
      Check(plain <= zt::kQuorvelMaxPlaintext && (plain + 7) / 8 * 8 == size - 2);
    }
    handed.insert(handed.end(), piece.bytes.begin(), piece.bytes.end());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  zt::QuorvelCollector collector;
  std::vector<std::uint8_t> added;
  std::vector<std::uint8_t> handed;
  for (std::size_t at = 0; at < input.size();) {
    const std::uint8_t control = input[at++];
    if (control == 0xFF) {
      Keep(collector.flush(), handed);
      Check(collector.pending() == 0);
      continue;
    }
    const std::size_t wanted = control < 0x80 ? control + 1U : (control - 0x80U) * 64U + 1U;
    const auto chunk = input.subspan(at, std::min(wanted, input.size() - at));
    at += chunk.size();
    added.insert(added.end(), chunk.begin(), chunk.end());
    Keep(collector.add(chunk), handed);
    Check(collector.pending() <= zt::QuorvelCollector::kMaxPending);
    Check(handed.size() + collector.pending() == added.size());
  }
  Keep(collector.flush(), handed);
  Check(handed == added);
  return 0;
}
