// The main thread's side of sending: the Send/Stop button, the send queue, the Sent lines and
// counter, the end of a test file, and the mode and stop changes the worker waits on.
#include "transfer/data_transfers_view_controller.h"

namespace zt {

void DataTransfersViewController::PressSendBtn() {
  const OperatType mode = operatType_;
  if (mode == OperatNormal || mode == OperatNone) {
    AppendSendData(sendTextField_->text());
    sendTextField_->setText("");
    sendTextField_->resignFirstResponder();
    return;
  }
  setOperatType(OperatNormal);
  showSendControls("", true, "Send");
}

void DataTransfersViewController::AppendSendData(std::string text) {
  std::lock_guard lock(sendThrdMutex_);
  sendDataList_.push_back(std::move(text));
}

void DataTransfersViewController::ProcessSendDataResult(const std::optional<std::string>& text,
                                                        const std::vector<std::uint8_t>& wire) {
  const auto at = Clock::now();
  if (text) {
    {
      std::lock_guard lock(sendThrdMutex_);
      --resultsWaiting_;
    }
    sendThrdCondition_.notify_all();
  } else {
    sentCountPosted_ = false;
  }
  // A test file's writes only count, whatever the mode when the count arrives.
  if (text) {
    appendLogEntry("Sent", *text, at);
    if (capture_) noteCapture(capture_->sent(*text, at));
    if (history_ && wire.empty()) history_->appendText(HistoryKind::Sent, at, *text);
    if (history_ && !wire.empty()) history_->append(HistoryKind::Sent, at, *text, wire);
  }
  showCounts();
}

void DataTransfersViewController::FinishSendTestFile(std::uint64_t serial, std::uint64_t sent,
                                                     std::uint64_t total) {
  // A run stopped and followed by a new start ends without ending the new one.
  const bool current = serial == testFileSerial_ && operatType_ != OperatAutoSend;
  if (current) setOperatType(OperatNormal);
  showCounts();
  log_ += "\r\n";
  log_ += testFileEndText(sent, total);
  showLog(false);
  const auto at = Clock::now();
  if (capture_) noteCapture(capture_->testFileEnded(sent, total, at));
  if (history_) history_->appendText(HistoryKind::TestFileEnd, at, testFileEndText(sent, total));
  if (current) showSendControls("", true, "Send");
}

void DataTransfersViewController::setOperatType(OperatType mode) {
  {
    std::lock_guard lock(sendThrdMutex_);
    operatType_ = mode;
  }
  sendThrdCondition_.notify_all();
}

void DataTransfersViewController::requestStop() {
  {
    std::lock_guard lock(sendThrdMutex_);
    stopSendThrd_ = true;
  }
  sendThrdCondition_.notify_all();
}

void DataTransfersViewController::showSendControls(const std::string& fieldText, bool fieldEnabled,
                                                   const std::string& title) {
  sendTextField_->setEnabled(fieldEnabled);
  sendTextField_->setText(fieldText);
  sendButton_->setTitle(title);
}

}  // namespace zt
