// Test support: looking at the cipher's subkeys from outside, by enciphering one fixed block
// with whatever key is in force.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "cipher/triple_des.h"
#include "settings/quorvel_key_buffer.h"

namespace zt::test {

// Puts `key` in force the way every caller of the cipher does.
inline void SetCipherKey(std::string_view key) { QuorvelSetKey(QuorvelKeyBuffer(key)); }

// One fixed block enciphered with the subkeys in force.
inline std::array<std::uint8_t, 8> EncipherProbe() {
  std::array<std::uint8_t, 8> block = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  std::array<std::uint8_t, 8> out{};
  std::uint32_t written = 0;
  EXPECT_TRUE(TripleDesEncipher(8, block, out, written));
  EXPECT_EQ(written, 8U);
  return out;
}

}  // namespace zt::test
