// The run loop's cross-thread path: how many tasks a worker thread can hand to the loop per
// second, and how long one round trip takes (a worker posts, the loop runs the task, the worker
// sees it done). Both are timed in real time, since the work is split between two threads.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <future>
#include <thread>

#include "platform/runloop/run_loop.h"

namespace zt {
namespace {

constexpr int kTasksPerBatch = 20000;

// A worker posts a batch of tasks while the loop (on the benchmark's thread) runs them; the
// batch ends when the loop has run the last one. Starting the worker is timed too (tens of
// microseconds against milliseconds for the batch).
void BM_PostThroughput(benchmark::State& state) {
  RunLoop loop;
  std::int64_t ran = 0;
  for (auto _ : state) {
    std::thread worker([&] {
      for (int i = 0; i < kTasksPerBatch; ++i) loop.post([&ran] { ++ran; });
      loop.stop();
    });
    const auto failure = loop.run();
    worker.join();
    if (failure) state.SkipWithError(failure.message().c_str());
  }
  if (ran != state.iterations() * kTasksPerBatch) state.SkipWithError("tasks were lost");
  state.SetItemsProcessed(ran);
}

// A loop runs on a thread of its own; the benchmark's thread posts one task at a time and waits
// (blocked, not spinning) until the loop has run it.
void BM_PostRoundTrip(benchmark::State& state) {
  std::promise<RunLoop*> started;
  std::promise<void> released;  // the loop outlives the last post() that touches it
  std::thread loopThread([&started, finished = released.get_future()] {
    RunLoop loop;
    started.set_value(&loop);
    static_cast<void>(loop.run());  // a failed loop shows as posts that never run
    finished.wait();
  });
  RunLoop* loop = started.get_future().get();
  std::atomic<std::uint64_t> done{0};
  std::uint64_t posted = 0;
  for (auto _ : state) {
    ++posted;
    loop->post([&done] {
      done.fetch_add(1, std::memory_order_release);
      done.notify_one();
    });
    for (auto seen = done.load(std::memory_order_acquire); seen != posted;
         seen = done.load(std::memory_order_acquire)) {
      done.wait(seen, std::memory_order_acquire);
    }
  }
  loop->stop();
  released.set_value();
  loopThread.join();
}

}  // namespace
}  // namespace zt

BENCHMARK(zt::BM_PostThroughput)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(zt::BM_PostRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);
