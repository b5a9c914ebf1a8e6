#include "platform/external_accessory/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zt {

std::shared_ptr<EASession> EASession::create(const std::shared_ptr<EAAccessory>& accessory,
                                             const std::string& protocolString) {
  if (!accessory || !accessory->isConnected() || !accessory->declaresProtocol(protocolString)) {
    return nullptr;
  }
  try {
    const TransportChannel channel = accessory->transport().open();
    return std::shared_ptr<EASession>(new EASession(accessory, protocolString, channel));
  } catch (const std::system_error&) {
    return nullptr;  // the device cannot be opened: no session, as for a gone accessory
  }
}

EASession::EASession(std::shared_ptr<EAAccessory> accessory, std::string protocolString,
                     TransportChannel channel)
    : accessory_(std::move(accessory)), protocolString_(std::move(protocolString)) {
  // Each stream owns a descriptor of its own, so either may be closed first.
  const int outFd = ::fcntl(channel.fd, F_DUPFD_CLOEXEC, 0);
  if (outFd < 0) {
    const int error = errno;
    ::close(channel.fd);
    throw std::system_error(error, std::generic_category(), "dup");
  }
  std::weak_ptr<EAAccessory> weak = accessory_;
  input_ = std::make_shared<InputStream>(channel.fd, [weak] {
    if (auto gone = weak.lock()) gone->reportGone();
  });
  output_ = std::make_shared<OutputStream>(outFd, channel.socket);
}

}  // namespace zt
