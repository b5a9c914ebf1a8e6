#include "platform/external_accessory/serial_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace zt {

PlatformError setCustomLineSpeed(int fd, unsigned baud, const std::string& path) {
  struct termios2 tio {};
  if (::ioctl(fd, TCGETS2, &tio) < 0) return systemError(errno, path);
  tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  tio.c_ispeed = baud;
  tio.c_ospeed = baud;
  if (::ioctl(fd, TCSETS2, &tio) < 0) return systemError(errno, path);
  return {};
}

}  // namespace zt
