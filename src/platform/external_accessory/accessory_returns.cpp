#include "platform/external_accessory/accessory_returns.h"

#include <algorithm>

namespace zt {

struct AccessoryReturns::Wait : std::enable_shared_from_this<Wait> {
  Wait(RunLoop& runLoop, AccessoryKey waitedKey, std::uint64_t lost, Back listener,
       Listed listing, RetrySchedule retry, std::unique_ptr<AccessoryReconnector> again)
      : loop(runLoop),
        key(std::move(waitedKey)),
        lostID(lost),
        back(std::move(listener)),
        listed(std::move(listing)),
        schedule(std::move(retry)),
        reconnector(std::move(again)) {}

  bool wants(const EAAccessory& accessory) const {
    return !ended && accessory.key() == key && accessory.connectionID() > lostID;
  }
  std::shared_ptr<EAAccessory> firstListed() const {
    const auto list = listed();
    const auto first = std::find_if(list.begin(), list.end(),
                                    [this](const auto& accessory) { return wants(*accessory); });
    return first != list.end() ? *first : nullptr;
  }
  // The listener hears of `accessory` on a later pass, if it still waits and the accessory is
  // still connected then.
  void offer(const std::shared_ptr<EAAccessory>& accessory) {
    loop.post([weak = weak_from_this(), accessory] {
      const auto self = weak.lock();
      if (self && !self->ended && accessory->isConnected()) self->back(accessory);
    });
  }
  void arm() {
    const double seconds =
        std::chrono::duration<double>(schedule.delay(attempt++)).count();
    timer = loop.after(seconds, [weak = weak_from_this()] {
      if (const auto self = weak.lock()) self->tick();
    });
  }
  void tick() {
    timer = 0;
    if (ended) return;
    if (const auto accessory = firstListed()) {
      offer(accessory);
      arm();
    } else if (reconnector) {
      // The next try is counted from the end of this one, which may take long.
      reconnector->reconnect(key, [weak = weak_from_this()] {
        const auto self = weak.lock();
        if (self && !self->ended) self->arm();
      });
    } else {
      arm();
    }
  }
  void end() {
    ended = true;
    if (timer != 0) loop.cancel(timer);
    timer = 0;
    reconnector.reset();
  }

  RunLoop& loop;
  AccessoryKey key;
  std::uint64_t lostID;
  Back back;
  Listed listed;
  RetrySchedule schedule;
  std::unique_ptr<AccessoryReconnector> reconnector;
  std::size_t attempt = 0;
  RunLoop::Id timer = 0;
  bool ended = false;
};

// What the listener holds: dropping it ends the wait.
class AccessoryReturns::Handle final : public AccessoryWait {
 public:
  explicit Handle(std::shared_ptr<Wait> wait) : wait_(std::move(wait)) {}
  ~Handle() override { wait_->end(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

 private:
  std::shared_ptr<Wait> wait_;
};

AccessoryReturns::AccessoryReturns(RunLoop& loop, RetrySchedule schedule, Listed listed)
    : loop_(loop), schedule_(std::move(schedule)), listed_(std::move(listed)) {}

void AccessoryReturns::setReconnector(AccessoryKind kind, ReconnectorFactory factory) {
  reconnectors_[kind] = std::move(factory);
}

std::unique_ptr<AccessoryWait> AccessoryReturns::await(const AccessoryKey& key,
                                                       std::uint64_t lostID, Back back) {
  const auto factory = reconnectors_.find(key.kind);
  auto wait = std::make_shared<Wait>(
      loop_, key, lostID, std::move(back), listed_, schedule_,
      factory != reconnectors_.end() && factory->second ? factory->second() : nullptr);
  std::erase_if(waits_, [](const std::weak_ptr<Wait>& w) { return w.expired(); });
  waits_.push_back(wait);
  if (key.kind != AccessoryKind::TcpEndpoint) {
    if (const auto accessory = wait->firstListed()) wait->offer(accessory);
  }
  wait->arm();
  return std::make_unique<Handle>(std::move(wait));
}

void AccessoryReturns::appeared(const std::shared_ptr<EAAccessory>& accessory) {
  if (accessory->key().kind == AccessoryKind::TcpEndpoint) return;
  for (const auto& weak : waits_) {
    const auto wait = weak.lock();
    if (wait && wait->wants(*accessory)) wait->offer(accessory);
  }
}

}  // namespace zt
