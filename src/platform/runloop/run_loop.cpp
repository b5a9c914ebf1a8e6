#include "platform/runloop/run_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zt {

namespace {

// Set once by createMain(); read from any thread by main().
std::atomic<RunLoop*> mainLoop{nullptr};

}  // namespace

RunLoop::RunLoop() : owner_(std::this_thread::get_id()) {
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) failure_ = systemError(errno, "eventfd");
}

RunLoop::~RunLoop() {
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

PlatformError RunLoop::createMain() {
  static RunLoop loop;
  assert(loop.isLoopThread() && "the main run loop is created on the main thread only");
  if (!loop.failure_) mainLoop.store(&loop, std::memory_order_release);
  return loop.failure_;
}

RunLoop& RunLoop::main() {
  RunLoop* loop = mainLoop.load(std::memory_order_acquire);
  if (loop == nullptr) {
    (void)std::fputs("RunLoop::main() called before RunLoop::createMain()\n", stderr);
    std::abort();
  }
  return *loop;
}

void RunLoop::post(Task task) {
  {
    std::lock_guard lock(postMutex_);
    posted_.push_back(std::move(task));
  }
  // The loop's own thread is not asleep in poll(), and it looks at the queue before it sleeps
  // again: no wakeup needed (which saves two system calls per received batch).
  if (isLoopThread()) return;
  const std::uint64_t one = 1;
  // A write to a non-blocking eventfd fails only with EAGAIN, when the counter is full: the loop
  // is awake anyway. (A loop without one has told its failure.)
  [[maybe_unused]] const ssize_t woken = ::write(wakeFd_, &one, sizeof one);
}

RunLoop::Id RunLoop::after(double seconds, Task task) {
  assertLoopThread();
  const auto delay = std::chrono::duration<double>(seconds < 0 ? 0 : seconds);
  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(delay);
  const Id id = nextId_++;
  timers_.emplace(std::make_pair(deadline, id), std::move(task));
  timerDeadlines_.emplace(id, deadline);
  return id;
}

void RunLoop::cancel(Id timer) {
  assertLoopThread();
  const auto it = timerDeadlines_.find(timer);
  if (it == timerDeadlines_.end()) return;
  timers_.erase(std::make_pair(it->second, timer));
  timerDeadlines_.erase(it);
}

RunLoop::Id RunLoop::watch(int fd, short events, FdCallback callback) {
  assertLoopThread();
  const Id id = nextId_++;
  watches_.emplace(id, Watch{fd, events, std::move(callback)});
  return id;
}

void RunLoop::setEvents(Id watchId, short events) {
  assertLoopThread();
  const auto it = watches_.find(watchId);
  if (it != watches_.end()) it->second.events = events;
}

void RunLoop::unwatch(Id watchId) {
  assertLoopThread();
  watches_.erase(watchId);
}

PlatformError RunLoop::run() {
  assertLoopThread();
  // No time limit: with no timer set, the loop sleeps until a descriptor or a post wakes it.
  while (!stopRequested_ && !failure_) iterate(Clock::duration::max());
  stopRequested_ = false;
  return failure_;
}

void RunLoop::stop() {
  // Queued like any task, so whatever was posted before the stop still runs.
  post([this] { stopRequested_ = true; });
}

void RunLoop::runFor(std::chrono::milliseconds duration) {
  assertLoopThread();
  const auto end = Clock::now() + duration;
  for (auto now = Clock::now(); now < end; now = Clock::now()) iterate(end - now);
}

bool RunLoop::runUntilIdle() {
  assertLoopThread();
  constexpr int kMaxPasses = 100000;
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    if (!iterate(Clock::duration::zero())) return true;
  }
  return false;
}

bool RunLoop::iterate(Clock::duration maxWait) {
  std::vector<pollfd> fds;
  std::vector<Id> ids;
  fds.push_back({wakeFd_, POLLIN, 0});
  for (const auto& [id, w] : watches_) {
    fds.push_back({w.fd, w.events, 0});
    ids.push_back(id);
  }
  const int n = ::poll(fds.data(), fds.size(), pollTimeoutMs(maxWait));
  if (n < 0 && errno != EINTR) {
    failure_ = systemError(errno, "poll");
    return false;
  }
  std::vector<std::pair<Id, short>> ready;
  for (std::size_t i = 1; n > 0 && i < fds.size(); ++i) {
    if (fds[i].revents != 0) ready.emplace_back(ids[i - 1], fds[i].revents);
  }
  if (n > 0 && fds[0].revents != 0) drainWake();
  bool did = runPosted();
  did = runDueTimers() || did;
  did = dispatchReady(ready) || did;
  return did;
}

int RunLoop::pollTimeoutMs(Clock::duration maxWait) {
  {
    std::lock_guard lock(postMutex_);
    if (!posted_.empty()) return 0;
  }
  if (timers_.empty() && maxWait == Clock::duration::max()) return -1;
  auto wait = maxWait;
  if (!timers_.empty()) wait = std::min(wait, timers_.begin()->first.first - Clock::now());
  if (wait <= Clock::duration::zero()) return 0;
  // Round up so that a timer is never polled for a moment too early and then spun on.
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
  return static_cast<int>(std::min<long long>(ms, 3'600'000));
}

bool RunLoop::runPosted() {
  std::deque<Task> batch;
  {
    std::lock_guard lock(postMutex_);
    batch.swap(posted_);
  }
  for (const auto& task : batch) task();
  return !batch.empty();
}

bool RunLoop::runDueTimers() {
  const auto now = Clock::now();
  bool did = false;
  while (!timers_.empty() && timers_.begin()->first.first <= now) {
    auto node = timers_.extract(timers_.begin());
    timerDeadlines_.erase(node.key().second);
    node.mapped()();
    did = true;
  }
  return did;
}

bool RunLoop::dispatchReady(const std::vector<std::pair<Id, short>>& ready) {
  for (const auto& [id, revents] : ready) {
    // A callback may have unwatched this or another descriptor: look each one up again.
    const auto it = watches_.find(id);
    if (it == watches_.end()) continue;
    auto callback = it->second.callback;
    callback(revents);
  }
  return !ready.empty();
}

void RunLoop::drainWake() {
  std::uint64_t count = 0;
  // A read of a non-blocking eventfd fails only with EAGAIN, when there was nothing to drain.
  [[maybe_unused]] const ssize_t drained = ::read(wakeFd_, &count, sizeof count);
}

void RunLoop::assertLoopThread() const { assert(isLoopThread() && "RunLoop used off its thread"); }

}  // namespace zt
