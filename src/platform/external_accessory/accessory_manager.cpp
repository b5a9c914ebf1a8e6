#include "platform/external_accessory/accessory_manager.h"

#include <algorithm>
#include <any>
#include <cstdio>
#include <cstdlib>

#include "platform/external_accessory/demo_module.h"
#include "platform/external_accessory/discovery.h"
#include "platform/external_accessory/folder_watch.h"
#include "platform/external_accessory/serial_port.h"
#include "platform/external_accessory/tcp_transport.h"
#include "platform/external_accessory/uevent_monitor.h"
#include "platform/foundation/notification_center.h"

namespace zt {

namespace {

// Set once by createShared().
EAAccessoryManager*& sharedManager() {
  static EAAccessoryManager* manager = nullptr;
  return manager;
}

[[noreturn]] void misused(const char* what) {
  (void)std::fprintf(stderr, "EAAccessoryManager: %s\n", what);
  std::abort();
}

EAAccessoryManager::PickerPresenter& pickerPresenter() {
  static EAAccessoryManager::PickerPresenter presenter;
  return presenter;
}

AccessoryIdentity tcpIdentity(const TcpEndpointOption& endpoint) {
  AccessoryIdentity identity;
  identity.name = endpointText(endpoint);
  identity.modelNumber = "TCP";
  identity.serialNumber = identity.name;
  identity.protocolStrings = {kDefaultProtocolString};
  return identity;
}

}  // namespace

struct EAAccessoryManager::State : std::enable_shared_from_this<State> {
  struct Entry {
    std::shared_ptr<EAAccessory> accessory;
    std::string device;  // what a discovered accessory is now (SerialCandidate::device)
  };

  State(AccessoryOptions opts, RunLoop& runLoop) : options(std::move(opts)), loop(runLoop) {}

  void add(AccessoryKey key, AccessoryIdentity identity,
           std::shared_ptr<AccessoryTransport> transport, bool notify, std::string device = {});
  void retire(std::size_t index);
  void goneReported(const std::shared_ptr<EAAccessory>& accessory);
  void notify(const std::string& name, const std::shared_ptr<EAAccessory>& accessory) const;
  void rescan(bool notify);
  void followChanges();
  void armTimer();

  AccessoryOptions options;
  RunLoop& loop;
  std::vector<Entry> entries;
  std::uint64_t nextConnectionID = 1;
  int registrations = 0;
  const void* sender = nullptr;
  struct TcpEndpoint {
    AccessoryKey key;
    AccessoryIdentity identity;
    std::shared_ptr<TcpTransport> transport;
  };
  std::vector<TcpEndpoint> tcp;
  std::unique_ptr<UeventMonitor> monitor;
  std::unique_ptr<FolderWatch> folders;
  RunLoop::Id timer = 0;
  std::unique_ptr<AccessoryReturns> returns;  // made once the state is shared
};

void EAAccessoryManager::State::add(AccessoryKey key, AccessoryIdentity identity,
                                    std::shared_ptr<AccessoryTransport> transport, bool notifying,
                                    std::string device) {
  auto accessory = std::make_shared<EAAccessory>(std::move(key), std::move(identity),
                                                 nextConnectionID++, std::move(transport));
  // The handler may run inside a stream read: the retirement itself waits for the loop.
  accessory->setGoneHandler([weakState = weak_from_this(), weakAccessory = std::weak_ptr(accessory),
                             &runLoop = loop] {
    runLoop.post([weakState, weakAccessory] {
      const auto state = weakState.lock();
      const auto gone = weakAccessory.lock();
      if (state && gone) state->goneReported(gone);
    });
  });
  entries.push_back({accessory, std::move(device)});
  if (notifying) notify(EAAccessoryDidConnectNotification, accessory);
  returns->appeared(accessory);
}

void EAAccessoryManager::State::retire(std::size_t index) {
  const Entry entry = entries[index];
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
  entry.accessory->markDisconnected();
  notify(EAAccessoryDidDisconnectNotification, entry.accessory);
}

void EAAccessoryManager::State::goneReported(const std::shared_ptr<EAAccessory>& accessory) {
  const auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const Entry& e) { return e.accessory == accessory; });
  if (it == entries.end()) return;  // already retired (a rescan saw it first)
  retire(static_cast<std::size_t>(it - entries.begin()));
  // A TCP endpoint stays reachable: its next connection is a new accessory.
  for (const auto& endpoint : tcp) {
    if (endpoint.key == accessory->key()) {
      add(endpoint.key, endpoint.identity, endpoint.transport, true);
    }
  }
}

void EAAccessoryManager::State::notify(const std::string& name,
                                       const std::shared_ptr<EAAccessory>& accessory) const {
  if (registrations <= 0) return;
  NotificationCenter::defaultCenter().postNotification(name, sender,
                                                       {{EAAccessoryKey, std::any(accessory)}});
}

void EAAccessoryManager::State::rescan(bool notifying) {
  const auto present = discoverSerialDevices(options);
  const auto isListed = [](const Entry& e, const SerialCandidate& c) {
    return e.accessory->key() == c.key && e.device == c.device;
  };
  for (std::size_t i = entries.size(); i-- > 0;) {
    if (!isDiscovered(entries[i].accessory->key().kind)) continue;
    const bool stays = std::any_of(present.begin(), present.end(),
                                   [&](const SerialCandidate& c) { return isListed(entries[i], c); });
    if (!stays) retire(i);
  }
  for (const auto& candidate : present) {
    const bool listed = std::any_of(entries.begin(), entries.end(),
                                    [&](const Entry& e) { return isListed(e, candidate); });
    if (!listed) {
      add(candidate.key, candidate.identity,
          std::make_shared<SerialTransport>(candidate.path, candidate.baud), notifying,
          candidate.device);
    }
  }
  followChanges();
}

// The kernel's uevents tell of every tty that sysfs lists; the folders of the given paths tell
// of those paths. Only what neither can tell is looked for again on a timer, so an idle manager
// is not woken at all.
void EAAccessoryManager::State::followChanges() {
  const bool pathsWatched = folders->watch(givenPathEntries(options));
  const bool polling = !monitor->active() || !pathsWatched;
  if (polling && timer == 0) armTimer();
  if (!polling && timer != 0) {
    loop.cancel(timer);
    timer = 0;
  }
}

void EAAccessoryManager::State::armTimer() {
  const double seconds = static_cast<double>(options.rescanInterval.count()) / 1000.0;
  timer = loop.after(seconds, [weak = weak_from_this()] {
    if (const auto state = weak.lock()) {
      state->timer = 0;
      state->rescan(true);
    }
  });
}

EAAccessoryManager& EAAccessoryManager::createShared(AccessoryOptions options) {
  if (sharedManager() != nullptr) misused("createShared() called twice");
  // Made after the main loop, so it goes before the loop at exit.
  static EAAccessoryManager manager(std::move(options));
  sharedManager() = &manager;
  return manager;
}

EAAccessoryManager& EAAccessoryManager::sharedAccessoryManager() {
  EAAccessoryManager* manager = sharedManager();
  if (manager == nullptr) misused("sharedAccessoryManager() called before createShared()");
  return *manager;
}

EAAccessoryManager::EAAccessoryManager(AccessoryOptions options, RunLoop& loop)
    : state_(std::make_shared<State>(std::move(options), loop)) {
  State& s = *state_;
  s.sender = this;
  const auto listed = [weak = std::weak_ptr(state_)] {
    std::vector<std::shared_ptr<EAAccessory>> list;
    if (const auto state = weak.lock()) {
      for (const auto& entry : state->entries) list.push_back(entry.accessory);
    }
    return list;
  };
  s.returns = std::make_unique<AccessoryReturns>(loop, s.options.retry, listed);
  const auto rescanOnChange = [weak = std::weak_ptr(state_)] {
    if (const auto state = weak.lock()) state->rescan(true);
  };
  s.monitor = std::make_unique<UeventMonitor>(loop, rescanOnChange);
  s.folders = std::make_unique<FolderWatch>(loop, rescanOnChange);
  s.rescan(false);
  for (const auto& endpoint : s.options.tcpEndpoints) {
    const auto& added = s.tcp.emplace_back(State::TcpEndpoint{
        {AccessoryKind::TcpEndpoint, endpointText(endpoint)}, tcpIdentity(endpoint),
        std::make_shared<TcpTransport>(endpoint, loop, s.options.tcpConnectTimeout)});
    s.add(added.key, added.identity, added.transport, false);
  }
  if (s.options.demo) {
    s.add({AccessoryKind::DemoModule, {}}, demoModuleIdentity(), std::make_shared<DemoModule>(loop),
          false);
  }
}

EAAccessoryManager::~EAAccessoryManager() {
  state_->loop.cancel(state_->timer);
  state_->monitor.reset();
  state_->folders.reset();
}

std::vector<std::shared_ptr<EAAccessory>> EAAccessoryManager::connectedAccessories() const {
  std::vector<std::shared_ptr<EAAccessory>> list;
  list.reserve(state_->entries.size());
  for (const auto& entry : state_->entries) list.push_back(entry.accessory);
  return list;
}

void EAAccessoryManager::registerForLocalNotifications() { ++state_->registrations; }

void EAAccessoryManager::unregisterForLocalNotifications() {
  if (state_->registrations > 0) --state_->registrations;
}

void EAAccessoryManager::setBluetoothAccessoryPickerPresenter(PickerPresenter presenter) {
  pickerPresenter() = std::move(presenter);
}

void EAAccessoryManager::showBluetoothAccessoryPickerWithNameFilter(
    const std::optional<std::string>& nameFilter, const PickerCompletion& completion) {
  const PickerCompletion done = completion ? completion : [](const PlatformError&) {};
  if (const auto presenter = pickerPresenter()) {
    presenter(*this, nameFilter, done);
  } else {
    done({std::make_error_code(std::errc::not_supported), "Bluetooth accessory picker", {}});
  }
}

std::shared_ptr<EAAccessory> EAAccessoryManager::addConnectedAccessory(
    AccessoryKey key, AccessoryIdentity identity, std::shared_ptr<AccessoryTransport> transport) {
  State& s = *state_;
  s.add(std::move(key), std::move(identity), std::move(transport), true);
  return s.entries.back().accessory;
}

void EAAccessoryManager::removeConnectedAccessory(const std::shared_ptr<EAAccessory>& accessory) {
  state_->goneReported(accessory);
}

RunLoop& EAAccessoryManager::runLoop() const { return state_->loop; }

std::unique_ptr<AccessoryWait> EAAccessoryManager::awaitAccessory(const AccessoryKey& key,
                                                                  std::uint64_t lostID,
                                                                  AccessoryReturns::Back back) {
  return state_->returns->await(key, lostID, std::move(back));
}

void EAAccessoryManager::setReconnector(AccessoryKind kind,
                                        AccessoryReturns::ReconnectorFactory factory) {
  state_->returns->setReconnector(kind, std::move(factory));
}

void EAAccessoryManager::rescan() { state_->rescan(true); }

}  // namespace zt
