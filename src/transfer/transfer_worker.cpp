// The send worker: typed texts from the queue, auto-send cycles and test-file bursts, written to
// the output stream from the worker's own thread. It never spins: a stream without space is
// waited on with a short timeout, a missing or closed one on the worker's condition.
#include <pthread.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "settings/glb_param.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kIdlePause{1000};
constexpr milliseconds kBetweenTexts{50};
// How long one wait for space lasts before the stop request and the mode are looked at again.
constexpr milliseconds kSpaceWait{100};
// The largest write of a test file: its bytes are made for each write.
constexpr std::size_t kLargestWrite = std::size_t{1} << 20;
// How often at most the Sent count of a flowing test file is told the main thread.
constexpr std::chrono::steady_clock::duration kCountUpdateGap = milliseconds(30);

// The packet size of the settings; below 1 it is 1.
std::size_t packetSize() {
  return static_cast<std::size_t>(std::max(1, GlbParam::instance().eachPacketSize()));
}

// Whether writing may go on: an open stream, or a failed one whose next write reports it.
bool usable(const OutputStream* out) {
  if (out == nullptr) return false;
  const StreamStatus status = out->streamStatus();
  return status == StreamStatus::Open || status == StreamStatus::Error;
}

// Tells the Sent count of a flowing test file at most once a frame while bytes flow, and once
// more when they stall.
class CountTeller {
 public:
  explicit CountTeller(std::function<void()> tell) : tell_(std::move(tell)) {}
  void operator()(bool flowing) {
    const auto now = std::chrono::steady_clock::now();
    untold_ = untold_ || flowing;
    if (!untold_ || (flowing && now - told_ < kCountUpdateGap)) return;
    tell_();
    told_ = now;
    untold_ = false;
  }

 private:
  std::function<void()> tell_;
  std::chrono::steady_clock::time_point told_;
  bool untold_ = false;
};

}  // namespace

void DataTransfersViewController::startSendThread() {
  auto self = sharedAs<DataTransfersViewController>();
  weakSelf_ = self;
  ++runningWorkers_;
  sendDataThrd_ = std::thread(&DataTransfersViewController::ProSendDataThrd, this, std::move(self));
}

void DataTransfersViewController::ProSendDataThrd(
    std::shared_ptr<DataTransfersViewController> self) {
  // Only a name for tools that list threads: a failure changes nothing.
  static_cast<void>(::pthread_setname_np(::pthread_self(), "zt-send"));
  std::uint64_t finished = 0;  // the test file last written
  std::shared_ptr<OutputStream> out;
  while (!channel_.stopRequested()) {
    channel_.followOutput(out);
    const OperatType mode = channel_.operatType();
    if (mode == OperatAutoSend) {
      runAutoSend(out.get());
      continue;
    }
    if (mode == OperatTestFile) runTestFile(out.get(), finished);
    sendQueuedTexts(out.get());
    channel_.pause(kIdlePause, mode);
  }
  channel_.dropQueued();
  // The screen and the stream are released on the main thread.
  RunLoop::main().post([self = std::move(self), out = std::move(out)]() mutable {
    out.reset();
    self.reset();
    --runningWorkers_;
  });
}

void DataTransfersViewController::runTestFile(OutputStream* out, std::uint64_t& finished) {
  const SendChannel::Block block = channel_.testFileBlock();
  // Until the main thread has seen the end, the mode still shows the block just written.
  if (!block || block->serial() == finished) return;
  const std::uint64_t sent = writeData_SendTestFileEx(*block, out);
  finished = block->serial();
  postToMain([serial = finished, sent, total = block->length()](auto& screen) {
    screen.FinishSendTestFile(serial, sent, total);
  });
}

void DataTransfersViewController::sendQueuedTexts(OutputStream* out) {
  // The texts queued now, oldest first; those queued meanwhile wait for the next drain. A stream
  // that is closed or failed leaves them queued, so that whoever drops them counts them.
  for (std::size_t count = channel_.queuedCount(); count > 0; --count) {
    if (channel_.stopRequested() || (out != nullptr && out->streamStatus() != StreamStatus::Open)) {
      return;
    }
    const std::optional<TypedText> text = channel_.takeQueued();
    if (!text) return;  // dropped meanwhile
    const bool dealtWith = writeData(*text, out);
    if (const std::optional<std::size_t> notSent = channel_.textDone(dealtWith)) {
      postToMain([count = *notSent](auto& screen) { screen.tellNotSent(count); });
    }
    channel_.pause(kBetweenTexts, std::nullopt);
  }
}

bool DataTransfersViewController::writeData(const TypedText& text, OutputStream* out) {
  // Without a session a text is dropped, as it always was.
  if (out == nullptr || text.pieces.empty()) return true;
  const GlbParam& settings = GlbParam::instance();
  const EncodedText encoded = EncodeForSending(text, settings.openQuorvel(), settings.dataFormat());
  // Send refused a text no Quorvel packet carries; one the data format cannot carry (the format
  // may have changed since) writes nothing.
  if (encoded.result != EncodedText::Result::Ok) return true;
  if (writeWhole(encoded.bytes, out) == 0) return false;
  postSendResult(text.bytes(), encoded.bytes);
  return true;
}

void DataTransfersViewController::runAutoSend(OutputStream* out) {
  const std::shared_ptr<const PreparedText> prepared = channel_.autoSendText();
  const std::size_t sent = prepared ? writeData_AutoSend(*prepared, out) : 0;
  const milliseconds interval =
      std::chrono::seconds(std::max(0, GlbParam::instance().autoSendInterval()));
  // When nothing could go out, the next try waits at least the idle pause.
  channel_.pause(sent > 0 ? interval : std::max(interval, kIdlePause), OperatAutoSend);
}

std::size_t DataTransfersViewController::writeData_AutoSend(const PreparedText& prepared,
                                                          OutputStream* out) {
  if (out == nullptr || prepared.bytes.empty()) return 0;
  const std::size_t sent = writeWhole(prepared.bytes, out);
  if (sent > 0) postSendResult(prepared.text, prepared.bytes);
  return sent;
}

std::uint64_t DataTransfersViewController::writeData_SendTestFileEx(const RepeatedBlock& block,
                                                                    OutputStream* out) {
  const std::size_t packet = std::min(packetSize(), kLargestWrite);
  const milliseconds gap{std::max(0, GlbParam::instance().sleepTime())};
  std::vector<std::uint8_t> chunk;
  std::uint64_t total = 0;
  CountTeller tellCount([this] { postSendResult(std::nullopt); });
  while (total < block.length()) {
    if (channel_.stopRequested() || channel_.operatType() != OperatTestFile) return total;
    if (!usable(out)) {
      channel_.pause(kIdlePause, OperatTestFile);
      continue;
    }
    // A burst: the mode is not looked at while the stream takes the bytes.
    for (;;) {
      chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(block.length() - total, packet)));
      block.copy(total, chunk.size(), chunk.data());
      const std::ptrdiff_t n = writeOut(*out, chunk.data(), chunk.size());
      if (n < 0) return total;
      if (n == 0) break;  // no space now
      total += static_cast<std::uint64_t>(n);
      channel_.countSent(n);
      tellCount(true);
      if (total >= block.length()) return total;  // the finish shows the count
      channel_.pause(gap, std::nullopt);  // ended at once by a stop or the accessory going
      if (channel_.stopRequested()) return total;
    }
    if (!out->waitForSpace(kSpaceWait)) tellCount(false);
  }
  return total;
}

std::size_t DataTransfersViewController::writeWhole(const std::vector<std::uint8_t>& bytes,
                                                    OutputStream* out) {
  const std::size_t packet = packetSize();
  std::size_t total = 0;
  while (total < bytes.size() && !channel_.stopRequested() && usable(out)) {
    const std::ptrdiff_t n =
        writeOut(*out, bytes.data() + total, std::min(bytes.size() - total, packet));
    if (n < 0) break;
    if (n == 0) {  // no space now
      out->waitForSpace(kSpaceWait);
      continue;
    }
    total += static_cast<std::size_t>(n);
    channel_.countSent(n);
  }
  return total;
}

std::ptrdiff_t DataTransfersViewController::writeOut(OutputStream& out, const std::uint8_t* bytes,
                                                    std::size_t length) {
  const std::ptrdiff_t n = out.write(bytes, length);
  // A stream closed under the write is no failure: only one that failed has a reason to tell.
  PlatformError why = n < 0 ? out.streamError() : PlatformError{};
  if (why) {
    postToMain([failed = std::static_pointer_cast<OutputStream>(out.shared_from_this()),
                why = std::move(why)](auto& screen) { screen.outputFailed(*failed, why); });
  }
  return n;
}

// `bytes`: what carried the text; handed on only when they are not the text's own.
void DataTransfersViewController::postSendResult(std::optional<std::string> text,
                                                 const std::vector<std::uint8_t>& bytes) {
  if (!channel_.admitResult(text.has_value())) return;
  if (!text) {
    postToMain([](auto& screen) { screen.ProcessSendDataResult(std::nullopt); });
    return;
  }
  std::vector<std::uint8_t> wire;
  if (std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()) != *text) {
    wire = bytes;
  }
  postToMain([text = std::move(*text), wire = std::move(wire)](auto& screen) {
    screen.ProcessSendDataResult(text, wire);
  });
}

void DataTransfersViewController::postToMain(std::function<void(DataTransfersViewController&)> task) {
  RunLoop::main().post([weak = weakSelf_, task = std::move(task)] {
    if (auto self = weak.lock()) task(*self);
  });
}

}  // namespace zt
