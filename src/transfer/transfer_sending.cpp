// The main thread's side of sending: the Send/Stop button, the send queue, the Sent lines and
// counter, and the end of a test file.
#include "transfer/data_transfers_view_controller.h"

namespace zt {

void DataTransfersViewController::PressSendBtn() {
  if (!linkUp()) {  // the text stays in the field
    showWarning(kLinkLostMessage);
    return;
  }
  const OperatType mode = channel_.operatType();
  if (mode == OperatNormal || mode == OperatNone) {
    sendTypedText();
    return;
  }
  channel_.setOperatType(OperatNormal);
  showSendControls("", true, "Send");
}

void DataTransfersViewController::AppendSendData(TypedText text) {
  channel_.append(std::move(text));
}

void DataTransfersViewController::ProcessSendDataResult(const std::optional<std::string>& text,
                                                        const std::vector<std::uint8_t>& wire) {
  const auto at = Clock::now();
  channel_.resultShown(text.has_value());
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
  // A run stopped and followed by a new start ends without ending the new one; one cut short by
  // a lost link leaves the screen waiting.
  const bool current =
      serial == testFileSerial_ && channel_.operatType() != OperatAutoSend && linkUp();
  if (current) channel_.setOperatType(OperatNormal);
  showCounts();
  log_ += "\r\n";
  log_ += testFileEndText(sent, total);
  showLog(false);
  const auto at = Clock::now();
  if (capture_) noteCapture(capture_->testFileEnded(sent, total, at));
  if (history_) history_->appendText(HistoryKind::TestFileEnd, at, testFileEndText(sent, total));
  if (current) showSendControls("", true, "Send");
}

void DataTransfersViewController::showSendControls(const std::string& fieldText, bool fieldEnabled,
                                                   const std::string& title) {
  sendTextField_->setEnabled(fieldEnabled);
  sendTextField_->setText(fieldText);
  sendButton_->setTitle(title);
}

}  // namespace zt
