#include "platform/external_accessory/serial_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/external_accessory/serial_speed.h"

namespace zt {

namespace {

// The classic termios constant for `baud`, or B0 when there is none.
speed_t standardSpeed(unsigned baud) {
  static constexpr std::pair<unsigned, speed_t> kSpeeds[] = {
      {50, B50},         {75, B75},         {110, B110},       {134, B134},
      {150, B150},       {200, B200},       {300, B300},       {600, B600},
      {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
      {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
      {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
      {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
      {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
      {3500000, B3500000}, {4000000, B4000000}};
  for (const auto& [rate, constant] : kSpeeds) {
    if (rate == baud) return constant;
  }
  return B0;
}

// Whichever step fails, the person learns the path and the system's words.
PlatformError configure(int fd, const std::string& path, unsigned baud) {
  termios tio{};
  if (::tcgetattr(fd, &tio) < 0) return systemError(errno, path);
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  const speed_t speed = standardSpeed(baud);
  if (speed != B0 && ::cfsetspeed(&tio, speed) < 0) return systemError(errno, path);
  if (::tcsetattr(fd, TCSANOW, &tio) < 0) return systemError(errno, path);
  if (speed == B0) {
    if (auto error = setCustomLineSpeed(fd, baud, path)) return error;
  }
  if (::tcflush(fd, TCIOFLUSH) < 0) return systemError(errno, path);
  return {};
}

}  // namespace

PlatformResult<int> openSerialPort(const std::string& path, unsigned baud) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return systemError(errno, path);
  if (auto error = configure(fd, path, baud)) {
    ::close(fd);
    return error;
  }
  return fd;
}

PlatformResult<TransportChannel> SerialTransport::open() {
  auto fd = openSerialPort(path_, baud_);
  if (!fd) return fd.error();
  return TransportChannel{*fd, false, nullptr, path_};
}

}  // namespace zt
