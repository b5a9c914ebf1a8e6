// SppTransport: the RFCOMM socket of one Serial Port Profile link, handed over by the Bluetooth
// daemon. Each session opens a duplicate of it (a non-blocking socket, so writes never raise
// SIGPIPE). end() lets go of the link, first breaking it for every duplicate when asked to;
// open() fails from then on.
//
// Loop thread only.
#pragma once

#include "platform/external_accessory/accessory.h"

namespace zt {

class SppTransport final : public AccessoryTransport {
 public:
  // Takes `fd`, which must be non-blocking.
  explicit SppTransport(int fd) : fd_(fd) {}
  ~SppTransport() override;
  SppTransport(const SppTransport&) = delete;
  SppTransport& operator=(const SppTransport&) = delete;

  TransportChannel open() override;
  int fd() const { return fd_; }
  // `breakLink`: shut the socket down, so every session sees its end.
  void end(bool breakLink);

 private:
  int fd_;
};

}  // namespace zt
