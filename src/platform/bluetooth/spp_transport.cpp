#include "platform/bluetooth/spp_transport.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zt {

SppTransport::~SppTransport() { end(false); }

TransportChannel SppTransport::open() {
  if (fd_ < 0) throw std::system_error(ENOTCONN, std::generic_category(), "Bluetooth link");
  const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "Bluetooth link");
  return {fd, true, nullptr};
}

void SppTransport::end(bool breakLink) {
  if (fd_ < 0) return;
  // A link that is already down makes shutdown fail (ENOTCONN): it is ended either way.
  if (breakLink) static_cast<void>(::shutdown(fd_, SHUT_RDWR));
  ::close(fd_);
  fd_ = -1;
}

}  // namespace zt
