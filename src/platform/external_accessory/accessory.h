// EAAccessory: one connected accessory as the application sees it: its identity, the protocol
// strings it declares, the number of this connection, whether it is still connected, the key
// that tells the same accessory when it comes back, and the transport a session opens on it.
//
// Accessories are made and retired by the accessory manager; a new connection of the same
// device is a new object with a new connectionID and an equal key. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/platform_error.h"

namespace zt {

// The protocol string of accessories that declare none of their own.
inline const std::string kDefaultProtocolString = "com.Zemra.Demo";

// Where an accessory comes from, and so what identifies it (AccessoryKey::value).
enum class AccessoryKind {
  SerialDevice,   // a tty found in sysfs: its serial number, else its device path
  GivenPath,      // a --device path: the path as given, a symbolic link included
  TcpEndpoint,    // a --tcp endpoint: "host:port" ("[v6 address]:port")
  DemoModule,     // the built-in demo module: no value
  BluetoothLink,  // a serial port profile link: the device's Bluetooth address
};

// Whether the accessory manager's rescans list accessories of `kind` (and so retire one that a
// rescan no longer finds); the others leave when their own layer says so.
constexpr bool isDiscovered(AccessoryKind kind) {
  return kind == AccessoryKind::SerialDevice || kind == AccessoryKind::GivenPath;
}

// Equal for every connection of the same accessory, whatever its connectionID.
struct AccessoryKey {
  AccessoryKind kind = AccessoryKind::DemoModule;
  std::string value;
  bool operator==(const AccessoryKey&) const = default;
};

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
// connected descriptor (which the listener takes over), or the failure that ended the attempt.
// Dropping it abandons the attempt.
class PendingConnection {
 public:
  using Outcome = std::function<void(PlatformResult<int> connected)>;
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
  std::string subject;  // what the channel's failures name: the path, "host:port", ...
};

// How a session reaches a device. open() says why it cannot, naming what a person knows (for a
// device path: "PATH: system error text").
class AccessoryTransport {
 public:
  virtual ~AccessoryTransport() = default;
  virtual PlatformResult<TransportChannel> open() = 0;
};

class EAAccessory {
 public:
  EAAccessory(AccessoryKey key, AccessoryIdentity identity, std::uint64_t connectionID,
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
  const AccessoryKey& key() const { return key_; }

  bool declaresProtocol(const std::string& protocolString) const;
  AccessoryTransport& transport() const { return *transport_; }

  // Manager side: the accessory has gone; isConnected() is false from now on.
  void markDisconnected() { connected_ = false; }
  // Manager side: what a session calls when it finds the device gone (end of data, hangup).
  void setGoneHandler(std::function<void()> handler) { goneHandler_ = std::move(handler); }
  void reportGone() const;

 private:
  AccessoryKey key_;
  AccessoryIdentity identity_;
  std::uint64_t connectionID_;
  std::shared_ptr<AccessoryTransport> transport_;
  bool connected_ = true;
  std::function<void()> goneHandler_;
};

}  // namespace zt
