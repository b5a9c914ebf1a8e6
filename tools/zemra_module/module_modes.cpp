#include "module_modes.h"

#include <algorithm>
#include <string>

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

// Pending bytes beyond this are not a packet train: they are reported and dropped.
constexpr std::size_t kMaxPending = std::size_t{64} * 1024;

class QuorvelResponder final : public Responder {
 public:
  explicit QuorvelResponder(std::FILE* lines) : lines_(lines) {}

  std::vector<std::uint8_t> respond(const std::uint8_t* data, std::size_t length) override {
    pending_.insert(pending_.end(), data, data + length);
    const auto packets = splitPackets(pending_);
    if (packets.empty()) {
      if (pending_.size() > kMaxPending) {
        const std::string note =
            "(dropped " + std::to_string(pending_.size()) + " bytes that are no Quorvel packets)";
        logLine(lines_, note.data(), note.size());
        pending_.clear();
      }
      return {};
    }
    std::vector<std::uint8_t> answer;
    for (auto it = packets.rbegin(); it != packets.rend(); ++it) answerPacket(*it, answer);
    pending_.clear();
    return answer;
  }

 private:
  void answerPacket(std::pair<std::size_t, std::size_t> packet, std::vector<std::uint8_t>& answer) {
    std::uint8_t plain[kQuorvelMaxPlaintext];
    const auto length = QuorvelDecipher(
        std::span<const std::uint8_t>(pending_.data() + packet.first, packet.second), plain);
    if (!length) return;
    logLine(lines_, plain, *length);
    std::uint8_t out[kQuorvelMaxCiphertext + 2];
    const std::uint32_t n = QuorvelEncipher(std::span<const std::uint8_t>(plain, *length), out);
    answer.insert(answer.end(), out, out + n);
  }

  std::FILE* lines_;
  std::vector<std::uint8_t> pending_;
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

std::vector<std::pair<std::size_t, std::size_t>> splitPackets(const std::vector<std::uint8_t>& data) {
  std::vector<std::pair<std::size_t, std::size_t>> packets;
  std::size_t end = data.size();
  while (end > 0) {
    if (end < 2) return {};
    const std::size_t plain = data[end - 2] | (static_cast<std::size_t>(data[end - 1]) << 8);
    const std::size_t cipher = (plain + 7) / 8 * 8;
    if (plain > kQuorvelMaxPlaintext || cipher + 2 > end) return {};
    packets.emplace_back(end - cipher - 2, cipher + 2);
    end -= cipher + 2;
  }
  return packets;
}

}  // namespace zt
