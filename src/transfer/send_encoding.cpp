#include "transfer/send_encoding.h"

#include <algorithm>
#include <cstring>

#include "cipher/quorvel_packet.h"
#include "settings/text_codec.h"

namespace zt {

EncodedText EncodeForSending(std::string_view text, bool quorvel, std::uint8_t format) {
  return EncodeForSending(ReadTypedText(text, false, LineEnding::None).text, quorvel, format);
}

EncodedText EncodeForSending(const TypedText& text, bool quorvel, std::uint8_t format) {
  EncodedText encoded;
  if (quorvel) {
    if (!QuorvelCarries(text)) {
      encoded.result = EncodedText::Result::NotOnePacket;
      return encoded;
    }
    const std::string plain = text.bytes();
    encoded.bytes.resize(kQuorvelMaxCiphertext + 2);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(plain.data());
    encoded.bytes.resize(QuorvelEncipher(std::span(bytes, plain.size()), encoded.bytes));
    return encoded;
  }
  for (const TypedText::Piece& piece : text.pieces) {
    const std::optional<std::string> bytes =
        piece.raw ? piece.bytes : EncodeText(piece.bytes, format);
    if (!bytes) {
      encoded.result = EncodedText::Result::NotEncodable;
      return encoded;
    }
    encoded.bytes.insert(encoded.bytes.end(), bytes->begin(), bytes->end());
  }
  return encoded;
}

bool QuorvelCarries(const TypedText& text) {
  std::size_t size = 0;
  for (const TypedText::Piece& piece : text.pieces) {
    if (!piece.raw && !IsAscii(piece.bytes)) return false;
    size += piece.bytes.size();
  }
  return size <= kQuorvelMaxPlaintext;
}

RepeatedBlock::RepeatedBlock(std::vector<std::uint8_t> unit, std::int32_t count,
                             std::uint64_t serial)
    : unit_(std::move(unit)),
      length_(count < 1 ? 0 : unit_.size() * static_cast<std::uint64_t>(count)),
      serial_(serial) {}

void RepeatedBlock::copy(std::uint64_t offset, std::size_t length, std::uint8_t* out) const {
  auto at = static_cast<std::size_t>(offset % unit_.size());
  while (length > 0) {
    const std::size_t take = std::min(length, unit_.size() - at);
    std::memcpy(out, unit_.data() + at, take);
    out += take;
    length -= take;
    at = 0;
  }
}

}  // namespace zt
