// SppTransport: the RFCOMM socket of one Serial Port Profile link, handed over by the Bluetooth
// daemon. Each session opens a duplicate of it (a non-blocking socket, so writes never raise
// SIGPIPE); its failures name the device. end() lets go of the link, first breaking it for every
// duplicate when asked to; open() fails from then on.
//
// Loop thread only.
#pragma once

#include <string>

#include "platform/external_accessory/accessory.h"

namespace zt {

class SppTransport final : public AccessoryTransport {
 public:
  // Takes `fd`, which must be non-blocking, the link to the device named `device`.
  SppTransport(int fd, std::string device) : fd_(fd), device_(std::move(device)) {}
  ~SppTransport() override;
  SppTransport(const SppTransport&) = delete;
  SppTransport& operator=(const SppTransport&) = delete;

  PlatformResult<TransportChannel> open() override;
  int fd() const { return fd_; }
  // `breakLink`: shut the socket down, so every session sees its end.
  void end(bool breakLink);

 private:
  int fd_;
  std::string device_;
};

}  // namespace zt
