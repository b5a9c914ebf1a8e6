// What the transfer screen puts on the wire: a text encoded once in the data format, or
// enciphered as one Quorvel packet (a typed text's escaped bytes and line ending go into either
// as they are), and the test-file block, a unit of bytes repeated a number of times that is
// never built whole in memory (a count from the settings may be huge).
//
// Pure values and functions; safe from any thread. A block is shared read-only between the main
// thread that prepares it and the send worker that writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/typed_text.h"

namespace zt {

struct EncodedText {
  enum class Result {
    Ok,
    NotEncodable,  // the data format cannot carry the text (Quorvel off)
    NotOnePacket,  // Quorvel on: typed characters not ASCII, or longer than one packet's
                   // plaintext
  };
  Result result = Result::Ok;
  std::vector<std::uint8_t> bytes;
};

// The bytes to send for `text`: a Quorvel packet when `quorvel`, else the text in `format`.
EncodedText EncodeForSending(std::string_view text, bool quorvel, std::uint8_t format);
EncodedText EncodeForSending(const TypedText& text, bool quorvel, std::uint8_t format);
// Whether one Quorvel packet carries `text`: its typed characters are ASCII and all its bytes
// fit one packet's plaintext.
bool QuorvelCarries(const TypedText& text);

// The text typed or configured, with the bytes that carry it.
struct PreparedText {
  std::string text;
  std::vector<std::uint8_t> bytes;
};

// `unit` repeated `count` times, back to back; a count below 1 gives an empty block.
class RepeatedBlock {
 public:
  RepeatedBlock(std::vector<std::uint8_t> unit, std::int32_t count, std::uint64_t serial);

  std::uint64_t length() const { return length_; }
  // Which start of a transmission made this block.
  std::uint64_t serial() const { return serial_; }
  // Copies `length` bytes from `offset` on (within the block) to `out`.
  void copy(std::uint64_t offset, std::size_t length, std::uint8_t* out) const;

 private:
  std::vector<std::uint8_t> unit_;
  std::uint64_t length_;
  std::uint64_t serial_;
};

}  // namespace zt
