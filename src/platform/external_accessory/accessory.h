// EAAccessory: one connected accessory as the application sees it: its identity, the protocol
// strings it declares, the number of this connection, whether it is still connected, and the
// transport a session opens on it.
//
// Accessories are made and retired by the accessory manager; a new connection of the same
// device is a new object with a new connectionID. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zt {

// The protocol string of accessories that declare none of their own.
inline const std::string kDefaultProtocolString = "com.Zemra.Demo";

struct AccessoryIdentity {
  std::string name;
  std::string manufacturer;
  std::string modelNumber;
  std::string serialNumber;
  std::string firmwareRevision;
  std::string hardwareRevision;
  std::vector<std::string> protocolStrings;
};

// A connection still being made. It reports its outcome once, on the loop's thread: the
// connected descriptor (which the listener takes over) and 0, or -1 and the errno that ended
// the attempt. Dropping it abandons the attempt.
class PendingConnection {
 public:
  using Outcome = std::function<void(int fd, int error)>;
  virtual ~PendingConnection() = default;
  // Sets who hears the outcome; an outcome already known is reported at once.
  virtual void onOutcome(Outcome outcome) = 0;
};

// A byte channel to a device: one descriptor for both directions, or, while the connection is
// still being made, none yet and the pending connection that will give it.
struct TransportChannel {
  int fd = -1;
  bool socket = false;  // send() instead of write()
  std::shared_ptr<PendingConnection> pending;
};

// How a session reaches a device. open() throws std::system_error when it cannot, its what()
// the reason in words fit for the person (for a device path: "PATH: system error text").
class AccessoryTransport {
 public:
  virtual ~AccessoryTransport() = default;
  virtual TransportChannel open() = 0;
};

class EAAccessory {
 public:
  EAAccessory(AccessoryIdentity identity, std::uint64_t connectionID,
              std::shared_ptr<AccessoryTransport> transport);

  const std::string& name() const { return identity_.name; }
  const std::string& manufacturer() const { return identity_.manufacturer; }
  const std::string& modelNumber() const { return identity_.modelNumber; }
  const std::string& serialNumber() const { return identity_.serialNumber; }
  const std::string& firmwareRevision() const { return identity_.firmwareRevision; }
  const std::string& hardwareRevision() const { return identity_.hardwareRevision; }
  const std::vector<std::string>& protocolStrings() const { return identity_.protocolStrings; }
  std::uint64_t connectionID() const { return connectionID_; }
  bool isConnected() const { return connected_; }

  bool declaresProtocol(const std::string& protocolString) const;
  AccessoryTransport& transport() const { return *transport_; }

  // Manager side: the accessory has gone; isConnected() is false from now on.
  void markDisconnected() { connected_ = false; }
  // Manager side: what a session calls when it finds the device gone (end of data, hangup).
  void setGoneHandler(std::function<void()> handler) { goneHandler_ = std::move(handler); }
  void reportGone() const;

 private:
  AccessoryIdentity identity_;
  std::uint64_t connectionID_;
  std::shared_ptr<AccessoryTransport> transport_;
  bool connected_ = true;
  std::function<void()> goneHandler_;
};

}  // namespace zt
