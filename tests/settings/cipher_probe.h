// Test support: the cipher's subkeys seen from outside, through one fixed block enciphered
// under whatever key is in force.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "cipher/triple_des.h"
#include "settings/quorvel_key_buffer.h"

namespace zt::test {

// Puts `key` in force the way every caller of the cipher does.
inline void SetCipherKey(std::string_view key) { QuorvelSetKey(QuorvelKeyBuffer(key)); }

inline std::array<std::uint8_t, 8> EncipherProbe() {
  std::array<std::uint8_t, 8> block = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  std::array<std::uint8_t, 8> out{};
  std::uint32_t written = 0;
  return TripleDesEncipher(8, block, out, written) ? out : std::array<std::uint8_t, 8>{};
}

}  // namespace zt::test
