// Serial ports: Bluetooth RFCOMM ttys, USB serial and ACM adapters, on-board UARTs and any tty
// path given, pseudo-terminals included.
//
// openSerialPort() opens the device non-blocking, without making it the controlling terminal,
// and sets it raw: 8 data bits, no parity, one stop bit, no flow control, receiver on, modem
// lines ignored; pending bytes are flushed. Any thread; the descriptor is the caller's.
#pragma once

#include <string>

#include "platform/external_accessory/accessory.h"

namespace zt {

// Opens and configures `path` at `baud`: the descriptor, or the failure of whichever step
// failed, named by the path ("PATH: Permission denied").
PlatformResult<int> openSerialPort(const std::string& path, unsigned baud);

// A session on a serial device opens the port anew at the configured speed.
class SerialTransport final : public AccessoryTransport {
 public:
  SerialTransport(std::string path, unsigned baud) : path_(std::move(path)), baud_(baud) {}
  PlatformResult<TransportChannel> open() override;

 private:
  std::string path_;
  unsigned baud_;
};

}  // namespace zt
