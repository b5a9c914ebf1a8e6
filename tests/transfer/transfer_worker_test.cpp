// The send worker and the receive path under way: auto-send and test files with their pauses and
// Stop, the menu's refusals, a device that goes away, leaving the screen, and a flood.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "transfer_test_support.h"

namespace zt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::TransferTest;

const std::string kLine(60, 'L');
const std::string kAutoSendRuns = "The app is performing auto-send operation. Please first stop it.";
const std::string kTestFileRuns =
    "The app is performing sending test file data operation. Please first stop it.";

TEST_F(TransferTest, AutoSendRepeatsAtItsIntervalUntilStopEndsTheWait) {
  open();
  const auto start = Clock::now();
  choose(1);
  EXPECT_EQ(line("toolbar"), "toolbar: [text field (disabled): Auto sending data...] [Stop]");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(peer->record(), settings().autoSendData());
  EXPECT_GE(Clock::now() - start, 2s);  // an interval of 1 second, twice
  const std::string sent = R"(\r\n[Sent hh:mm:ss])" + settings().autoSendData();
  ASSERT_TRUE(runUntil([&] { return log().find(sent + sent + sent) != std::string::npos; }));
  for (const auto& [entry, shown] : {std::pair{1, ""}, {2, kAutoSendRuns.c_str()},
                                     {0, kAutoSendRuns.c_str()}}) {
    choose(entry);
    EXPECT_EQ(alert(), shown);
  }
  settings().setAutoSendInterval(600);
  ASSERT_TRUE(Touch::tapBarButton(toolbar().entries.at(1).item.get()));  // Stop
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send]");
  send("now");
  std::string got;
  while (got != "now" && !(got = peer->record()).empty()) {
  }
  EXPECT_EQ(got, "now") << "Stop ends the interval";
}

TEST_F(TransferTest, TestFilesGoOutInPacketsWithPausesAndEndWithTheFinishLine) {
  struct Case {
    std::int32_t count, packetSize, pauseMs;
    std::size_t writes, writeSize;
  };
  const Case cases[] = {{100, 200, 50, 30, 200}, {0, 200, 50, 0, 0}, {-3, 200, 50, 0, 0},
                        {2, 0, 0, 120, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    TearDown();
    SetUp();
    settings().setLargeData_LineCharacter(kLine);
    settings().setLargeData_LineCount(c.count);
    settings().setEachPacketSize(c.packetSize);
    settings().setSleepTime(c.pauseMs);
    open();
    const auto start = Clock::now();
    choose(2);
    for (std::size_t i = 0; i < c.writes; ++i) {
      ASSERT_EQ(peer->record().size(), c.writeSize);
      if (i > 0 || c.pauseMs == 0) continue;
      EXPECT_EQ(line("toolbar"), "toolbar: [text field (disabled): Sending test file data...] [Stop]");
      for (const auto& [entry, shown] : {std::pair{2, ""}, {1, kTestFileRuns.c_str()}}) {
        choose(entry);
        EXPECT_EQ(alert(), shown);
      }
      ASSERT_TRUE(Touch::tapBarButton(toolbar().entries.at(1).item.get()));  // the burst goes on
    }
    EXPECT_GE(Clock::now() - start, (c.writes > 1 ? c.writes - 1 : 0) * 1ms * c.pauseMs);
    ASSERT_TRUE(runUntil([&] { return log().find("finish") != std::string::npos; }));
    EXPECT_EQ(log().substr(log().rfind(R"(\r\n)")),
              R"(\r\nthe app finish sending test file data operation)");
    EXPECT_EQ(line("row 1.1"), "row 1.1 | Sent | " + std::to_string(c.writes * c.writeSize));
    EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send]");
    EXPECT_EQ(peer->record(100), "");
  }
}

TEST_F(TransferTest, AStoppedTestFileEndsWithoutEndingTheOneStartedAfterIt) {
  settings().setLargeData_LineCharacter(kLine);
  settings().setLargeData_LineCount(4);
  settings().setEachPacketSize(60);
  settings().setSleepTime(500);
  open();
  choose(2);
  ASSERT_EQ(peer->record(), kLine);
  ASSERT_TRUE(Touch::tapBarButton(toolbar().entries.at(1).item.get()));
  choose(2);  // while the first block still runs
  for (int i = 1; i < 8; ++i) ASSERT_EQ(peer->record(), kLine);
  const std::string finished = R"(\r\nthe app finish sending test file data operation)";
  ASSERT_TRUE(runUntil([&] { return log().find(finished + finished) != std::string::npos; }));
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send]");
}

TEST_F(TransferTest, ADeviceGoneDuringAutoSendLeavesAnIdleWorker) {
  open();
  choose(1);
  ASSERT_FALSE(peer->record().empty());
  peer->closePeer();
  screen->AccessoryDisconnect();
  EXPECT_EQ(alert(), "The bluetooth device is disconnected with the phone, please check it.");
  EXPECT_EQ(line("toolbar"),
            "toolbar: [text field (disabled): The device is disconnected with the phone] [(Stop)]");
  for (const int entry : {1, 2}) {
    choose(entry);
    EXPECT_EQ(alert(), "The bluetooth device is disconnected with the phone, please check it.");
  }
  const auto clock = screen->sendThreadCpuClock();
  ASSERT_TRUE(clock);
  const auto cpu = [&] {
    timespec now{};
    ::clock_gettime(*clock, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
  };
  const long long before = cpu();
  RunLoop::main().runFor(1500ms);
  EXPECT_LT(cpu() - before, 100'000'000LL) << "the worker spins";
}

TEST_F(TransferTest, LeavingStopsTheWorkerAtOnceAndDropsQueuedTexts) {
  settings().setLargeData_LineCharacter(kLine);
  settings().setSleepTime(600'000);  // a pause that only the stop request ends
  open();
  choose(2);
  ASSERT_EQ(peer->record().size(), 200u);
  ASSERT_TRUE(Touch::tapBarButton(toolbar().entries.at(1).item.get()));  // Stop
  send("queued");
  ASSERT_TRUE(Touch::tapBarButton(nullptr));  // Back
  EXPECT_NE(navigation->topViewController(), screen);
  screen.reset();
  EXPECT_TRUE(DataTransfersViewController::waitForWorkers(20s));
  EXPECT_EQ(peer->record(), "") << "both streams closed, nothing more written";
}

TEST_F(TransferTest, AFloodIsReadInBoundedBatchesWithoutLosingAByte) {
  peer = std::make_shared<test::PeerTransport>(SOCK_STREAM);
  open();
  std::atomic<bool> flooding{true};
  std::atomic<long long> written{0};
  std::thread flood([&] {
    const std::string chunk(16384, 'f');
    while (flooding) {
      const ssize_t n = ::write(peer->peer, chunk.data(), chunk.size());
      if (n > 0) written += n;
      pollfd pfd{peer->peer, POLLOUT, 0};
      ::poll(&pfd, 1, 20);
    }
  });
  // Under an endless flood the loop still comes back to the test between batches.
  ASSERT_TRUE(runUntil([&] { return received() > 4 << 20; }));
  flooding = false;
  flood.join();
  ASSERT_TRUE(runUntil([&] { return received() == written; }));
  EXPECT_LE(log().size(), 2 * (500 + 64 * 1024));
}

}  // namespace
}  // namespace zt
