// Fuzzes the opening of Quorvel packets with arbitrary bytes and output capacities. Input: one
// byte choosing the output capacity (twice its value), then the packet. Buffers are sized
// exactly, so any access out of bounds is caught by AddressSanitizer.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void OpenArbitraryPacket(std::size_t capacity, std::span<const std::uint8_t> packet) {
  std::vector<std::uint8_t> out(capacity);
  const auto length = zt::QuorvelDecipher(packet, out);
  if (length) Check(*length <= capacity && *length + 2 <= packet.size());
}

void DecipherRawBlocks(std::span<const std::uint8_t> data) {
  const auto length = static_cast<std::uint16_t>(data.size() & 0xffffU);
  std::vector<std::uint8_t> out((std::size_t{length} + 7) & ~std::size_t{7});
  Check(zt::TripleDesDecipher(length, data.first(length), out));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> input(data, size);
  OpenArbitraryPacket(std::size_t{input[0]} * 2, input.subspan(1));
  DecipherRawBlocks(input.subspan(1));
  return 0;
}
