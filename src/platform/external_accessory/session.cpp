#include "platform/external_accessory/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zt {

namespace {

// A descriptor of its own for the output stream, so either stream may be closed first.
PlatformResult<int> duplicate(int fd, const std::string& subject) {
  const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return systemError(errno, subject);
  return copy;
}

// Hands the outcome of a connection to the session's streams.
void connectStreams(const std::weak_ptr<InputStream>& weakInput,
                    const std::weak_ptr<OutputStream>& weakOutput,
                    PlatformResult<int> connected, const std::string& subject) {
  const auto input = weakInput.lock();
  const auto output = weakOutput.lock();
  PlatformError error = connected.error();
  if (connected && input && output) {
    auto outFd = duplicate(*connected, subject);
    if (outFd) {
      input->attach(*connected);
      output->attach(*outFd);
      return;
    }
    error = outFd.error();
  }
  if (connected) ::close(*connected);
  if (input) input->fail(error);
  if (output) output->fail(error);
}

}  // namespace

PlatformResult<std::shared_ptr<EASession>> EASession::create(
    const std::shared_ptr<EAAccessory>& accessory, const std::string& protocolString) {
  const auto refused = [](std::errc code, std::string why) {
    return PlatformError{std::make_error_code(code), {}, std::move(why)};
  };
  if (!accessory || !accessory->isConnected()) {
    return refused(std::errc::no_such_device, "The accessory is no longer connected.");
  }
  if (!accessory->declaresProtocol(protocolString)) {
    return refused(std::errc::protocol_not_supported,
                   "The accessory does not support the protocol " + protocolString + ".");
  }
  auto channel = accessory->transport().open();
  if (!channel) return channel.error();  // the device cannot be opened
  std::shared_ptr<EASession> session(new EASession(accessory, protocolString));
  if (auto error = session->attach(std::move(*channel))) return error;
  return session;
}

EASession::EASession(std::shared_ptr<EAAccessory> accessory, std::string protocolString)
    : accessory_(std::move(accessory)), protocolString_(std::move(protocolString)) {}

PlatformError EASession::attach(TransportChannel channel) {
  int outFd = -1;
  if (!channel.pending) {
    auto copy = duplicate(channel.fd, channel.subject);
    if (!copy) {
      ::close(channel.fd);
      return copy.error();
    }
    outFd = *copy;
  }
  std::weak_ptr<EAAccessory> weak = accessory_;
  input_ = std::make_shared<InputStream>(channel.fd, channel.subject, [weak] {
    if (auto gone = weak.lock()) gone->reportGone();
  });
  output_ = std::make_shared<OutputStream>(outFd, channel.socket, channel.subject);
  if (auto error = output_->streamError()) return error;  // it could not be made whole
  pending_ = std::move(channel.pending);
  if (pending_) {
    pending_->onOutcome([input = std::weak_ptr(input_), output = std::weak_ptr(output_),
                         subject = channel.subject](PlatformResult<int> connected) {
      connectStreams(input, output, std::move(connected), subject);
    });
  }
  return {};
}

}  // namespace zt
