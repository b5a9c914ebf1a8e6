#include "platform/runloop/run_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/watchdog.h"

namespace zt {
namespace {

TEST(RunLoop, PostsFromSeveralThreadsArriveInEachThreadsOrderAndStopEndsRunAfterThem) {
  test::Watchdog dog;
  RunLoop loop;
  constexpr int kThreads = 4;
  constexpr int kPerThread = 2000;
  std::vector<std::vector<int>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) loop.post([&, t, i] { seen[t].push_back(i); });
    });
  }
  // Another thread stops the loop once every post was made: run() ends after all of them ran.
  std::thread stopper([&] {
    for (auto& t : threads) t.join();
    loop.stop();
  });
  EXPECT_FALSE(loop.run());
  stopper.join();
  for (const auto& s : seen) {
    ASSERT_EQ(s.size(), static_cast<std::size_t>(kPerThread));
    for (int i = 0; i < kPerThread; ++i) EXPECT_EQ(s[i], i);
  }
}

TEST(RunLoop, TimersFireInDeadlineOrderCancelledOnesNeverAndSelfRepostingTasksAreNotIdle) {
  test::Watchdog dog;
  RunLoop loop;
  std::vector<int> order;
  loop.after(0.03, [&] { order.push_back(3); });
  loop.after(0.01, [&] { order.push_back(1); });
  const auto cancelled = loop.after(0.02, [&] { order.push_back(99); });
  loop.after(0.02, [&] { order.push_back(2); });
  loop.after(-5, [&] { order.push_back(0); });
  loop.cancel(cancelled);
  ASSERT_TRUE(test::runUntil(loop, [&] { return order.size() == 4; }));
  loop.runFor(std::chrono::milliseconds(40));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));

  std::function<void()> again = [&] { loop.post(again); };
  loop.post(again);
  EXPECT_FALSE(loop.runUntilIdle());
}

}  // namespace
}  // namespace zt
