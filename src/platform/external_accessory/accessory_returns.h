// AccessoryReturns: the accessory manager's waits for accessories that went away to come back.
//
// A wait offers its listener a connection of the same accessory (an equal key) that is newer
// than the one lost: one already listed when the wait starts, else the first that appears (a
// TCP endpoint is always listed again at once, so its listing tells nothing: it is offered only
// on the retry schedule, for a session to find out whether it answers). On the retry schedule a
// listed connection is offered again (a device that could not be opened, a TCP endpoint), and
// while none is listed, the reconnector of the kind, if another layer installed one (the
// Bluetooth links), tries to connect it again. A listener may be offered several connections,
// until it drops the wait.
//
// Loop thread only; offers run on later passes of the loop.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/external_accessory/accessory.h"
#include "platform/external_accessory/options.h"
#include "platform/runloop/run_loop.h"

namespace zt {

// A wait that lasts while this object lives.
class AccessoryWait {
 public:
  virtual ~AccessoryWait() = default;
};

// Brings back accessories of a kind that another layer connects. One is made for each wait and
// kept while the wait lasts (a Bluetooth one keeps the system bus).
class AccessoryReconnector {
 public:
  virtual ~AccessoryReconnector() = default;
  // Tries once to connect the accessory of `key` again (a success lists it); `done` runs on the
  // loop when the try has ended either way.
  virtual void reconnect(const AccessoryKey& key, std::function<void()> done) = 0;
};

class AccessoryReturns {
 public:
  using Listed = std::function<std::vector<std::shared_ptr<EAAccessory>>()>;
  using Back = std::function<void(const std::shared_ptr<EAAccessory>& accessory)>;
  using ReconnectorFactory = std::function<std::unique_ptr<AccessoryReconnector>()>;

  // `listed` gives the accessories listed now, oldest first.
  AccessoryReturns(RunLoop& loop, RetrySchedule schedule, Listed listed);

  void setReconnector(AccessoryKind kind, ReconnectorFactory factory);
  std::unique_ptr<AccessoryWait> await(const AccessoryKey& key, std::uint64_t lostID, Back back);
  // The manager has listed `accessory`.
  void appeared(const std::shared_ptr<EAAccessory>& accessory);

 private:
  struct Wait;
  class Handle;

  RunLoop& loop_;
  RetrySchedule schedule_;
  Listed listed_;
  std::map<AccessoryKind, ReconnectorFactory> reconnectors_;
  std::vector<std::weak_ptr<Wait>> waits_;
};

}  // namespace zt
