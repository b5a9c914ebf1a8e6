// EASession: an open byte channel to an accessory for one protocol string, as an input and an
// output stream over descriptors of their own.
//
// create() gives no session when the accessory has gone, does not declare the protocol, or
// its device cannot be opened (a serial port that fails to open), and then says why, in words
// fit for the person. A session on a TCP endpoint exists at once and connects while it lives:
// its output stream has no space until the connection is made, and a connection refused or not
// made in time is the device going away, its reason in both streams' streamError(). The
// streams report the device going away to the accessory's manager. Main thread only, except
// what OutputStream allows.
#pragma once

#include <memory>
#include <string>

#include "platform/external_accessory/accessory.h"
#include "platform/external_accessory/stream.h"

namespace zt {

class EASession {
 public:
  static PlatformResult<std::shared_ptr<EASession>> create(
      const std::shared_ptr<EAAccessory>& accessory, const std::string& protocolString);

  const std::shared_ptr<EAAccessory>& accessory() const { return accessory_; }
  const std::string& protocolString() const { return protocolString_; }
  const std::shared_ptr<InputStream>& inputStream() const { return input_; }
  const std::shared_ptr<OutputStream>& outputStream() const { return output_; }

 private:
  EASession(std::shared_ptr<EAAccessory> accessory, std::string protocolString);
  // Makes the streams over `channel`, which it takes.
  PlatformError attach(TransportChannel channel);

  std::shared_ptr<EAAccessory> accessory_;
  std::string protocolString_;
  std::shared_ptr<InputStream> input_;
  std::shared_ptr<OutputStream> output_;
  std::shared_ptr<PendingConnection> pending_;  // while connecting
};

}  // namespace zt
