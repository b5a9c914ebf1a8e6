#include "settings/text_codec.h"

#include <cstring>
#include <utility>

#include "settings/utf8_sequence.h"

namespace zt {
namespace {

// The end of the run of ASCII bytes from `pos`. Received text is mostly ASCII and may come in
// batches of tens of kilobytes, so the run is taken 32 bytes, then eight, at a time.
std::size_t AsciiPrefix(std::string_view bytes, std::size_t pos) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080U;
  std::uint64_t words[4] = {};
  while (bytes.size() - pos >= sizeof words) {
    std::memcpy(words, bytes.data() + pos, sizeof words);
    if (((words[0] | words[1] | words[2] | words[3]) & kHighBits) != 0) break;
    pos += sizeof words;
  }
  while (bytes.size() - pos >= sizeof words[0]) {
    std::memcpy(words, bytes.data() + pos, sizeof words[0]);
    if ((words[0] & kHighBits) != 0) break;
    pos += sizeof words[0];
  }
  while (pos < bytes.size() && static_cast<unsigned char>(bytes[pos]) < 0x80U) ++pos;
  return pos;
}

// The length of the leading part of `bytes` made of whole UTF-8 characters, the rest being at
// most the start of one character that the end cuts short; nothing when a byte is invalid.
std::optional<std::size_t> WholeUtf8Prefix(std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    pos = AsciiPrefix(bytes, pos);
    if (pos == bytes.size()) break;
    const Utf8Sequence sequence = ScanUtf8(bytes, pos);
    if (sequence.kind == Utf8Sequence::Kind::Invalid) return std::nullopt;
    if (sequence.kind == Utf8Sequence::Kind::Truncated) break;
    pos += sequence.length;
  }
  return pos;
}

}  // namespace

bool IsAscii(std::string_view bytes) { return AsciiPrefix(bytes, 0) == bytes.size(); }

bool IsUtf8(std::string_view bytes) { return WholeUtf8Prefix(bytes) == bytes.size(); }

namespace {

// Text is held as UTF-8, so encoding and decoding both come down to this check.
std::optional<std::string> IfCarried(std::string_view bytes, std::uint8_t format) {
  const bool carried = format == kDataFormatUtf8 ? IsUtf8(bytes) : IsAscii(bytes);
  if (!carried) return std::nullopt;
  return std::string(bytes);
}

}  // namespace

std::optional<std::string> EncodeText(std::string_view text, std::uint8_t format) {
  return IfCarried(text, format);
}

std::optional<std::string> DecodeText(std::string_view bytes, std::uint8_t format) {
  return IfCarried(bytes, format);
}

DecodedChunk TextDecoder::decode(std::string_view chunk, std::uint8_t format) {
  std::string bytes = std::exchange(keptBack_, {});
  std::string givenUp;
  // Kept-back bytes that the chunk does not complete are given up alone: the chunk still
  // decodes on its own.
  if (!bytes.empty() && !chunk.empty() &&
      ScanUtf8(bytes + std::string(chunk.substr(0, 4)), 0).kind == Utf8Sequence::Kind::Invalid) {
    givenUp = std::exchange(bytes, {});
  }
  bytes.append(chunk);
  if (format != kDataFormatUtf8) {
    if (!IsAscii(bytes)) return {std::nullopt, givenUp + bytes};
    return {std::move(bytes), std::move(givenUp)};
  }
  const std::optional<std::size_t> whole = WholeUtf8Prefix(bytes);
  if (!whole) return {std::nullopt, givenUp + bytes};
  keptBack_ = bytes.substr(*whole);
  bytes.resize(*whole);
  if (bytes.empty()) return {std::nullopt, std::move(givenUp)};
  return {std::move(bytes), std::move(givenUp)};
}

}  // namespace zt
