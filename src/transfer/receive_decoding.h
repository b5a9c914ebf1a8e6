// What the transfer screen shows for the bytes of one stream, batch by batch. With Quorvel on,
// bytes wait until they form whole packets (a packet may come in several batches, several
// packets in one); each packet opens to its plaintext, read as text up to its first zero byte,
// and the plaintexts of one batch make one text. Otherwise the bytes decode strictly in the data
// format, a UTF-8 character split across two batches being kept back for the next.
//
// A decoder follows one stream; it belongs to one thread (the main thread).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cipher/quorvel_collector.h"
#include "settings/text_codec.h"

namespace zt {

struct ReceivedText {
  std::optional<std::string> text;        // none: nothing to show for this batch
  std::vector<std::uint8_t> undecodable;  // bytes given up: not valid text, or no packet
  std::vector<std::uint8_t> packets;      // Quorvel: the packets that made `text`
};

class ReceiveDecoder {
 public:
  ReceivedText decode(std::span<const std::uint8_t> batch, bool quorvel, std::uint8_t format);

 private:
  ReceivedText decipher(std::span<const std::uint8_t> batch);

  TextDecoder text_;
  QuorvelCollector packets_;
};

}  // namespace zt
