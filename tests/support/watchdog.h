// Test support: a watchdog that ends a hung test fast, and waiting for a condition with a
// generous deadline instead of sleeping a fixed time.
//
// Watchdog: if still alive after `limit`, prints the test's name and aborts the process. Use one
// in every test that runs a loop or waits for another thread or process.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/runloop/run_loop.h"

namespace zt::test {

class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    name_ = info ? std::string(info->test_suite_name()) + "." + info->name() : "?";
    thread_ = std::thread([this, limit] {
      std::unique_lock lock(mutex_);
      if (!cv_.wait_for(lock, limit, [this] { return done_; })) {
        std::fprintf(stderr, "watchdog: %s still running after %lld s\n", name_.c_str(),
                     static_cast<long long>(limit.count()));
        std::abort();
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::string name_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
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
