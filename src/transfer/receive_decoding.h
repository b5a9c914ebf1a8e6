// What the transfer screen shows for the bytes of one stream, batch by batch. With Quorvel on,
// bytes wait until they are found to be whole packets (a packet may come in several batches,
// several packets in one; see quorvel_collector.h); each packet opens to its plaintext, read as
// text up to its first zero byte, and the plaintexts of one batch make one text. Bytes that wait
// are settled by flush() once the line has been quiet. Otherwise the bytes decode strictly in the
// data format, a UTF-8 character split across two batches being kept back for the next.
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
  // Whether received bytes wait to be found whole packets.
  bool waiting() const { return packets_.pending() > 0; }
  // The line has been quiet, or the stream has ended: what the bytes waiting show, the rest
  // given up (the start of a character whose rest has not come included).
  ReceivedText flush();

 private:
  ReceivedText decipher(std::span<const std::uint8_t> batch);
  static ReceivedText opened(const QuorvelCollector::Pieces& pieces);

  TextDecoder text_;
  QuorvelCollector packets_;
};

}  // namespace zt
