// BluezClient's serial port profile: the Profile1 object, its registration, connecting a device
// and the links the daemon hands over.
#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "platform/bluetooth/bluez_client.h"

namespace zt {

namespace {

using namespace std::chrono_literals;

constexpr const char* kProfilePath = "/org/zemra/telvo/serial_port";
constexpr const char* kProfileInterface = "org.bluez.Profile1";
// Paging a device that is off takes the daemon about five seconds, and looking up its services
// some more: a connect gets longer than other calls.
constexpr auto kConnectTimeout = 25s;

std::string errorName(const sd_bus_error* error) { return error->name ? error->name : ""; }
std::string errorText(const sd_bus_error* error) { return error->message ? error->message : ""; }

// A device's address from its object path (.../dev_98_D3_31_F6_1A_2B), for a device not listed.
std::string addressFromPath(const std::string& path) {
  const auto at = path.rfind("/dev_");
  std::string address = at == std::string::npos ? path : path.substr(at + 5);
  std::replace(address.begin(), address.end(), '_', ':');
  return address;
}

// Answers a served call. When the answer cannot go out the bus is breaking, which the
// connection's lost handler reports.
void answer(sd_bus_message& call, const char* error = nullptr, const std::string& text = {}) {
  if (error == nullptr) {
    static_cast<void>(sd_bus_reply_method_return(&call, ""));
  } else {
    static_cast<void>(sd_bus_reply_method_errorf(&call, error, "%s", text.c_str()));
  }
}

}  // namespace

void BluezClient::connect(const std::string& path, Done done) {
  if (connecting_.contains(path)) {
    loop_.post([done = std::move(done), failure = bluetooth_failure::connectUnderWay(nameOf(path))] {
      done(failure);
    });
    return;
  }
  connecting_[path].done = std::move(done);
  withProfile([weak = weak_from_this(), path](const std::optional<BluetoothFailure>& failure) {
    const auto self = weak.lock();
    if (!self) return;
    if (failure) {
      self->finishConnect(path, failure);
    } else {
      self->connectProfile(path);
    }
  });
}

void BluezClient::withProfile(Done next) {
  if (profileRegistered_) return next(std::nullopt);
  profileWaiters_.push_back(std::move(next));
  if (profileWaiters_.size() > 1) return;  // registration under way
  if (!profileServed_) {
    // The object answers before the daemon learns of it.
    const auto refused = bus_->serve(kProfilePath, [weak = weak_from_this()](sd_bus_message& call) {
      if (const auto self = weak.lock()) self->onProfileCall(call);
    });
    if (refused) {
      for (const auto& waiter : std::exchange(profileWaiters_, {})) {
        waiter(bluetooth_failure::busLost(refused));
      }
      return;
    }
    profileServed_ = true;
  }
  auto call = bus_->newCall(kBluezService, "/org/bluez", "org.bluez.ProfileManager1",
                            "RegisterProfile", "osa{sv}", kProfilePath, kSerialPortProfileUuid, 2,
                            "Role", "s", "client", "Name", "s", "Zemra Telvo serial port");
  bus_->call(std::move(call), [weak = weak_from_this()](sd_bus_message*, const sd_bus_error* error) {
    const auto self = weak.lock();
    if (!self) return;
    std::optional<BluetoothFailure> failure;
    if (error != nullptr) {
      failure = bluetooth_failure::profileRefused(errorName(error), errorText(error));
    }
    self->profileRegistered_ = !failure;
    for (const auto& waiter : std::exchange(self->profileWaiters_, {})) waiter(failure);
  });
}

void BluezClient::connectProfile(const std::string& path) {
  ++connecting_[path].attempts;
  auto call = bus_->newCall(kBluezService, path.c_str(), kDeviceInterface, "ConnectProfile", "s",
                            kSerialPortProfileUuid);
  const auto answered = [weak = weak_from_this(), path](sd_bus_message*, const sd_bus_error* error) {
    const auto self = weak.lock();
    if (!self || !self->connecting_.contains(path)) return;
    const Connecting& state = self->connecting_[path];
    const auto device = self->objects_.devices.find(path);
    const bool paired = device != self->objects_.devices.end() && device->second.paired;
    if (error != nullptr) {
      self->finishConnect(path, state.handoverFailure.value_or(bluetooth_failure::connectFailed(
                                    self->nameOf(path), paired, errorName(error), errorText(error))));
    } else if (state.linked) {
      self->finishConnect(path, std::nullopt);
    } else if (state.attempts < 2) {
      // Answered without a link: the daemon still holds an earlier one. End it, then again.
      auto end = self->bus_->newCall(kBluezService, path.c_str(), kDeviceInterface,
                                     "DisconnectProfile", "s", kSerialPortProfileUuid);
      self->bus_->call(std::move(end), [weak, path](sd_bus_message*, const sd_bus_error*) {
        const auto again = weak.lock();
        if (again && again->connecting_.contains(path)) again->connectProfile(path);
      });
    } else {
      self->finishConnect(path, bluetooth_failure::linkNotHandedOver(self->nameOf(path)));
    }
  };
  bus_->call(std::move(call), answered, kConnectTimeout);
}

void BluezClient::finishConnect(const std::string& path, std::optional<BluetoothFailure> failure) {
  auto node = connecting_.extract(path);
  if (node.empty()) return;
  // After the link's own listing, which was posted when it came.
  loop_.post([done = std::move(node.mapped().done), failure = std::move(failure)] { done(failure); });
}

void BluezClient::onProfileCall(sd_bus_message& call) {
  if (sd_bus_message_is_method_call(&call, kProfileInterface, "NewConnection") > 0) {
    onNewConnection(call);
  } else if (sd_bus_message_is_method_call(&call, kProfileInterface, "RequestDisconnection") > 0) {
    const char* device = nullptr;
    const bool read = sd_bus_message_read(&call, "o", &device) >= 0;
    answer(call);
    for (const auto& link : std::vector(links_)) {
      if (read && link->device == device) dropLink(link, true);
    }
  } else if (sd_bus_message_is_method_call(&call, kProfileInterface, "Release") > 0) {
    profileRegistered_ = false;  // the daemon dropped the profile: register again when needed
    answer(call);
  } else {
    answer(call, SD_BUS_ERROR_UNKNOWN_METHOD, "unknown method");
  }
}

void BluezClient::onNewConnection(sd_bus_message& call) {
  const char* device = nullptr;
  int fd = -1;
  if (const int r = sd_bus_message_read(&call, "oh", &device, &fd); r < 0) {
    return answer(call, SD_BUS_ERROR_INVALID_ARGS, std::generic_category().message(-r));
  }
  // The message owns the descriptor it carries: keep a duplicate of our own.
  const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  const int flags = own < 0 ? -1 : ::fcntl(own, F_GETFL);
  if (flags < 0 || ::fcntl(own, F_SETFL, flags | O_NONBLOCK) < 0) {
    const std::string reason = std::generic_category().message(errno);
    if (own >= 0) ::close(own);
    if (connecting_.contains(device)) {
      connecting_[device].handoverFailure = bluetooth_failure::connectFailed(
          nameOf(device), true, "", "the link could not be taken over (" + reason + ")");
    }
    return answer(call, "org.bluez.Error.Rejected", reason);
  }
  answer(call);
  addLink(device, own);
}

void BluezClient::addLink(const std::string& device, int fd) {
  auto link = std::make_shared<Link>();
  link->device = device;
  link->transport = std::make_shared<SppTransport>(fd, nameOf(device));
  // Only the end is watched: the bytes are for the session's own duplicate.
  link->watch = loop_.watch(fd, POLLRDHUP, [weak = weak_from_this(), link](short) {
    if (const auto self = weak.lock()) self->dropLink(link, false);
  });
  links_.push_back(link);
  self_ = shared_from_this();
  if (const auto waiting = connecting_.find(device); waiting != connecting_.end()) {
    waiting->second.linked = true;
  }
  // Listed outside the bus's processing, as the notification runs the application's observers.
  loop_.post([weak = weak_from_this(), link] {
    if (const auto self = weak.lock()) self->listLink(link);
  });
}

void BluezClient::listLink(const std::shared_ptr<Link>& link) {
  if (link->dropped) return;
  AccessoryIdentity identity;
  const auto known = objects_.devices.find(link->device);
  identity.name = nameOf(link->device);
  identity.modelNumber = "Bluetooth SPP";
  identity.serialNumber =
      known != objects_.devices.end() ? known->second.address : addressFromPath(link->device);
  identity.protocolStrings = {kDefaultProtocolString};
  AccessoryKey key{AccessoryKind::BluetoothLink, identity.serialNumber};
  link->accessory =
      manager_.addConnectedAccessory(std::move(key), std::move(identity), link->transport);
}

std::string BluezClient::nameOf(const std::string& path) const {
  const auto device = objects_.devices.find(path);
  return device != objects_.devices.end() ? displayName(device->second) : addressFromPath(path);
}

void BluezClient::dropLink(const std::shared_ptr<Link>& link, bool breakLink) {
  if (link->dropped) return;
  link->dropped = true;
  loop_.unwatch(link->watch);
  link->transport->end(breakLink);
  std::erase(links_, link);
  if (link->accessory) {
    loop_.post([&manager = manager_, accessory = link->accessory] {
      manager.removeConnectedAccessory(accessory);
    });
  }
  // Without links the client lives only while held; let go outside any processing.
  if (links_.empty() && self_) loop_.post([held = std::move(self_)] {});
}

}  // namespace zt
