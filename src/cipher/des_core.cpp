#include "cipher/des_core.h"

#include <bit>
#include <utility>

#include "cipher/des_tables.h"

namespace zt::des {
namespace {

// Exchanges the bits of `a >> shift` selected by `mask` with the same bits of `b`.
constexpr void SwapBits(std::uint32_t& a, std::uint32_t& b, unsigned shift, std::uint32_t mask) {
  const std::uint32_t t = ((a >> shift) ^ b) & mask;
  b ^= t;
  a ^= t << shift;
}

// IP on the block held as two big-endian halves; leaves L0 in l and R0 in r.
constexpr void InitialPermutation(std::uint32_t& l, std::uint32_t& r) {
  SwapBits(l, r, 4, 0x0f0f0f0fU);
  SwapBits(l, r, 16, 0x0000ffffU);
  SwapBits(r, l, 2, 0x33333333U);
  SwapBits(r, l, 8, 0x00ff00ffU);
  SwapBits(l, r, 1, 0x55555555U);
}

// The inverse of InitialPermutation: the same swaps in reverse order.
constexpr void FinalPermutation(std::uint32_t& l, std::uint32_t& r) {
  SwapBits(l, r, 1, 0x55555555U);
  SwapBits(r, l, 8, 0x00ff00ffU);
  SwapBits(r, l, 2, 0x33333333U);
  SwapBits(l, r, 16, 0x0000ffffU);
  SwapBits(l, r, 4, 0x0f0f0f0fU);
}

// A bit permutation is linear, so matching the table on every single-bit input proves it.
constexpr bool SwapsMatchTables() {
  for (unsigned bit = 0; bit < 64; ++bit) {
    const std::uint64_t in = std::uint64_t{1} << bit;
    auto l = static_cast<std::uint32_t>(in >> 32);
    auto r = static_cast<std::uint32_t>(in);
    InitialPermutation(l, r);
    if (((std::uint64_t{l} << 32) | r) != Permute(in, 64, kIp)) return false;
    l = static_cast<std::uint32_t>(in >> 32);
    r = static_cast<std::uint32_t>(in);
    FinalPermutation(l, r);
    if (((std::uint64_t{l} << 32) | r) != Permute(in, 64, kFp)) return false;
  }
  return true;
}
static_assert(SwapsMatchTables());

// The eight 6-bit groups of a half in rotated form, as the round function reads them, packed
// group 1 first into 48 bits.
constexpr std::uint64_t GroupsOfRotatedHalf(std::uint32_t x) {
  const std::uint32_t t = std::rotr(x, 4);
  std::uint64_t groups = 0;
  for (unsigned shift : {24U, 16U, 8U, 0U}) {
    groups = (groups << 12) | (((t >> shift) & 63U) << 6) | ((x >> shift) & 63U);
  }
  return groups;
}

constexpr bool GroupsMatchExpansion() {
  for (unsigned bit = 0; bit < 32; ++bit) {
    const std::uint32_t half = std::uint32_t{1} << bit;
    if (GroupsOfRotatedHalf(std::rotl(half, 1)) != Permute(half, 32, kE)) return false;
  }
  return true;
}
static_assert(GroupsMatchExpansion());

constexpr std::uint32_t Rotate28(std::uint32_t v, unsigned n) {
  return ((v << n) | (v >> (28 - n))) & 0x0fffffffU;
}

RoundKey SplitSubkey(std::uint64_t subkey) {
  RoundKey key;
  for (unsigned group = 0; group < 8; ++group) {
    const auto bits = static_cast<std::uint32_t>((subkey >> (42 - 6 * group)) & 63U);
    std::uint32_t& word = (group % 2 == 0) ? key.odd : key.even;
    word |= bits << (24 - 8 * (group / 2));
  }
  return key;
}

inline std::uint32_t RoundFunction(std::uint32_t x, const RoundKey& key) {
  const std::uint32_t u = x ^ key.even;
  const std::uint32_t t = std::rotr(x, 4) ^ key.odd;
  return kSp[1][u >> 24] ^ kSp[3][(u >> 16) & 0xffU] ^ kSp[5][(u >> 8) & 0xffU] ^
         kSp[7][u & 0xffU] ^ kSp[0][t >> 24] ^ kSp[2][(t >> 16) & 0xffU] ^
         kSp[4][(t >> 8) & 0xffU] ^ kSp[6][t & 0xffU];
}

// Sixteen rounds on halves in rotated form; ends with the halves exchanged, which is the
// preoutput of the standard and, since the final permutation of this pass and the initial one
// of the next cancel, the next pass's input.
inline void EncipherPass(const SubkeySet& keys, std::uint32_t& l, std::uint32_t& r) {
#pragma GCC unroll 8
  for (unsigned i = 0; i < 16; i += 2) {
    l ^= RoundFunction(r, keys[i]);
    r ^= RoundFunction(l, keys[i + 1]);
  }
  std::swap(l, r);
}

inline void DecipherPass(const SubkeySet& keys, std::uint32_t& l, std::uint32_t& r) {
#pragma GCC unroll 8
  for (unsigned i = 16; i > 0; i -= 2) {
    l ^= RoundFunction(r, keys[i - 1]);
    r ^= RoundFunction(l, keys[i - 2]);
  }
  std::swap(l, r);
}

inline std::uint32_t LoadBigEndian(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

inline void StoreBigEndian(std::uint32_t v, std::uint8_t* p) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

// Runs `passes` on every whole block of in: IP and rotation into rotated form once before,
// the inverse once after.
template <typename Passes>
void ForEachBlock(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, Passes passes) {
  const std::size_t blocks = in.size() / 8;
  for (std::size_t b = 0; b < blocks; ++b) {
    std::uint32_t l = LoadBigEndian(&in[8 * b]);
    std::uint32_t r = LoadBigEndian(&in[8 * b + 4]);
    InitialPermutation(l, r);
    l = std::rotl(l, 1);
    r = std::rotl(r, 1);
    passes(l, r);
    l = std::rotr(l, 1);
    r = std::rotr(r, 1);
    FinalPermutation(l, r);
    StoreBigEndian(l, &out[8 * b]);
    StoreBigEndian(r, &out[8 * b + 4]);
  }
}

}  // namespace

SubkeySet MakeSubkeySet(std::span<const std::uint8_t, 8> key) {
  std::uint64_t bits = 0;
  for (std::uint8_t byte : key) bits = (bits << 8) | byte;
  const std::uint64_t cd = Permute(bits, 64, kPc1);
  auto c = static_cast<std::uint32_t>(cd >> 28);
  auto d = static_cast<std::uint32_t>(cd & 0x0fffffffU);
  SubkeySet set;
  for (unsigned round = 0; round < 16; ++round) {
    c = Rotate28(c, kShifts[round]);
    d = Rotate28(d, kShifts[round]);
    set[round] = SplitSubkey(Permute((std::uint64_t{c} << 28) | d, 56, kPc2));
  }
  return set;
}

void EdeEncipherBlocks(const SubkeyTable& table, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out) {
  ForEachBlock(in, out, [&table](std::uint32_t& l, std::uint32_t& r) {
    EncipherPass(table.sets[0], l, r);
    DecipherPass(table.sets[1], l, r);
    EncipherPass(table.sets[2], l, r);
  });
}

void EdeDecipherBlocks(const SubkeyTable& table, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out) {
  ForEachBlock(in, out, [&table](std::uint32_t& l, std::uint32_t& r) {
    DecipherPass(table.sets[2], l, r);
    EncipherPass(table.sets[1], l, r);
    DecipherPass(table.sets[0], l, r);
  });
}

}  // namespace zt::des
