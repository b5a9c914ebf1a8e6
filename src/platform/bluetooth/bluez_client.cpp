#include "platform/bluetooth/bluez_client.h"

namespace zt {

namespace {

using namespace std::chrono_literals;

constexpr auto kCallTimeout = 5s;

std::weak_ptr<BluezClient>& current() {
  static std::weak_ptr<BluezClient> client;
  return client;
}

}  // namespace

PlatformResult<std::shared_ptr<BluezClient>> BluezClient::acquire(EAAccessoryManager& manager) {
  if (auto client = current().lock()) return client;
  auto bus = BusConnection::open(manager.runLoop(), kCallTimeout);
  if (!bus) return bus.error();
  auto client = std::make_shared<BluezClient>(manager, std::move(*bus));
  if (auto error = client->start()) return error;
  current() = client;
  return client;
}

bool BluezClient::isOpen() { return !current().expired(); }

BluezClient::BluezClient(EAAccessoryManager& manager, std::unique_ptr<BusConnection> bus)
    : manager_(manager), loop_(manager.runLoop()), bus_(std::move(bus)) {}

PlatformError BluezClient::start() {
  bus_->setLostHandler([weak = weak_from_this()](const PlatformError& error) {
    if (const auto self = weak.lock()) {
      self->failure_ = bluetooth_failure::busLost(error);
      self->notifyLater();
    }
  });
  // Subscribed before the listing is asked for, so no change falls between the two.
  const auto forward = [weak = weak_from_this()](sd_bus_message& message) {
    if (const auto self = weak.lock()) self->onSignal(message);
  };
  const std::string fromDaemon = std::string("type='signal',sender='") + kBluezService + "',";
  if (auto error = bus_->match(
          fromDaemon + "path='/',interface='org.freedesktop.DBus.ObjectManager'", forward)) {
    return error;
  }
  if (auto error = bus_->match(
          fromDaemon + "interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
                       "path_namespace='/org/bluez'",
          forward)) {
    return error;
  }
  bus_->call(bus_->newCall(kBluezService, "/", "org.freedesktop.DBus.ObjectManager",
                           "GetManagedObjects"),
             [weak = weak_from_this()](sd_bus_message* reply, const sd_bus_error* error) {
               if (const auto self = weak.lock()) self->onListing(reply, error);
             });
  return {};
}

void BluezClient::onListing(sd_bus_message* reply, const sd_bus_error* error) {
  if (error != nullptr) {
    failure_ = bluetooth_failure::listingFailed(error->name, error->message ? error->message : "");
  } else if (const int r = objects_.readManagedObjects(*reply); r < 0) {
    failure_ = bluetooth_failure::listingFailed("", std::generic_category().message(-r));
  }
  listed_ = true;
  updateDiscovery();
  notifyLater();
}

void BluezClient::onSignal(sd_bus_message& message) {
  if (!listed_) return;  // the listing, answered after this, holds the change
  std::map<std::string, bool> wasConnected;
  for (const auto& [path, device] : objects_.devices) wasConnected[path] = device.connected;
  const char* member = sd_bus_message_get_member(&message);
  const std::string name = member != nullptr ? member : "";
  // A signal shaped unlike the daemon's is dropped; what it read before that stays.
  if (name == "InterfacesAdded") {
    static_cast<void>(objects_.readInterfacesAdded(message));
  } else if (name == "InterfacesRemoved") {
    static_cast<void>(objects_.readInterfacesRemoved(message));
  } else if (name == "PropertiesChanged") {
    static_cast<void>(objects_.readPropertiesChanged(message));
  }
  afterChange(wasConnected);
}

void BluezClient::afterChange(const std::map<std::string, bool>& wasConnected) {
  for (const auto& link : std::vector(links_)) {
    const auto before = wasConnected.find(link->device);
    const auto now = objects_.devices.find(link->device);
    const bool wentDown = before != wasConnected.end() && before->second &&
                          now != objects_.devices.end() && !now->second.connected;
    if (wentDown) dropLink(link, true);
  }
  updateDiscovery();
  notifyLater();
}

void BluezClient::notifyLater() {
  if (notifyPosted_) return;
  notifyPosted_ = true;
  loop_.post([weak = weak_from_this()] {
    const auto self = weak.lock();
    if (!self) return;
    self->notifyPosted_ = false;
    if (const auto listener = self->listener_) listener();
  });
}

std::optional<BluetoothFailure> BluezClient::problem() const {
  if (failure_) return failure_;
  if (!listed_) return std::nullopt;
  if (objects_.adapters.empty()) return bluetooth_failure::noAdapter();
  for (const auto& [path, powered] : objects_.adapters) {
    if (powered) return std::nullopt;
  }
  return bluetooth_failure::adapterOff();
}

std::vector<BluetoothDevice> BluezClient::devices() const {
  std::vector<BluetoothDevice> list;
  for (const auto& [path, device] : objects_.devices) {
    const auto adapter = objects_.adapters.find(device.adapter);
    if (adapter != objects_.adapters.end() && adapter->second) list.push_back(device);
  }
  return list;
}

void BluezClient::setDiscovering(bool on) {
  wantDiscovery_ = on;
  updateDiscovery();
}

void BluezClient::updateDiscovery() {
  const char* member = wantDiscovery_ ? "StartDiscovery" : "StopDiscovery";
  std::set<std::string> wanted;
  for (const auto& [path, powered] : objects_.adapters) {
    if (powered && wantDiscovery_ && !failure_) wanted.insert(path);
  }
  for (const auto& path : wantDiscovery_ ? wanted : discovering_) {
    if (wantDiscovery_ == discovering_.contains(path)) continue;
    // Discovery only adds devices to the list: the known ones show without it, so its failure
    // is not the person's concern. A stop keeps the connection until it is answered.
    bus_->call(bus_->newCall(kBluezService, path.c_str(), kAdapterInterface, member),
               [keep = wantDiscovery_ ? nullptr : shared_from_this()](sd_bus_message*,
                                                                      const sd_bus_error*) {});
  }
  discovering_ = wanted;
}

}  // namespace zt
