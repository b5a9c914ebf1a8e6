// The receive path, on the main thread: what the input stream announces is read in bounded
// batches, counted, decoded or deciphered, and shown as one Received line per batch. Quorvel
// bytes still waiting for a reading are shown, or given up, once the line has been quiet.
#include "settings/glb_param.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt {

namespace {

constexpr std::size_t kReadChunk = 350;
// One call reads at most this much; the stream announces the rest on a later pass of the loop,
// so a fast sender never holds the main thread.
constexpr std::size_t kReadLimit = std::size_t{64} * 1024;
// Bytes that wait to be found whole Quorvel packets are settled after this long without more.
constexpr double kQuietSeconds = 1.0;

}  // namespace

void DataTransfersViewController::readData() {
  if (!curSession_) return;
  InputStream& in = *curSession_->inputStream();
  std::vector<std::uint8_t> batch;
  batch.reserve(kReadLimit);  // a flood fills it: it never grows (and copies) on the way
  std::uint8_t piece[kReadChunk];
  while (batch.size() < kReadLimit && in.hasBytesAvailable()) {
    const std::ptrdiff_t n = in.read(piece, std::min(kReadChunk, kReadLimit - batch.size()));
    if (n <= 0) break;  // the accessory layer reports a device that has gone
    batch.insert(batch.end(), piece, piece + n);
  }
  if (batch.empty()) return;
  recvDataByteLen_ += static_cast<std::int64_t>(batch.size());
  const GlbParam& settings = GlbParam::instance();
  ReceivedText received =
      receiveDecoder_.decode(batch, settings.openQuorvel(), settings.dataFormat());
  RunLoop::main().post(
      [weak = weakAs<DataTransfersViewController>(), received = std::move(received)] {
        if (auto self = weak.lock()) self->ProcessRecvDataResult(received);
      });
  awaitQuiet();
}

void DataTransfersViewController::awaitQuiet() {
  RunLoop& loop = RunLoop::main();
  if (quietTimer_ != 0) loop.cancel(quietTimer_);
  quietTimer_ = 0;
  if (!receiveDecoder_.waiting()) return;  // nothing to settle: no timer wakes an idle program
  quietTimer_ = loop.after(kQuietSeconds, [weak = weakAs<DataTransfersViewController>()] {
    auto self = weak.lock();
    if (!self) return;
    self->quietTimer_ = 0;
    self->ProcessRecvDataResult(self->receiveDecoder_.flush());
  });
}

void DataTransfersViewController::ProcessRecvDataResult(const ReceivedText& received) {
  const auto at = Clock::now();
  if (received.text) {
    appendLogEntry("Received", *received.text, at);
    if (capture_) noteCapture(capture_->received(*received.text, at));
    if (history_ && received.packets.empty()) {
      history_->appendText(HistoryKind::Received, at, *received.text);
    } else if (history_) {
      history_->append(HistoryKind::Received, at, *received.text, received.packets);
    }
  }
  if (!received.undecodable.empty()) {
    if (capture_) noteCapture(capture_->undecodable(received.undecodable, at));
    if (history_) history_->append(HistoryKind::Undecodable, at, "", received.undecodable);
  }
  showCounts();
}

}  // namespace zt
