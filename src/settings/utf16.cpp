#include "settings/utf16.h"

#include <cstdint>
#include <utility>

namespace zt {
namespace {

// One step through UTF-8: how many bytes the next character takes and how many UTF-16 units
// it needs. An invalid byte is a one-byte, one-unit step.
struct Step {
  std::size_t bytes;
  std::size_t units;
};

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

Step NextStep(std::string_view text, std::size_t pos) {
  constexpr Step kInvalid{1, 1};
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  if (lead < 0x80U) return {1, 1};
  std::size_t length = 0;
  if (lead >= 0xC2U && lead <= 0xDFU) {
    length = 2;
  } else if (lead >= 0xE0U && lead <= 0xEFU) {
    length = 3;
  } else if (lead >= 0xF0U && lead <= 0xF4U) {
    length = 4;
  } else {
    return kInvalid;
  }
  if (text.size() - pos < length) return kInvalid;
  const auto [low, high] = SecondByteRange(lead);
  const auto second = static_cast<std::uint8_t>(text[pos + 1]);
  if (second < low || second > high) return kInvalid;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(static_cast<std::uint8_t>(text[pos + i]))) return kInvalid;
  }
  return {length, length == 4 ? 2U : 1U};
}

}  // namespace

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Step step = NextStep(utf8, pos);
    units += step.units;
    pos += step.bytes;
  }
  return units;
}

std::string Utf16Prefix(std::string_view utf8, std::size_t units) {
  std::size_t used = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const Step step = NextStep(utf8, pos);
    if (used + step.units > units) break;
    used += step.units;
    pos += step.bytes;
  }
  return std::string(utf8.substr(0, pos));
}

}  // namespace zt
