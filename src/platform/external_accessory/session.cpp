#include "platform/external_accessory/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zt {

namespace {

// A descriptor of its own for the output stream, so either stream may be closed first.
int duplicate(int fd) {
  const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) {
    const int error = errno;
    ::close(fd);
    throw std::system_error(error, std::generic_category(), "dup");
  }
  return copy;
}

// Hands the outcome of a connection to the session's streams.
void connectStreams(const std::weak_ptr<InputStream>& weakInput,
                    const std::weak_ptr<OutputStream>& weakOutput, int fd, int error) {
  const auto input = weakInput.lock();
  const auto output = weakOutput.lock();
  if (error == 0 && input && output) {
    try {
      const int outFd = duplicate(fd);
      input->attach(fd);
      output->attach(outFd);
      return;
    } catch (const std::system_error& failure) {
      error = failure.code().value();
    }
  } else if (fd >= 0) {
    ::close(fd);
  }
  if (input) input->fail(error);
  if (output) output->fail();
}

}  // namespace

std::shared_ptr<EASession> EASession::create(const std::shared_ptr<EAAccessory>& accessory,
                                             const std::string& protocolString,
                                             std::string* reason) {
  std::string why;
  if (!accessory || !accessory->isConnected()) {
    why = "The accessory is no longer connected.";
  } else if (!accessory->declaresProtocol(protocolString)) {
    why = "The accessory does not support the protocol " + protocolString + ".";
  } else {
    try {
      return std::shared_ptr<EASession>(
          new EASession(accessory, protocolString, accessory->transport().open()));
    } catch (const std::system_error& error) {
      why = error.what();  // the device cannot be opened
    }
  }
  if (reason != nullptr) *reason = why;
  return nullptr;
}

EASession::EASession(std::shared_ptr<EAAccessory> accessory, std::string protocolString,
                     TransportChannel channel)
    : accessory_(std::move(accessory)), protocolString_(std::move(protocolString)) {
  const int outFd = channel.pending ? -1 : duplicate(channel.fd);
  std::weak_ptr<EAAccessory> weak = accessory_;
  input_ = std::make_shared<InputStream>(channel.fd, [weak] {
    if (auto gone = weak.lock()) gone->reportGone();
  });
  output_ = std::make_shared<OutputStream>(outFd, channel.socket);
  pending_ = std::move(channel.pending);
  if (pending_) {
    pending_->onOutcome([input = std::weak_ptr(input_), output = std::weak_ptr(output_)](
                            int fd, int error) { connectStreams(input, output, fd, error); });
  }
}

}  // namespace zt
