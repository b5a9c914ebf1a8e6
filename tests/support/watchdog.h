// Test support: a watchdog that ends a hung test fast, and waiting for a condition with a
// generous deadline instead of sleeping a fixed time.
#pragma once

#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/runloop/run_loop.h"

namespace zt::test {

// Watchdog: if still alive after `limit`, SIGALRM ends the process, so ctest reports the hang
// at once. One at a time: use one in every test that runs a loop or waits for another thread or
// process.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(60)) {
    ::alarm(static_cast<unsigned>(limit.count()));
  }
  ~Watchdog() { ::alarm(0); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
};

// Polls `condition` every few milliseconds until it holds or `limit` passes.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Runs `loop` until `condition` holds or `limit` passes; for conditions that the loop's own
// callbacks make true.
inline bool runUntil(RunLoop& loop, const std::function<bool()>& condition,
                     std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    loop.runFor(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace zt::test
