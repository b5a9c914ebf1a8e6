// UeventMonitor: the kernel's device events for ttys, read from the uevent netlink socket
// without udevd, watched on the run loop. Each event calls `onChange` (the caller then looks
// at what is there). Where the socket cannot be opened (a container may refuse it), active()
// is false and the monitor stays silent; a socket that breaks later makes it inactive and calls
// `onChange` once more. Loop thread only.
#pragma once

#include <functional>

#include "platform/runloop/run_loop.h"

struct udev;
struct udev_monitor;

namespace zt {

class UeventMonitor {
 public:
  UeventMonitor(RunLoop& loop, std::function<void()> onChange);
  ~UeventMonitor();
  UeventMonitor(const UeventMonitor&) = delete;
  UeventMonitor& operator=(const UeventMonitor&) = delete;

  bool active() const { return watch_ != 0; }

 private:
  void start();
  void receive(short revents);
  void stop();

  RunLoop& loop_;
  std::function<void()> onChange_;
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  RunLoop::Id watch_ = 0;
};

}  // namespace zt
