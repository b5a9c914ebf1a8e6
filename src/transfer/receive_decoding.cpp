#include "transfer/receive_decoding.h"

#include <algorithm>
#include <string_view>

#include "cipher/quorvel_packet.h"

namespace zt {

ReceivedText ReceiveDecoder::decode(std::span<const std::uint8_t> batch, bool quorvel,
                                    std::uint8_t format) {
  if (quorvel) return decipher(batch);
  DecodedChunk decoded =
      text_.decode(std::string_view(reinterpret_cast<const char*>(batch.data()), batch.size()),
                   format);
  return {std::move(decoded.text),
          std::vector<std::uint8_t>(decoded.undecodable.begin(), decoded.undecodable.end()), {}};
}

ReceivedText ReceiveDecoder::decipher(std::span<const std::uint8_t> batch) {
  return opened(packets_.add(batch));
}

ReceivedText ReceiveDecoder::flush() {
  ReceivedText received = opened(packets_.flush());
  const std::string& kept = text_.keptBack();
  received.undecodable.insert(received.undecodable.end(), kept.begin(), kept.end());
  text_ = TextDecoder();
  return received;
}

ReceivedText ReceiveDecoder::opened(const QuorvelCollector::Pieces& pieces) {
  ReceivedText received;
  for (const auto& piece : pieces) {
    std::uint8_t plain[kQuorvelMaxCiphertext];
    std::optional<std::uint32_t> length;
    if (piece.kind == QuorvelCollector::Piece::Kind::Packet) {
      length = QuorvelDecipher(piece.bytes, plain);
    }
    const std::uint8_t* end = length ? std::find(plain, plain + *length, 0) : plain;
    const std::string_view text(reinterpret_cast<const char*>(plain),
                                static_cast<std::size_t>(end - plain));
    if (!length || !IsAscii(text)) {
      received.undecodable.insert(received.undecodable.end(), piece.bytes.begin(),
                                  piece.bytes.end());
      continue;
    }
    if (!received.text) received.text.emplace();
    received.text->append(text);
    received.packets.insert(received.packets.end(), piece.bytes.begin(), piece.bytes.end());
  }
  return received;
}

}  // namespace zt
