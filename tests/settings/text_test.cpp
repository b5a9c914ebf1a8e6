#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/quorvel_key_buffer.h"
#include "settings/utf16.h"

namespace zt {
namespace {

const std::string kEAcute = "\xC3\xA9";          // U+00E9, two bytes, one unit
const std::string kEuro = "\xE2\x82\xAC";        // U+20AC, three bytes, one unit
const std::string kGrin = "\xF0\x9F\x98\x80";    // U+1F600, four bytes, a surrogate pair

TEST(Utf16, CountsCodeUnitsOfValidText) {
  EXPECT_EQ(Utf16Length(""), 0U);
  EXPECT_EQ(Utf16Length("Hello"), 5U);
  EXPECT_EQ(Utf16Length(kEAcute + kEuro), 2U);
  EXPECT_EQ(Utf16Length(kGrin), 2U);
  EXPECT_EQ(Utf16Length("a" + kGrin + "b" + kEuro), 5U);
  EXPECT_EQ(Utf16Length("\xF4\x8F\xBF\xBF"), 2U);  // U+10FFFF, the last code point
  EXPECT_EQ(Utf16Length(std::string("a\0b", 3)), 3U);
}

TEST(Utf16, CountsEachBadByteAsOneUnit) {
  EXPECT_EQ(Utf16Length("\x80"), 1U);                // stray continuation byte
  EXPECT_EQ(Utf16Length("\xE2\x82"), 2U);            // truncated at the end
  EXPECT_EQ(Utf16Length("\xE2\x82" "a"), 3U);        // truncated before ASCII
  EXPECT_EQ(Utf16Length("\xC0\xAF"), 2U);            // overlong slash
  EXPECT_EQ(Utf16Length("\xE0\x80\xAF"), 3U);        // overlong three-byte form
  EXPECT_EQ(Utf16Length("\xED\xA0\x80"), 3U);        // encoded surrogate
  EXPECT_EQ(Utf16Length("\xF4\x90\x80\x80"), 4U);    // above U+10FFFF
  EXPECT_EQ(Utf16Length("\xFF\xFE"), 2U);
}

TEST(Utf16, PrefixNeverSplitsACharacter) {
  const std::string text = "a" + kGrin + "b";
  EXPECT_EQ(Utf16Prefix(text, 0), "");
  EXPECT_EQ(Utf16Prefix(text, 1), "a");
  EXPECT_EQ(Utf16Prefix(text, 2), "a");  // the pair does not fit in one unit
  EXPECT_EQ(Utf16Prefix(text, 3), "a" + kGrin);
  EXPECT_EQ(Utf16Prefix(text, 4), text);
  EXPECT_EQ(Utf16Prefix(text, 100), text);
  EXPECT_EQ(Utf16Prefix(kEAcute + kEuro, 1), kEAcute);
  EXPECT_EQ(Utf16Prefix("\xE2\x82" "ab", 2), "\xE2\x82");
}

TEST(Utf16, PrefixesAreLongestFittingLeadingParts) {
  const std::vector<std::string> texts = {
      "plain", kGrin + kGrin, "\x80\x80", "x\xE2\x82", "\xC0\xAF" + kEuro, "\xED\xA0\x80z",
      std::string("\0\0", 2)};
  for (const auto& text : texts) {
    const std::size_t units = Utf16Length(text);
    EXPECT_EQ(Utf16Prefix(text, units), text);
    for (std::size_t n = 0; n < units; ++n) {
      const std::string prefix = Utf16Prefix(text, n);
      EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0);
      // At most n units, and at most one short of n (only when a pair did not fit).
      EXPECT_LE(Utf16Length(prefix), n);
      EXPECT_GE(Utf16Length(prefix) + 1, n);
    }
  }
}

TEST(QuorvelKeyBuffer, HoldsAsciiKeyThenZeros) {
  const auto buffer = QuorvelKeyBuffer("0123456789ABCDEF");
  const std::string head(buffer.begin(), buffer.begin() + 16);
  EXPECT_EQ(head, "0123456789ABCDEF");
  for (std::size_t i = 16; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0U) << i;

  const std::string longest(49, 'k');
  const auto full = QuorvelKeyBuffer(longest);
  EXPECT_EQ(std::string(full.begin(), full.begin() + 49), longest);
  EXPECT_EQ(full[49], 0U);
}

TEST(QuorvelKeyBuffer, StaysZeroWhenTheKeyCannotBeConverted) {
  const std::array<std::uint8_t, kQuorvelKeyBufferSize> zero{};
  EXPECT_EQ(QuorvelKeyBuffer(""), zero);
  EXPECT_EQ(QuorvelKeyBuffer(std::string(50, 'k')), zero);       // no room for the zero
  EXPECT_EQ(QuorvelKeyBuffer("0123456789ABCDE" + kEAcute), zero);  // not ASCII
  EXPECT_EQ(QuorvelKeyBuffer("\x80"), zero);
}

}  // namespace
}  // namespace zt
