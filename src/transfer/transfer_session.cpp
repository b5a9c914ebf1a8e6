// The transfer screen's accessory session: opening it on the main run loop, closing it when the
// screen leaves, the stream events, and the accessory going away (which a screen that reconnects
// survives: transfer_link.cpp).
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
  if (const PlatformError why = startSession()) {
    showWarning("The accessory could not be opened: " + withoutFullStop(why.message()) + ".");
    return;
  }
  channel_.setOutput(curSession_->outputStream());
}

PlatformError DataTransfersViewController::startSession() {
  const std::shared_ptr<EAAccessory> none;
  auto session = EASession::create(accessoryInfo_ ? accessoryInfo_->accessory() : none,
                                   accessoryInfo_ ? accessoryInfo_->protocolString() : "");
  if (!session) return session.error();
  curSession_ = std::move(*session);
  for (Stream* stream : {static_cast<Stream*>(curSession_->inputStream().get()),
                         static_cast<Stream*>(curSession_->outputStream().get())}) {
    stream->setDelegate(weakAs<StreamDelegate>());
    stream->scheduleInRunLoop(RunLoop::main());
    stream->open();
  }
  return {};
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

void DataTransfersViewController::endSession() {
  CloseSession();
  curSession_.reset();
  channel_.setOutput(nullptr);
}

void DataTransfersViewController::handleEvent(Stream& stream, StreamEvent code) {
  if (code == StreamEvent::HasBytesAvailable) readData();
  // A new session that can take bytes has connected.
  if (code == StreamEvent::HasSpaceAvailable && linkState_ == LinkState::Trying &&
      curSession_ && &stream == curSession_->outputStream().get()) {
    linkBack();
  }
  // The device went away: the session is over, whoever else reports it.
  if (code == StreamEvent::EndEncountered) AccessoryDisconnect();
  if (code == StreamEvent::ErrorOccurred) {
    const auto* in = dynamic_cast<const InputStream*>(&stream);
    auto* out = dynamic_cast<OutputStream*>(&stream);
    sessionEnded(in ? in->streamError() : out ? out->streamError() : PlatformError{});
  }
}

void DataTransfersViewController::outputFailed(const OutputStream& failed,
                                               const PlatformError& why) {
  if (curSession_ && curSession_->outputStream().get() == &failed) sessionEnded(why);
}

void DataTransfersViewController::AccessoryDisconnect() { sessionEnded({}); }

void DataTransfersViewController::sessionEnded(const PlatformError& why) {
  if (reconnect_) {
    if (linkState_ == LinkState::Up) linkLost(why);
    if (linkState_ == LinkState::Trying) {  // that try failed: the wait offers another
      endSession();
      linkState_ = LinkState::Lost;
    }
    return;
  }
  if (accessoryDisconnected_) return;  // the streams and the main screen may both report it
  readData();  // what came before the end is counted and shown, before what the worker ends
  CloseSession();  // first, so that a burst the mode change wakes writes no more
  channel_.setOperatType(OperatNone);
  accessoryDisconnected_ = true;
  if (why) logLink(false, Clock::now(), why.message());
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
  linkWait_.reset();
  CloseSession();
}

void DataTransfersViewController::viewDidDisappear(bool /*animated*/) {
  if (isLeaving()) curSession_.reset();
}

}  // namespace zt
