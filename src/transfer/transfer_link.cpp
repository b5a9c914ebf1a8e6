// A link that comes back, on a screen made to reconnect: when the session ends the screen logs
// "[Link lost HH:mm:ss]", drops the texts still queued (one line says how many), and waits for
// the same accessory with the send field saying so; texts typed meanwhile are refused. When the
// accessory manager offers a new connection of it, the screen opens a session on it by itself;
// once that session can take bytes it logs "[Link back HH:mm:ss]", hands the new output stream
// to the worker and resumes auto-send if it ran. A test file cut short is not started again. The
// capture and the history get the same lines.
#include "transfer/data_transfers_view_controller.h"

namespace zt {

namespace {

const char* const kWaitingText = "Waiting for the device to come back...";

}  // namespace

void DataTransfersViewController::linkLost(const PlatformError& why) {
  const std::shared_ptr<EAAccessory> lost = accessoryInfo_ ? accessoryInfo_->accessory() : nullptr;
  if (!lost) return;
  const auto at = Clock::now();
  readData();  // what came before the drop is counted and shown
  settleReceived();
  // After the Received lines still on their way to the log, before the count of texts dropped.
  postToMain([at, reason = why ? why.message() : std::string()](auto& screen) {
    screen.logLink(false, at, reason);
  });
  // Before the worker is told: none is taken afterwards. None while the worker writes a text:
  // it tells the count once that write has ended.
  if (const std::optional<std::size_t> notSent = channel_.dropQueued()) {
    postToMain([count = *notSent](auto& screen) { screen.tellNotSent(count); });
  }
  const OperatType mode = channel_.operatType();
  resumeAutoSend_ = mode == OperatAutoSend;
  endSession();
  channel_.setOperatType(OperatNone);  // ends the worker's pauses; a test file stops
  linkState_ = LinkState::Lost;
  if (mode != OperatNormal) sendTextField_->setText("");  // keeps a text being typed
  sendTextField_->setPlaceholder(kWaitingText);
  sendTextField_->setEnabled(true);
  sendButton_->setTitle("Send");
  linkWait_ = EAAccessoryManager::sharedAccessoryManager().awaitAccessory(
      lost->key(), lost->connectionID(),
      [weak = weakAs<DataTransfersViewController>()](const std::shared_ptr<EAAccessory>& back) {
        if (const auto self = weak.lock()) self->tryLink(back);
      });
}

void DataTransfersViewController::tryLink(const std::shared_ptr<EAAccessory>& accessory) {
  if (linkState_ != LinkState::Lost) return;  // a try is under way
  auto info = std::make_shared<AccessoryInfo>();
  info->setAccessory(accessory);
  info->setProtocolString(accessoryInfo_->protocolString());
  accessoryInfo_ = std::move(info);
  // A session that cannot be opened waits for the next offer.
  if (!startSession()) linkState_ = LinkState::Trying;
}

void DataTransfersViewController::linkBack() {
  linkState_ = LinkState::Up;
  linkWait_.reset();
  channel_.setOutput(curSession_->outputStream());
  logLink(true, Clock::now());
  sendTextField_->setPlaceholder("");
  if (std::exchange(resumeAutoSend_, false)) {
    enterMode(OperatAutoSend, kAutoSendingText);
  } else {
    channel_.setOperatType(OperatNormal);  // the worker takes up the new stream
  }
}

void DataTransfersViewController::logLink(bool back, Clock::time_point at,
                                          const std::string& reason) {
  const char* kind = back ? "Link back" : "Link lost";
  appendLogEntry(kind, reason, at);
  if (capture_) noteCapture(capture_->link(kind, at, reason));
  if (history_) {
    history_->appendText(back ? HistoryKind::LinkBack : HistoryKind::LinkLost, at, reason);
  }
}

void DataTransfersViewController::tellNotSent(std::size_t count) {
  if (count == 0) return;
  const auto at = Clock::now();
  const std::string text = notSentText(count);
  log_ += "\r\n" + text;
  showLog(true);
  if (capture_) noteCapture(capture_->textsNotSent(count, at));
  if (history_) history_->appendText(HistoryKind::NotSent, at, text);
}

void DataTransfersViewController::settleReceived() {
  if (quietTimer_ != 0) RunLoop::main().cancel(quietTimer_);
  quietTimer_ = 0;
  RunLoop::main().post([weak = weakAs<DataTransfersViewController>(),
                        settled = receiveDecoder_.flush()] {
    if (const auto self = weak.lock()) self->ProcessRecvDataResult(settled);
  });
}

}  // namespace zt
