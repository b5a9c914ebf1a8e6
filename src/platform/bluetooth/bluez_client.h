// BluezClient: the Bluetooth daemon (BlueZ) as this program uses it, over one system-bus
// connection: the devices it knows on powered adapters, followed live; discovery while a person
// is choosing; and Serial Port Profile links. A link the daemon hands over
// (Profile1.NewConnection) becomes a connected accessory of the accessory manager (name = alias,
// model number "Bluetooth SPP", serial number = address) and leaves it when the link drops: end
// of stream, the daemon's RequestDisconnection, or the device's Connected turning false.
//
// One client at a time: acquire() opens the system bus on first use; the client, and with it
// the bus, lives while someone holds it or one of its links stands. A link that dropped is
// connected again while a transfer screen waits for it (installBluetoothReconnector), which
// holds the client meanwhile. Every call to the daemon has a timeout; news reaches the
// listener, and a connect its answer, on a later pass of the loop. Loop thread only (the
// accessory manager's loop, which must outlive the client).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/bluetooth/bluetooth_device.h"
#include "platform/bluetooth/bluetooth_failure.h"
#include "platform/bluetooth/bluez_objects.h"
#include "platform/bluetooth/bus_connection.h"
#include "platform/bluetooth/spp_transport.h"
#include "platform/external_accessory/accessory_manager.h"

namespace zt {

class BluezClient : public std::enable_shared_from_this<BluezClient> {
 public:
  using Done = std::function<void(const std::optional<BluetoothFailure>& failure)>;

  // The client in use, else a new one, or why the system bus cannot be used.
  static PlatformResult<std::shared_ptr<BluezClient>> acquire(EAAccessoryManager& manager);
  // Whether a client, and so a connection to the system bus, exists.
  static bool isOpen();

  BluezClient(EAAccessoryManager& manager, std::unique_ptr<BusConnection> bus);
  BluezClient(const BluezClient&) = delete;
  BluezClient& operator=(const BluezClient&) = delete;

  // Runs when the devices or the problem may have changed; null stops the news.
  void setListener(std::function<void()> listener) { listener_ = std::move(listener); }
  // Why Bluetooth cannot be used now (no daemon, no adapter, switched off, bus lost), if so.
  std::optional<BluetoothFailure> problem() const;
  // The devices on powered adapters, in no particular order.
  std::vector<BluetoothDevice> devices() const;
  // Has every powered adapter discover devices, or stops the discovery this client started.
  void setDiscovering(bool on);
  // Connects the serial port profile of the device at `path`; `done` gets no failure once the
  // link is a listed accessory.
  void connect(const std::string& path, Done done);
  // The same for the device with the Bluetooth `address`, once the daemon has listed it.
  void connectAddress(const std::string& address, Done done);

 private:
  struct Link {
    std::string device;
    std::shared_ptr<SppTransport> transport;
    std::shared_ptr<EAAccessory> accessory;
    RunLoop::Id watch = 0;
    bool dropped = false;
  };
  struct Connecting {
    Done done;
    int attempts = 0;
    bool linked = false;
    std::optional<BluetoothFailure> handoverFailure;
  };

  PlatformError start();
  void onListing(sd_bus_message* reply, const sd_bus_error* error);
  void onSignal(sd_bus_message& message);
  void afterChange(const std::map<std::string, bool>& wasConnected);
  void notifyLater();
  void updateDiscovery();

  // Serial port profile: spp_links.cpp.
  void withProfile(Done next);
  void onProfileCall(sd_bus_message& call);
  void onNewConnection(sd_bus_message& call);
  void connectProfile(const std::string& path);
  void finishConnect(const std::string& path, std::optional<BluetoothFailure> failure);
  void addLink(const std::string& device, int fd);
  void listLink(const std::shared_ptr<Link>& link);
  void dropLink(const std::shared_ptr<Link>& link, bool breakLink);
  // How a message names the device at `path`.
  std::string nameOf(const std::string& path) const;

  EAAccessoryManager& manager_;
  RunLoop& loop_;
  std::unique_ptr<BusConnection> bus_;
  BluezObjects objects_;
  bool listed_ = false;
  std::optional<BluetoothFailure> failure_;  // of the listing or the bus
  std::function<void()> listener_;
  bool notifyPosted_ = false;
  bool wantDiscovery_ = false;
  std::set<std::string> discovering_;  // adapters this client asked to discover

  bool profileServed_ = false;
  bool profileRegistered_ = false;
  std::vector<Done> profileWaiters_;  // while registration is under way
  std::map<std::string, Connecting> connecting_;
  std::vector<std::shared_ptr<Link>> links_;
  std::shared_ptr<BluezClient> self_;  // held while links stand
};

// Has `manager`'s waits for a Bluetooth link connect it again on the manager's retry schedule,
// holding a client (and so the system bus) while a wait lasts (spp_reconnect.cpp).
void installBluetoothReconnector(EAAccessoryManager& manager);

}  // namespace zt
