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
  QuorvelCollector::Batch found = packets_.add(batch);
  ReceivedText received{std::nullopt, std::move(found.givenUp), {}};
  for (const auto& packet : found.packets) {
    std::uint8_t plain[kQuorvelMaxCiphertext];
    const std::optional<std::uint32_t> length = QuorvelDecipher(packet, plain);
    const std::uint8_t* end = length ? std::find(plain, plain + *length, 0) : plain;
    const std::string_view text(reinterpret_cast<const char*>(plain),
                                static_cast<std::size_t>(end - plain));
    if (!length || !IsAscii(text)) {
      received.undecodable.insert(received.undecodable.end(), packet.begin(), packet.end());
      continue;
    }
    if (!received.text) received.text.emplace();
    received.text->append(text);
    received.packets.insert(received.packets.end(), packet.begin(), packet.end());
  }
  return received;
}

}  // namespace zt
