// The built-in demo module: an accessory that lives in this process, so the terminal works on
// any machine. Each session gets a socketpair; the module's end, served on the run loop, sends
// every chunk it receives straight back. While its answer cannot be written in full it stops
// reading, so no byte is lost however fast the other side writes.
//
// Main thread (the loop's thread) only. A module end is dropped when the session's side has
// closed both of its descriptors.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "platform/external_accessory/accessory.h"
#include "platform/runloop/run_loop.h"

namespace zt {

AccessoryIdentity demoModuleIdentity();

class DemoModule final : public AccessoryTransport {
 public:
  explicit DemoModule(RunLoop& loop) : loop_(loop) {}
  ~DemoModule() override;
  DemoModule(const DemoModule&) = delete;
  DemoModule& operator=(const DemoModule&) = delete;

  PlatformResult<TransportChannel> open() override;

 private:
  struct Peer {
    int fd = -1;
    RunLoop::Id watch = 0;
    std::vector<std::uint8_t> pending;  // received, not yet sent back
    bool done = false;
  };

  void onReady(Peer& peer, short revents);
  void receive(Peer& peer);
  void sendPending(Peer& peer);
  void finish(Peer& peer);
  void prune();

  RunLoop& loop_;
  std::list<Peer> peers_;
};

}  // namespace zt
