// The --log file as a person reads it afterwards: two sessions' entries in order with their
// dates to the millisecond, nothing cut, and an entry cut short by a failed write.
#include "transfer/session_capture.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <ctime>

#include "support/bytes.h"
#include "support/io.h"

namespace zt {
namespace {

using namespace std::chrono_literals;

// 2024-03-05 09:05:07 UTC; the tests run two hours east of UTC, so local time shows 11:05:07.
const SessionCapture::Time kStart{1709629507s};

class SessionCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC-2", 1);  // NOLINT(concurrency-mt-unsafe): no other thread runs
    ::tzset();
  }
  std::string contents() const { return test::readFile(path_); }

  test::TempDir dir_;
  std::filesystem::path path_ = dir_.path() / "capture.log";
};

// Two sessions follow in order with their dates, nothing cut. Then a size limit cuts an entry
// short: it is told once, and once lifted the next entry begins on a line of its own.
TEST_F(SessionCaptureTest, SessionsFollowInOrderWithDatesAndACutEntryEndsItsLine) {
  std::string longText;
  for (int i = 0; i < 100; ++i) longText += "line " + std::to_string(i) + " of a long answer\r\n";
  const std::string first =
      "=== Zemra Demo Module (ZD0001) 2024-03-05 11:05:07.000\n"
      "[Received 2024-03-05 11:05:08.482]hello\r\nworld\n"
      "[Sent 2024-03-05 11:05:09.015]" + longText + "\n"
      "[Received 2024-03-05 11:05:10.000](4 bytes not shown: c328ff00)\n"
      "[2024-03-05 11:05:11.999]the app stopped sending test file data after 3000 of 6300 bytes\n";
  {
    SessionCapture capture;
    ASSERT_FALSE(capture.open(path_));
    EXPECT_FALSE(capture.beginSession("Zemra Demo Module", "ZD0001", kStart));
    EXPECT_FALSE(capture.received("hello\r\nworld", kStart + 1482ms));
    EXPECT_FALSE(capture.sent(longText, kStart + 2015ms));
    EXPECT_FALSE(capture.undecodable(test::fromHex("c328ff00"), kStart + 3s));
    EXPECT_FALSE(capture.testFileEnded(3000, 6300, kStart + 4999ms));
    EXPECT_EQ(contents(), first) << "each entry is in the file once its call returns";
  }
  SessionCapture capture;
  ASSERT_FALSE(capture.open(path_));
  EXPECT_FALSE(capture.beginSession("ttyUSB0", "/dev/ttyUSB0", kStart + 24h));
  const std::string both = first + "\n=== ttyUSB0 (/dev/ttyUSB0) 2024-03-06 11:05:07.000\n";
  EXPECT_EQ(contents(), both);
  EXPECT_EQ(std::filesystem::status(path_).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
  rlimit cut = limit;
  cut.rlim_cur = both.size() + 10;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &cut), 0);
  EXPECT_EQ(capture.received("cut short", kStart + 24h + 1s).message(), "File too large");
  EXPECT_FALSE(capture.received("lost", kStart + 24h + 2s));
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  (void)std::signal(SIGXFSZ, ignored);
  EXPECT_FALSE(capture.received("OK\r\n", kStart + 24h + 3s));
  EXPECT_EQ(contents(), both + "[Received \n[Received 2024-03-06 11:05:10.000]OK\r\n\n");
}

}  // namespace
}  // namespace zt
