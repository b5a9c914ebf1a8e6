#include "settings/utf8_sequence.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace zt {
namespace {

bool IsContinuation(std::uint8_t byte) { return (byte & 0xC0U) == 0x80U; }

// Lowest and highest allowed second byte after `lead`, which rules out overlong forms,
// encoded surrogates and values above U+10FFFF.
std::pair<std::uint8_t, std::uint8_t> SecondByteRange(std::uint8_t lead) {
  switch (lead) {
    case 0xE0: return {0xA0, 0xBF};
    case 0xED: return {0x80, 0x9F};
    case 0xF0: return {0x90, 0xBF};
    case 0xF4: return {0x80, 0x8F};
    default: return {0x80, 0xBF};
  }
}

// The length of the character that `lead` begins; 0 when no character begins with it.
std::size_t SequenceLength(std::uint8_t lead) {
  if (lead < 0x80U) return 1;
  if (lead >= 0xC2U && lead <= 0xDFU) return 2;
  if (lead >= 0xE0U && lead <= 0xEFU) return 3;
  if (lead >= 0xF0U && lead <= 0xF4U) return 4;
  return 0;
}

}  // namespace

Utf8Sequence ScanUtf8(std::string_view text, std::size_t pos) {
  constexpr Utf8Sequence kInvalid{Utf8Sequence::Kind::Invalid, 1};
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  const std::size_t length = SequenceLength(lead);
  if (length == 0) return kInvalid;
  const std::size_t present = std::min(length, text.size() - pos);
  if (present >= 2) {
    const auto [low, high] = SecondByteRange(lead);
    const auto second = static_cast<std::uint8_t>(text[pos + 1]);
    if (second < low || second > high) return kInvalid;
  }
  for (std::size_t i = 2; i < present; ++i) {
    if (!IsContinuation(static_cast<std::uint8_t>(text[pos + i]))) return kInvalid;
  }
  if (present < length) return {Utf8Sequence::Kind::Truncated, present};
  return {Utf8Sequence::Kind::Valid, length};
}

}  // namespace zt
