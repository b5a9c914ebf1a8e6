#include "platform/external_accessory/serial_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <system_error>

namespace zt {

void setCustomLineSpeed(int fd, unsigned baud) {
  struct termios2 tio {};
  if (::ioctl(fd, TCGETS2, &tio) < 0) {
    throw std::system_error(errno, std::generic_category(), "TCGETS2");
  }
  tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  tio.c_ispeed = baud;
  tio.c_ospeed = baud;
  if (::ioctl(fd, TCSETS2, &tio) < 0) {
    throw std::system_error(errno, std::generic_category(), "TCSETS2");
  }
}

}  // namespace zt
