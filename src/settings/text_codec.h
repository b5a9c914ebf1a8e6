// The bytes of a text in the data format chosen in the settings, and the text of bytes received
// in it. Format 1 is UTF-8, any other value ASCII. Texts are UTF-8 inside the program.
//
// Strict both ways: a text that holds a character the format cannot carry does not encode, and
// bytes that are not valid in the format do not decode; nothing is replaced or dropped silently.
// A TextDecoder follows one stream of received chunks: in UTF-8 a character split across two
// chunks is kept back and decoded with the next chunk.
//
// Threads: the functions are pure and safe anywhere; a TextDecoder belongs to one thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zt {

inline constexpr std::uint8_t kDataFormatAscii = 0;
inline constexpr std::uint8_t kDataFormatUtf8 = 1;

// Whether every byte is below 0x80.
bool IsAscii(std::string_view bytes);
// Whether the bytes are strict UTF-8 throughout.
bool IsUtf8(std::string_view bytes);

// The bytes to send for `text`, or nothing when the format cannot carry it.
std::optional<std::string> EncodeText(std::string_view text, std::uint8_t format);
// The text of `bytes`, or nothing when they are not valid in the format.
std::optional<std::string> DecodeText(std::string_view bytes, std::uint8_t format);

// What one received chunk gives.
struct DecodedChunk {
  std::optional<std::string> text;  // none: nothing decoded (see `undecodable`) or all kept back
  std::string undecodable;          // the bytes given up because they are not valid in the format
                                    // (kept-back bytes first, when the chunk did not complete them)
};

class TextDecoder {
 public:
  // Decodes the bytes kept back from earlier chunks followed by `chunk`. Kept-back bytes that
  // the chunk does not complete are given up alone; when the chunk does not decode, all of it is
  // given up and nothing is kept back.
  DecodedChunk decode(std::string_view chunk, std::uint8_t format);
  // The bytes kept back: the start of a UTF-8 character whose rest has not come yet.
  const std::string& keptBack() const { return keptBack_; }

 private:
  std::string keptBack_;
};

}  // namespace zt
