// EAAccessoryManager: the list of connected accessories and the notifications that follow it.
//
// It lists the serial devices found in sysfs, the device paths given while they exist, the TCP
// endpoints given (always: a session connects when it opens) and the built-in demo module,
// in order of appearance, and the accessories that another layer connected (Bluetooth links);
// every connection gets a new, higher connectionID, and keeps the key of its accessory
// (EAAccessory::key). Rescans list and retire only the kinds they discover. Devices coming and
// going are noticed through the kernel's uevents, the given paths through inotify on their
// folders; a rescan timer runs only where those cannot tell (no uevent socket, a folder that
// cannot be watched), so an idle manager costs no wakeups. An accessory whose session
// finds its device gone (end of data, hangup) is retired at once; a TCP endpoint is then listed
// again as a new connection. While registered (registerForLocalNotifications), each change
// posts EAAccessoryDidConnectNotification or EAAccessoryDidDisconnectNotification on the
// default NotificationCenter, with the accessory under EAAccessoryKey as a
// std::shared_ptr<EAAccessory>. A transfer screen whose accessory went away may wait for it to
// come back (awaitAccessory).
//
// The shared manager lives on RunLoop::main(). The program makes it once, with its options,
// by createShared(), after RunLoop::createMain() and before anything uses it; using it before,
// or making it twice, ends the process with a message. Tests may make managers of their own on
// a loop of their own. Loop thread only.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/external_accessory/accessory.h"
#include "platform/external_accessory/accessory_returns.h"
#include "platform/external_accessory/options.h"
#include "platform/runloop/run_loop.h"

namespace zt {

inline const std::string EAAccessoryDidConnectNotification = "EAAccessoryDidConnectNotification";
inline const std::string EAAccessoryDidDisconnectNotification =
    "EAAccessoryDidDisconnectNotification";
inline const std::string EAAccessoryKey = "EAAccessoryKey";

class EAAccessoryManager {
 public:
  // Empty when a device was chosen; else why not (std::errc::operation_canceled: cancelled).
  using PickerCompletion = std::function<void(const PlatformError&)>;
  // Shows the Bluetooth accessory picker for `manager`; `completion` runs once, when it closes.
  using PickerPresenter = std::function<void(EAAccessoryManager& manager,
                                             const std::optional<std::string>& nameFilter,
                                             PickerCompletion completion)>;

  // Makes the shared manager on RunLoop::main(), once.
  static EAAccessoryManager& createShared(AccessoryOptions options);
  // The manager createShared() made.
  static EAAccessoryManager& sharedAccessoryManager();

  explicit EAAccessoryManager(AccessoryOptions options, RunLoop& loop = RunLoop::main());
  ~EAAccessoryManager();
  EAAccessoryManager(const EAAccessoryManager&) = delete;
  EAAccessoryManager& operator=(const EAAccessoryManager&) = delete;

  std::vector<std::shared_ptr<EAAccessory>> connectedAccessories() const;
  // Counted: notifications go out while registrations outnumber unregistrations.
  void registerForLocalNotifications();
  void unregisterForLocalNotifications();

  // The program installs the picker once (this layer knows no user interface); null removes it.
  static void setBluetoothAccessoryPickerPresenter(PickerPresenter presenter);
  // Asks the installed presenter; without one, `completion` (if any) gets
  // std::errc::not_supported at once, named "Bluetooth accessory picker".
  void showBluetoothAccessoryPickerWithNameFilter(const std::optional<std::string>& nameFilter,
                                                  const PickerCompletion& completion);

  // Lists an accessory connected by another layer (a Bluetooth link): a new connectionID and,
  // while registered, the connect notification.
  std::shared_ptr<EAAccessory> addConnectedAccessory(AccessoryKey key, AccessoryIdentity identity,
                                                     std::shared_ptr<AccessoryTransport> transport);
  // Takes such an accessory off the list, with its disconnect notification; nothing when it has
  // gone already.
  void removeConnectedAccessory(const std::shared_ptr<EAAccessory>& accessory);
  RunLoop& runLoop() const;

  // Waits for the accessory of `key` to come back after its connection `lostID` went away:
  // `back` runs on the loop with a newer connection of it, as accessory_returns.h tells, until
  // the wait returned is dropped. TCP endpoints and reconnectors follow the options' retry.
  std::unique_ptr<AccessoryWait> awaitAccessory(const AccessoryKey& key, std::uint64_t lostID,
                                                AccessoryReturns::Back back);
  // The layer that connects accessories of `kind` (Bluetooth links) brings them back this way.
  void setReconnector(AccessoryKind kind, AccessoryReturns::ReconnectorFactory factory);

  // Looks at the devices now (the timer, the uevent monitor and the folder watch call it too).
  void rescan();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace zt
