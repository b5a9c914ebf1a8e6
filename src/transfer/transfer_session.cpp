// The transfer screen's accessory session: opening it on the main run loop, closing it when the
// screen leaves, the stream events, and the accessory going away.
#include <algorithm>

#include "transfer/data_transfers_view_controller.h"

namespace zt {

namespace {

// The platform's reason as part of a sentence that ends with its own full stop.
std::string withoutFullStop(std::string reason) {
  while (!reason.empty() && reason.back() == '.') reason.pop_back();
  return reason;
}

}  // namespace

void DataTransfersViewController::OpenSession() {
  const std::shared_ptr<EAAccessory> none;
  auto session = EASession::create(accessoryInfo_ ? accessoryInfo_->accessory() : none,
                                   accessoryInfo_ ? accessoryInfo_->protocolString() : "");
  if (!session) {
    showWarning("The accessory could not be opened: " +
                withoutFullStop(session.error().message()) + ".");
    return;
  }
  curSession_ = std::move(*session);
  for (Stream* stream : {static_cast<Stream*>(curSession_->inputStream().get()),
                         static_cast<Stream*>(curSession_->outputStream().get())}) {
    stream->setDelegate(weakAs<StreamDelegate>());
    stream->scheduleInRunLoop(RunLoop::main());
    stream->open();
  }
  channel_.setOutput(curSession_->outputStream());
}

void DataTransfersViewController::CloseSession() {
  if (!curSession_) return;
  for (Stream* stream : {static_cast<Stream*>(curSession_->inputStream().get()),
                         static_cast<Stream*>(curSession_->outputStream().get())}) {
    stream->close();
    stream->removeFromRunLoop(RunLoop::main());
    stream->setDelegate({});
  }
}

void DataTransfersViewController::handleEvent(Stream& /*stream*/, StreamEvent code) {
  if (code == StreamEvent::HasBytesAvailable) readData();
  // The device went away: the session is over, whoever else reports it.
  if (code == StreamEvent::EndEncountered || code == StreamEvent::ErrorOccurred) {
    AccessoryDisconnect();
  }
}

void DataTransfersViewController::AccessoryDisconnect() {
  if (accessoryDisconnected_) return;  // the streams and the main screen may both report it
  channel_.setOperatType(OperatNone);
  accessoryDisconnected_ = true;
  CloseSession();
  const auto navigation = navigationController();
  disconnectUnshown_ = !navigation || navigation->topViewController().get() != this;
  if (!disconnectUnshown_) showDisconnected();
}

void DataTransfersViewController::showDisconnected() {
  if (sendTextField_) {
    sendTextField_->setText("The device is disconnected with the phone");
    sendTextField_->setEnabled(false);
    sendButton_->setEnabled(false);
  }
  showWarning(kDisconnectedMessage);
}

bool DataTransfersViewController::isLeaving() const {
  const auto navigation = navigationController();
  if (!navigation) return true;
  const auto& stack = navigation->viewControllers();
  const bool onStack = std::any_of(stack.begin(), stack.end(),
                                   [this](const auto& screen) { return screen.get() == this; });
  // During a pop the screen is off the stack already; its settings or History screen keeps it on.
  return !onStack || !(openSettings_ || openHistory_);
}

void DataTransfersViewController::viewWillDisappear(bool /*animated*/) {
  if (!isLeaving()) return;
  channel_.requestStop();
  CloseSession();
}

void DataTransfersViewController::viewDidDisappear(bool /*animated*/) {
  if (isLeaving()) curSession_.reset();
}

}  // namespace zt
