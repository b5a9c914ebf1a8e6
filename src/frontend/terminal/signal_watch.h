// SignalWatch: turns the signals that concern the terminal (window size changes, requests to
// end or to stop) into readable events on a descriptor, so the run loop handles them like
// input and nothing runs in a signal handler. While it lives, those signals are blocked in the
// calling thread and in every thread it starts afterwards; the old mask comes back at the end.
// Create it on the main thread before any other thread is started.
// Failures: a watch whose descriptor cannot be made is failed (failure() says why) and blocks
// nothing.
#pragma once

#include <csignal>
#include <vector>

#include "platform/foundation/platform_error.h"

namespace zt::term {

class SignalWatch {
 public:
  SignalWatch();
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  // Empty while the watch works.
  const PlatformError& failure() const { return failure_; }
  int fd() const { return fd_; }
  // The signals received since the last call, oldest first.
  std::vector<int> take();

 private:
  int fd_ = -1;
  sigset_t previous_{};
  PlatformError failure_;
};

}  // namespace zt::term
