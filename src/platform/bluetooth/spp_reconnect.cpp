// Bringing back a serial port profile link that dropped: the accessory manager's waits for a
// Bluetooth link ask a reconnector, which holds a client (and so the system bus) while the wait
// lasts, to connect the device again on the manager's retry schedule.
#include "platform/bluetooth/bluez_client.h"

namespace zt {

namespace {

class SppReconnector final : public AccessoryReconnector {
 public:
  explicit SppReconnector(EAAccessoryManager& manager) : manager_(manager) { hold(); }

  void reconnect(const AccessoryKey& key, std::function<void()> done) override {
    if (!hold()) {
      manager_.runLoop().post(std::move(done));
      return;
    }
    client_->connectAddress(key.value,
                            [done = std::move(done)](const std::optional<BluetoothFailure>&) {
                              done();
                            });
  }

 private:
  // Whether a usable client is held; one whose bus broke is let go for a new one.
  bool hold() {
    if (client_ && client_->problem() && client_->problem()->lasting) client_.reset();
    if (!client_) {
      if (auto client = BluezClient::acquire(manager_)) client_ = std::move(*client);
    }
    return client_ != nullptr;
  }

  EAAccessoryManager& manager_;
  std::shared_ptr<BluezClient> client_;
};

}  // namespace

void BluezClient::connectAddress(const std::string& address, Done done) {
  for (const auto& [path, device] : objects_.devices) {
    if (device.address == address) return connect(path, std::move(done));
  }
  loop_.post([done = std::move(done),
              failure = bluetooth_failure::connectFailed(
                  address, true, "", "the Bluetooth service does not know it")] { done(failure); });
}

void installBluetoothReconnector(EAAccessoryManager& manager) {
  manager.setReconnector(AccessoryKind::BluetoothLink,
                         [&manager] { return std::make_unique<SppReconnector>(manager); });
}

}  // namespace zt
