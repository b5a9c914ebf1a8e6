// Test support for byte buffers: hex literals both ways and reproducible random bytes.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace zt::test {

using Bytes = std::vector<std::uint8_t>;

// "0123abcd" -> {0x01, 0x23, 0xab, 0xcd}; the tests pass well-formed literals only.
inline Bytes fromHex(std::string_view hex) {
  auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>((nibble(hex[i]) << 4) | nibble(hex[i + 1])));
  }
  return bytes;
}

inline std::string toHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const unsigned char c : bytes) text += {kDigits[c >> 4], kDigits[c & 15]};
  return text;
}

inline Bytes randomBytes(std::mt19937& random, std::size_t count) {
  Bytes bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random() & 0xff);
  return bytes;
}

}  // namespace zt::test
