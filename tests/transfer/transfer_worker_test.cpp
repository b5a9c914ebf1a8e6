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
const std::string kFinished = R"(\r\nthe app finish sending test file data operation)";
const std::string kDisconnected =
    "The bluetooth device is disconnected with the phone, please check it.";

std::string Runs(const std::string& what) {
  return "The app is performing " + what + " operation. Please first stop it.";
}

TEST_F(TransferTest, AutoSendRepeatsAtItsIntervalUntilStopEndsTheWait) {
  open();
  const auto start = Clock::now();
  choose(1);
  EXPECT_EQ(line("toolbar"), "toolbar: [text field (disabled): Auto sending data...] [Stop]");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(peer->record(), settings().autoSendData());
  EXPECT_GE(Clock::now() - start, 2s);  // an interval of 1 second, twice
  const std::string sent = R"(\r\n[Sent ##:##:##])" + settings().autoSendData();
  ASSERT_TRUE(runUntil([&] { return log().find(sent + sent + sent) != std::string::npos; }));
  for (const auto& [entry, shown] : {std::pair{1, ""}, {2, "auto-send"}, {0, "auto-send"}}) {
    choose(entry);
    EXPECT_EQ(alert(), *shown ? Runs(shown) : "");
  }
  settings().setAutoSendInterval(600);
  tapSendButton();  // Stop
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
  for (const Case& c : {Case{100, 200, 50, 30, 200}, Case{0, 200, 50, 0, 0},
                        Case{-3, 200, 50, 0, 0}, Case{2, 0, 0, 120, 1}}) {
    reset();
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
      EXPECT_EQ(line("toolbar"),
                "toolbar: [text field (disabled): Sending test file data...] [Stop]");
      for (const auto& [entry, refused] : {std::pair{2, false}, {1, true}}) {
        choose(entry);
        EXPECT_EQ(alert(), refused ? Runs("sending test file data") : "");
      }
      tapSendButton();  // Stop: the burst goes on to its end
    }
    const auto pauses = static_cast<long long>(std::max<std::size_t>(c.writes, 1) - 1);
    EXPECT_GE(Clock::now() - start, pauses * std::chrono::milliseconds(c.pauseMs));
    ASSERT_TRUE(runUntil([&] { return log().ends_with(kFinished); }));
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
  tapSendButton();
  choose(2);  // while the first block still runs
  for (int i = 1; i < 8; ++i) ASSERT_EQ(peer->record(), kLine);
  ASSERT_TRUE(runUntil([&] { return log() == kFinished + kFinished; }));
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send]");
}

TEST_F(TransferTest, ADeviceGoneDuringAutoSendLeavesAnIdleWorker) {
  open();
  choose(1);
  ASSERT_FALSE(peer->record().empty());
  peer->closePeer();
  screen->AccessoryDisconnect();
  EXPECT_EQ(alert(), kDisconnected);
  EXPECT_EQ(line("toolbar"),
            "toolbar: [text field (disabled): The device is disconnected with the phone] [(Stop)]");
  for (const int entry : {1, 2}) {
    choose(entry);
    EXPECT_EQ(alert(), kDisconnected);
  }
  const clockid_t clock = screen->sendThreadCpuClock().value();
  const auto cpu = [&] {
    timespec now{};
    return ::clock_gettime(clock, &now) == 0 ? now.tv_sec * 1'000'000'000LL + now.tv_nsec : 0;
  };
  const long long before = cpu();
  RunLoop::main().runFor(1500ms);
  EXPECT_LT(cpu() - before, 100'000'000LL) << "the worker spins";
}

TEST_F(TransferTest, LeavingStopsTheWorkerAtOnceAndDropsQueuedTexts) {
  settings().setLargeData_LineCharacter(kLine);
  settings().setLargeData_LineCount(INT32_MAX);  // 128 GB, made a write at a time
  settings().setSleepTime(600'000);  // a pause that only the stop request ends
  open();
  choose(2);
  ASSERT_EQ(peer->record().size(), 200u);
  tapSendButton();  // Stop
  send("queued");
  ASSERT_TRUE(Touch::tapBarButton(nullptr));  // Back
  screen.reset();
  EXPECT_TRUE(DataTransfersViewController::waitForWorkers(20s));
  EXPECT_EQ(peer->record(), "") << "both streams closed, nothing more written";
}

TEST_F(TransferTest, AnEndlessFloodLeavesTheLoopFreeAndLosesNoByte) {
  peer = std::make_shared<test::PeerTransport>(SOCK_STREAM);
  open();
  std::atomic<bool> flooding{true};
  std::atomic<long long> written{0};
  std::thread flood([&] {
    const std::string chunk(16384, 'f');
    for (pollfd pfd{peer->peer, POLLOUT, 0}; flooding; ::poll(&pfd, 1, 20)) {
      written += std::max<ssize_t>(::write(peer->peer, chunk.data(), chunk.size()), 0);
    }
  });
  // The loop comes back to the test between batches however fast the bytes come.
  ASSERT_TRUE(runUntil([&] { return received() > 4 << 20; }));
  flooding = false;
  flood.join();
  ASSERT_TRUE(runUntil([&] { return received() == written; }));
  EXPECT_LE(log().size(), 2 * (500 + 64 * 1024));
}

}  // namespace
}  // namespace zt
