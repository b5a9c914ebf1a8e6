#include "platform/ui/text_cells.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace zt {
namespace {

std::vector<std::string> texts(const std::vector<GlyphLine>& lines) {
  std::vector<std::string> out;
  for (const GlyphLine& line : lines) out.push_back(lineText(line));
  return out;
}

TEST(TextCells, EscapeSequencesAndControlsAreShownNotObeyed) {
  const auto lines = textLines("\x1b]0;pwned\x07\x1b[2J\tx\x7f");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lineText(lines[0]), "^[]0;pwned^G^[[2J^Ix^?");
  EXPECT_TRUE(lines[0].front().escaped);
  EXPECT_EQ(lines[0].front().width, 2);
  // C1 controls (CSI as one code point) and bidirectional overrides are spelled out.
  EXPECT_EQ(lineText(singleLine("a\xc2\x9b" "2J\u202e")), "a<U+009B>2J<U+202E>");
  for (const Glyph& glyph : singleLine("\x1b\xc2\x9b\x01\u202e")) {
    for (char c : glyph.text) EXPECT_NE(static_cast<unsigned char>(c), 0x1b);
    EXPECT_TRUE(glyph.escaped);
  }
}

TEST(TextCells, LineFeedsBreakLinesAndLoneCarriageReturnsAreVisible) {
  EXPECT_EQ(texts(textLines("a\r\nb\nc\rd\r")),
            (std::vector<std::string>{"a", "b", "c\u240Dd\u240D"}));
  EXPECT_EQ(texts(textLines("\r\n[Received 09:05:07]hello")),
            (std::vector<std::string>{"", "[Received 09:05:07]hello"}));
  EXPECT_EQ(lineText(singleLine("one\r\ntwo\nthree")), "one\u2424two\u2424three");
}

TEST(TextCells, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(lineText(singleLine("a\xff" "b")), "a\uFFFDb");
  EXPECT_EQ(lineText(singleLine("x\xe2\x82")), "x\uFFFD");          // cut short at the end
  EXPECT_EQ(lineText(singleLine("\xc0\xaf")), "\uFFFD\uFFFD");      // overlong
  EXPECT_EQ(lineText(singleLine("\xed\xa0\x80")), "\uFFFD\uFFFD\uFFFD");  // surrogate
  EXPECT_EQ(lineText(singleLine("\xf0\x9f\x98\x80")), "\U0001F600");
  for (const Glyph& glyph : singleLine("\xff\xfe\x80")) EXPECT_EQ(glyph.width, 1);
}

TEST(TextCells, WideCharactersTakeTwoCellsAndCombiningMarksJoin) {
  const GlyphLine line = singleLine("日本e\u0301x");
  ASSERT_EQ(line.size(), 4u);
  EXPECT_EQ(line[0].width, 2);
  EXPECT_EQ(line[2].text, "e\u0301");
  EXPECT_EQ(lineWidth(line), 6);
  // A mark with nothing before it gets a dotted circle to sit on.
  EXPECT_EQ(lineText(singleLine("\u0301")), "\u25CC\u0301");
  // A wide character never straddles a line end.
  EXPECT_EQ(texts(wrapText("a日本", 3)), (std::vector<std::string>{"a日", "本"}));
}

TEST(TextCells, WrappingByCharactersAndByWords) {
  EXPECT_EQ(texts(wrapText("abcdefg", 3)), (std::vector<std::string>{"abc", "def", "g"}));
  EXPECT_EQ(texts(wrapText("hello big world", 9, Wrap::Words)),
            (std::vector<std::string>{"hello big", "world"}));
  EXPECT_EQ(texts(wrapText("averyveryverylongword x", 8, Wrap::Words)),
            (std::vector<std::string>{"averyver", "yverylon", "gword x"}));
  // Escapes are wrapped as units of their width.
  EXPECT_EQ(texts(wrapText("a\x1b[", 2)), (std::vector<std::string>{"a", "^[", "["}));
}

TEST(TextCells, FittingCutsWithAnEllipsisAndKeepsSourceOffsets) {
  EXPECT_EQ(lineText(fitLine(singleLine("Accessory Devices"), 8)), "Accesso\u2026");
  EXPECT_EQ(lineText(fitLine(singleLine("日本語"), 4, false)), "日本");
  EXPECT_LE(lineWidth(fitLine(singleLine("日本語"), 4)), 4);
  const GlyphLine line = singleLine("a\xc3\xa9\x1b" "b");
  ASSERT_EQ(line.size(), 4u);
  EXPECT_EQ(line[1].offset, 1u);
  EXPECT_EQ(line[2].offset, 3u);
  EXPECT_EQ(line[3].offset, 4u);
}

TEST(TextCells, ArbitraryBytesNeverYieldAnythingATerminalWouldObey) {
  std::mt19937 random(12345);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(static_cast<std::size_t>(random() % 200), '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() % 256);
    const int width = 1 + static_cast<int>(random() % 40);
    for (const GlyphLine& line : wrapText(bytes, width)) {
      EXPECT_LE(lineWidth(line), std::max(width, 8));  // one escape may exceed a tiny width
      for (const Glyph& glyph : line) {
        for (char32_t cp : decodeUtf8(glyph.text)) {
          EXPECT_FALSE(cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) << static_cast<unsigned>(cp);
        }
        EXPECT_GE(glyph.width, 1);
      }
    }
  }
}

}  // namespace
}  // namespace zt
