// Helpers shared by the cipher tests: hex literals and reproducible random bytes.
#pragma once

#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace zt::test {

// "0123abcd" -> {0x01, 0x23, 0xab, 0xcd}; the tests pass well-formed literals only.
inline std::vector<std::uint8_t> FromHex(std::string_view hex) {
  auto nibble = [](char c) {
    return static_cast<std::uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  };
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>((nibble(hex[i]) << 4) | nibble(hex[i + 1])));
  }
  return bytes;
}

inline std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t count) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<std::uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(random));
  return bytes;
}

}  // namespace zt::test
