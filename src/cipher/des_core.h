// The DES engine behind the triple-DES operations: the key schedule of one 8-byte key, and
// two-key triple DES (EDE) over whole 8-byte blocks with a given subkey table.
//
// Table-driven: rounds use the combined S-box/permutation tables of des_tables.h on 32-bit
// halves, and the initial and final permutations are bit swaps, done once per triple-DES block
// (the final permutation of one DES pass and the initial one of the next cancel out).
// Pure functions: the caller owns every buffer and the table, so any number of threads may run
// them at once.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zt::des {

// One 48-bit round subkey split like the expanded half it is combined with: `even` holds groups
// 2, 4, 6, 8 and `odd` groups 1, 3, 5, 7, one 6-bit group in bits 0..5 of each byte, top byte
// first.
struct RoundKey {
  std::uint32_t even = 0;
  std::uint32_t odd = 0;
};

// The sixteen round subkeys of one key, in round order.
using SubkeySet = std::array<RoundKey, 16>;

// Three subkey sets: K1, K2 and K1 again. All zero by default.
struct SubkeyTable {
  std::array<SubkeySet, 3> sets{};
};

// Key schedule of one DES key (PC-1, the shift schedule, PC-2); parity bits are ignored.
SubkeySet MakeSubkeySet(std::span<const std::uint8_t, 8> key);

// Enciphers (decipher: deciphers) in.size() / 8 whole blocks into out, which must be at least as
// large; in and out may be the same buffer.
void EdeEncipherBlocks(const SubkeyTable& table, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out);
void EdeDecipherBlocks(const SubkeyTable& table, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out);

}  // namespace zt::des
