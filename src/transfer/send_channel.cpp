// The state a transfer screen shares with its send worker: every change a wait must see is made
// under the mutex and followed by a wake-up of the waits.
#include "transfer/send_channel.h"

#include <utility>

#include "platform/runloop/run_loop.h"

namespace zt {

namespace {

// Sent lines the main thread has not shown yet before the worker waits for it to catch up.
constexpr int kMostResultsWaiting = 64;

}  // namespace

void SendChannel::setOperatType(OperatType mode) {
  {
    std::lock_guard lock(mutex_);
    operatType_ = mode;
  }
  sendThrdCondition_.notify_all();
}

void SendChannel::requestStop() {
  {
    std::lock_guard lock(mutex_);
    stopSendThrd_ = true;
  }
  sendThrdCondition_.notify_all();
}

void SendChannel::append(TypedText text) {
  std::lock_guard lock(mutex_);
  sendDataList_.push_back(std::move(text));
}

std::optional<std::size_t> SendChannel::dropQueued() {
  std::lock_guard lock(mutex_);
  notSent_ += std::exchange(sendDataList_, {}).size();
  dropWaiting_ = writing_;
  if (writing_) return std::nullopt;
  return std::exchange(notSent_, 0);
}

std::size_t SendChannel::queuedCount() {
  std::lock_guard lock(mutex_);
  return sendDataList_.size();
}

std::optional<TypedText> SendChannel::takeQueued() {
  std::lock_guard lock(mutex_);
  if (sendDataList_.empty()) return std::nullopt;
  TypedText text = std::move(sendDataList_.front());
  sendDataList_.pop_front();
  writing_ = true;
  return text;
}

std::optional<std::size_t> SendChannel::textDone(bool dealtWith) {
  std::lock_guard lock(mutex_);
  writing_ = false;
  if (!dealtWith) ++notSent_;
  if (!std::exchange(dropWaiting_, false)) return std::nullopt;
  return std::exchange(notSent_, 0);
}

void SendChannel::setAutoSendText(std::shared_ptr<const PreparedText> prepared) {
  std::lock_guard lock(mutex_);
  autoSendDataCString_ = std::move(prepared);
}

void SendChannel::setTestFileBlock(Block block) {
  std::lock_guard lock(mutex_);
  testFileData_ = std::move(block);
}

std::shared_ptr<const PreparedText> SendChannel::autoSendText() {
  std::lock_guard lock(mutex_);
  return autoSendDataCString_;
}

SendChannel::Block SendChannel::testFileBlock() {
  std::lock_guard lock(mutex_);
  return testFileData_;
}

void SendChannel::setOutput(std::shared_ptr<OutputStream> out) {
  std::lock_guard lock(mutex_);
  output_ = std::move(out);
}

void SendChannel::followOutput(std::shared_ptr<OutputStream>& out) {
  std::shared_ptr<OutputStream> left;
  {
    std::lock_guard lock(mutex_);
    if (out == output_) return;
    left = std::exchange(out, output_);
  }
  // Streams belong to the main thread, which may have let go of this one already.
  if (left) RunLoop::main().post([left = std::move(left)]() mutable { left.reset(); });
}

void SendChannel::pause(std::chrono::milliseconds duration, std::optional<OperatType> whileMode) {
  if (duration <= std::chrono::milliseconds::zero()) return;
  std::unique_lock lock(mutex_);
  sendThrdCondition_.wait_for(lock, duration, [&] {
    return stopSendThrd_ || (whileMode ? operatType_ != *whileMode : operatType_ == OperatNone);
  });
}

bool SendChannel::admitResult(bool line) {
  std::unique_lock lock(mutex_);
  if (!line) return !std::exchange(sentCountPosted_, true);
  sendThrdCondition_.wait(lock, [this] {
    return stopSendThrd_ || resultsWaiting_ < kMostResultsWaiting;
  });
  ++resultsWaiting_;
  return true;
}

void SendChannel::resultShown(bool line) {
  {
    std::lock_guard lock(mutex_);
    if (!line) {
      sentCountPosted_ = false;
      return;
    }
    --resultsWaiting_;
  }
  sendThrdCondition_.notify_all();
}

}  // namespace zt
