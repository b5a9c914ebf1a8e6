// UTF-16 lengths and prefixes of UTF-8 text, the strict data-format codec, and the key buffer
// handed to the cipher.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "settings/quorvel_key_buffer.h"
#include "settings/text_codec.h"
#include "settings/utf16.h"

namespace zt {
namespace {

const std::string kEAcute = "\xC3\xA9";        // U+00E9, two bytes, one unit
const std::string kEuro = "\xE2\x82\xAC";      // U+20AC, three bytes, one unit
const std::string kGrin = "\xF0\x9F\x98\x80";  // U+1F600, four bytes, a surrogate pair

TEST(Utf16, LengthsCountEachBadByteAsOneAndPrefixesFit) {
  const std::pair<std::string, std::size_t> cases[] = {
      {"", 0}, {"a" + kGrin + "b" + kEuro + kEAcute, 6},
      {"\xF4\x8F\xBF\xBF", 2},     // U+10FFFF, the last code point
      {std::string("a\0b", 3), 3},
      {"\x80", 1},                 // stray continuation byte
      {"\xE2\x82" "a", 3},         // truncated before ASCII
      {"\xC0\xAF", 2},             // overlong slash
      {"\xED\xA0\x80", 3},         // encoded surrogate
      {"\xF4\x90\x80\x80", 4},     // above U+10FFFF
  };
  for (const auto& [text, units] : cases) EXPECT_EQ(Utf16Length(text), units) << text;
  // Prefixes: the longest leading parts that fit.
  EXPECT_EQ(Utf16Prefix("a" + kGrin + "b", 2), "a");  // the pair does not fit in one unit
  EXPECT_EQ(Utf16Prefix("a" + kGrin + "b", 3), "a" + kGrin);
  EXPECT_EQ(Utf16Prefix(kEAcute + kEuro, 1), kEAcute);
  EXPECT_EQ(Utf16Prefix("\xE2\x82" "ab", 2), "\xE2\x82");
  EXPECT_EQ(Utf16Prefix("x\xE2\x82", 9), "x\xE2\x82");  // all of it when it fits
}

TEST(TextCodec, EncodesAndDecodesOnlyWhatTheFormatCarries) {
  struct Case {
    std::string bytes;
    bool ascii, utf8;
  };
  const Case cases[] = {
      {std::string("a\0\x7F", 3), true, true}, {kEAcute + kGrin, false, true},
      {"a\xE2\x82", false, false},  // cut short at the end of a whole text
      {"\xED\xA0\x80", false, false},
      // Long texts are scanned many bytes at a time: what lies past the first ones counts too.
      {std::string(70, 'a'), true, true}, {std::string(13, 'a') + "\x80" + "bb", false, false},
      {std::string(40, 'a') + "\xFF", false, false},
      {std::string(16, 'a') + kEuro + std::string(33, 'b'), false, true},
  };
  for (const auto& [bytes, ascii, utf8] : cases) {
    for (const auto& [format, carried] : {std::pair{kDataFormatAscii, ascii},
                                          std::pair{kDataFormatUtf8, utf8},
                                          std::pair{std::uint8_t{7}, ascii}}) {
      EXPECT_EQ(EncodeText(bytes, format).has_value(), carried) << bytes << int{format};
      EXPECT_EQ(DecodeText(bytes, format), carried ? std::optional(bytes) : std::nullopt);
    }
  }
}

TEST(TextCodec, DecoderKeepsBackACharacterSplitAcrossChunks) {
  TextDecoder decoder;
  EXPECT_EQ(decoder.decode("ab\xF0\x9F", kDataFormatUtf8).text, "ab");
  EXPECT_EQ(decoder.keptBack(), "\xF0\x9F");
  EXPECT_FALSE(decoder.decode("\x98", kDataFormatUtf8).text.has_value());  // still incomplete
  EXPECT_EQ(decoder.decode("\x80!", kDataFormatUtf8).text, kGrin + "!");
  EXPECT_EQ(decoder.keptBack(), "");

  // Kept-back bytes that the next chunk cannot complete are given up alone.
  EXPECT_EQ(decoder.decode("caf\xE9", kDataFormatUtf8).text, "caf");
  const DecodedChunk next = decoder.decode("\r\nOK plain ascii\r\n", kDataFormatUtf8);
  EXPECT_EQ(next.text, "\r\nOK plain ascii\r\n");
  EXPECT_EQ(next.undecodable, "\xE9");

  // A chunk that cannot be UTF-8 is given up whole, with whatever was kept back.
  decoder.decode("\xE2", kDataFormatUtf8);
  const DecodedChunk bad = decoder.decode("\x82x\xE2\x82", kDataFormatUtf8);
  EXPECT_FALSE(bad.text.has_value());
  EXPECT_EQ(bad.undecodable, "\xE2\x82x\xE2\x82");
  EXPECT_EQ(decoder.keptBack(), "");

  // ASCII keeps nothing back: a byte above 0x7F spoils the whole chunk.
  EXPECT_EQ(decoder.decode("ok\xC3", kDataFormatAscii).undecodable, "ok\xC3");
  EXPECT_EQ(decoder.decode("ok", kDataFormatAscii).text, "ok");
}

TEST(QuorvelKeyBuffer, HoldsAsciiKeyThenZerosOrIsAllZero) {
  std::array<std::uint8_t, kQuorvelKeyBufferSize> expected{};
  std::fill_n(expected.begin(), 49, 'k');
  EXPECT_EQ(QuorvelKeyBuffer(std::string(49, 'k')), expected);

  const std::array<std::uint8_t, kQuorvelKeyBufferSize> zero{};
  EXPECT_EQ(QuorvelKeyBuffer(std::string(50, 'k')), zero);         // no room for the zero
  EXPECT_EQ(QuorvelKeyBuffer("0123456789ABCDE" + kEAcute), zero);  // not ASCII
}

}  // namespace
}  // namespace zt
