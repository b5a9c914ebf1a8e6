// RunLoop: the main thread's event loop. It owns no descriptors of its callers; it polls the
// ones they watch, runs the tasks posted to it in order, and fires timers.
//
// Threads: post() and stop() may be called from any thread and never block for long (a short
// lock and an eventfd write). Everything else (after, cancel, watch, unwatch, run, runFor,
// runUntilIdle) belongs to the thread that created the loop; debug builds assert it.
// The process's loop is made by RunLoop::createMain(), called once at the top of main() (and of
// every test program) on the thread that then runs it: that thread is the main thread. Tests may
// create loops of their own.
// Failures: a loop whose wake-up descriptor cannot be made is failed: createMain() reports it
// and run() returns it at once. run() also ends with the failure when the system refuses to
// wait (poll).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/foundation/platform_error.h"

namespace zt {

class RunLoop {
 public:
  using Task = std::function<void()>;
  // Called with poll()'s revents for the descriptor.
  using FdCallback = std::function<void(short revents)>;
  using Id = std::uint64_t;

  RunLoop();
  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // Creates the process's loop on the calling thread, which becomes the main thread, unless it
  // cannot be made whole. Further calls from that thread change nothing; debug builds assert
  // on a call from another.
  static PlatformError createMain();
  // The loop createMain() made; ends the process with a message if there is none.
  static RunLoop& main();

  // Queues a task to run on the loop's thread, after the tasks posted before it.
  void post(Task task);
  // Runs a task once, `seconds` from now (negative counts as zero). Returns an id for cancel().
  Id after(double seconds, Task task);
  void cancel(Id timer);
  // Calls `callback` whenever poll() reports `events` (POLLIN, POLLOUT, ...) or an error on fd.
  Id watch(int fd, short events, FdCallback callback);
  // Changes the events of a watch, e.g. to add POLLOUT only while there is something to write.
  void setEvents(Id watchId, short events);
  void unwatch(Id watchId);

  // Runs until the task posted by stop() has run, or the loop fails (the failure is returned).
  // It sleeps while nothing is due: an idle program with no timer set is not woken at all.
  PlatformError run();
  void stop();
  // Runs for about `duration`, then returns (tests).
  void runFor(std::chrono::milliseconds duration);
  // Runs until nothing is ready right now: no posted task, no due timer, no ready descriptor.
  // Returns false when it gave up because work kept coming (a task that re-posts itself).
  bool runUntilIdle();

  bool isLoopThread() const { return std::this_thread::get_id() == owner_; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Watch {
    int fd;
    short events;
    FdCallback callback;
  };

  // One pass: waits at most `maxWait` for something to do, then does it. Returns whether
  // anything was done.
  bool iterate(Clock::duration maxWait);
  int pollTimeoutMs(Clock::duration maxWait);
  bool runPosted();
  bool runDueTimers();
  bool dispatchReady(const std::vector<std::pair<Id, short>>& ready);
  void drainWake();
  void assertLoopThread() const;

  std::thread::id owner_;
  int wakeFd_ = -1;
  PlatformError failure_;  // loop thread only, after the constructor
  bool stopRequested_ = false;  // loop thread only: set by the task that stop() posts
  std::mutex postMutex_;
  std::deque<Task> posted_;  // guarded by postMutex_
  Id nextId_ = 1;
  std::map<std::pair<Clock::time_point, Id>, Task> timers_;
  std::map<Id, Clock::time_point> timerDeadlines_;
  std::map<Id, Watch> watches_;
};

}  // namespace zt
