#include "platform/bluetooth/spp_transport.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace zt {

SppTransport::~SppTransport() { end(false); }

PlatformResult<TransportChannel> SppTransport::open() {
  if (fd_ < 0) return systemError(ENOTCONN, device_);
  const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return systemError(errno, device_);
  return TransportChannel{fd, true, nullptr, device_};
}

void SppTransport::end(bool breakLink) {
  if (fd_ < 0) return;
  // A link that is already down makes shutdown fail (ENOTCONN): it is ended either way.
  if (breakLink) static_cast<void>(::shutdown(fd_, SHUT_RDWR));
  ::close(fd_);
  fd_ = -1;
}

}  // namespace zt
