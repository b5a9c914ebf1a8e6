#include "module_modes.h"

#include <string>

#include "cipher/quorvel_collector.h"
#include "cipher/quorvel_packet.h"

namespace zt {

namespace {

SinkTally tally;

class EchoResponder final : public Responder {
 public:
  std::vector<std::uint8_t> respond(const std::uint8_t* data, std::size_t length) override {
    return {data, data + length};
  }
};

class SinkResponder final : public Responder {
 public:
  std::vector<std::uint8_t> respond(const std::uint8_t* /*data*/, std::size_t length) override {
    if (length == 0) return {};
    const auto now = std::chrono::steady_clock::now();
    if (tally.bytes == 0) tally.first = now;
    tally.last = now;
    tally.bytes += length;
    return {};
  }
};

// Writes one line to the log. A failing log must not stop the module answering, so write
// errors are dropped.
void logLine(std::FILE* out, const void* text, std::size_t length) {
  (void)std::fwrite(text, 1, length, out);
  (void)std::fputc('\n', out);
  (void)std::fflush(out);
}

class QuorvelResponder final : public Responder {
 public:
  explicit QuorvelResponder(std::FILE* lines) : lines_(lines) {}

  std::vector<std::uint8_t> respond(const std::uint8_t* data, std::size_t length) override {
    return answer(collector_.add(std::span(data, length)));
  }
  bool waiting() const override { return collector_.pending() > 0; }
  std::vector<std::uint8_t> quiet() override { return answer(collector_.flush()); }

 private:
  std::vector<std::uint8_t> answer(const QuorvelCollector::Pieces& pieces) {
    std::vector<std::uint8_t> answer;
    for (const auto& piece : pieces) {
      if (piece.kind == QuorvelCollector::Piece::Kind::Packet) {
        answerPacket(piece.bytes, answer);
        continue;
      }
      const std::string note = "(dropped " + std::to_string(piece.bytes.size()) +
                               " bytes that are no Quorvel packets)";
      logLine(lines_, note.data(), note.size());
    }
    return answer;
  }

  void answerPacket(const std::vector<std::uint8_t>& packet, std::vector<std::uint8_t>& answer) {
    std::uint8_t plain[kQuorvelMaxPlaintext];
    const auto length = QuorvelDecipher(packet, plain);
    if (!length) return;
    logLine(lines_, plain, *length);
    std::uint8_t out[kQuorvelMaxCiphertext + 2];
    const std::uint32_t n = QuorvelEncipher(std::span<const std::uint8_t>(plain, *length), out);
    answer.insert(answer.end(), out, out + n);
  }

  std::FILE* lines_;
  QuorvelCollector collector_;
};

}  // namespace

SinkTally sinkTally() { return tally; }

std::unique_ptr<Responder> makeResponder(ModuleMode mode, std::FILE* lines) {
  switch (mode) {
    case ModuleMode::Sink:
      return std::make_unique<SinkResponder>();
    case ModuleMode::Quorvel:
      return std::make_unique<QuorvelResponder>(lines);
    case ModuleMode::Echo:
      break;
  }
  return std::make_unique<EchoResponder>();
}

}  // namespace zt
