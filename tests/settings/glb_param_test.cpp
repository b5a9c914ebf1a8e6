// The settings object: its defaults, the texts sent kept for recall, and a worker reading while
// the main thread writes.
#include "settings/glb_param.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>

#include "support/watchdog.h"

namespace zt {
namespace {

const std::string kDefaultAutoSend = "This is a test message from Zemra Demo application for iPhone";
const std::string kDefaultLine = "This is a test file data from Zemra Demo application for iPhone";

class GlbParamTest : public ::testing::Test {
 protected:
  void SetUp() override { GlbParam::ReleaseResource(); }
  void TearDown() override { GlbParam::ReleaseResource(); }
};

void ExpectDefaults(GlbParam& param) {
  EXPECT_TRUE(param.accessoryList().empty() && param.dbProcess() == nullptr);
  EXPECT_EQ(param.autoSendData(), kDefaultAutoSend);
  EXPECT_EQ(param.largeData_LineCharacter(), kDefaultLine);
  EXPECT_EQ((std::array{param.autoSendInterval(), param.largeData_LineCount(),
                        param.eachPacketSize(), param.sleepTime(), std::int32_t{param.dataFormat()}}),
            (std::array{1, 100, 200, 50, 0}));
  EXPECT_FALSE(param.openQuorvel() || param.quorvelKey().has_value());
}

// What the settings screen and the transfer screen start from.
TEST_F(GlbParamTest, StartsFromTheDefaults) { ExpectDefaults(GlbParam::instance()); }

// The send field recalls the newest 100 texts sent, never one twice in a row.
TEST_F(GlbParamTest, SentTextsKeepTheNewestHundred) {
  SentTexts& sent = GlbParam::instance().sentTexts();
  for (int i = 0; i <= 100; ++i) sent.add(std::to_string(i));
  EXPECT_EQ(sent.size(), 100u);
  EXPECT_EQ(sent.fromNewest(0) + " " + sent.fromNewest(99), "100 1");
}

// The send worker reads these fields while the main thread edits them; every read must see
// one whole value that was written, never a torn or freed one.
TEST_F(GlbParamTest, WorkerReadsWholeValuesWhileTheMainThreadWrites) {
  test::Watchdog dog;
  GlbParam& param = GlbParam::instance();
  const std::string shortText = "short";
  const std::string longText(300, 'L');
  std::atomic<bool> stop{false};
  std::atomic<int> reads{0};
  std::atomic<int> badReads{0};
  std::atomic<int> onReads{0};  // the flag is read too, for the race detector
  std::thread worker([&] {
    while (!stop.load()) {
      const std::string text = param.autoSendData();
      const std::int32_t size = param.eachPacketSize();
      const bool whole = (text == shortText || text == longText || text == kDefaultAutoSend) &&
                         (size == 200 || size == 1 || size == 4096) && param.sleepTime() >= 0 &&
                         param.autoSendInterval() >= 1 && param.dataFormat() <= 1;
      badReads.fetch_add(whole ? 0 : 1);
      onReads.fetch_add(param.openQuorvel() ? 1 : 0);
      reads.fetch_add(1);
    }
  });
  for (int i = 0; i < 20000 || reads.load() < 100; ++i) {
    param.setAutoSendData(i % 2 == 0 ? shortText : longText);
    param.setEachPacketSize(i % 2 == 0 ? 1 : 4096);
    param.setSleepTime(i % 100);
    param.setAutoSendInterval(1 + i % 5);
    param.setOpenQuorvel(i % 3 == 0);
    param.setDataFormat(static_cast<std::uint8_t>(i % 2));
  }
  stop.store(true);
  worker.join();
  EXPECT_EQ(badReads.load(), 0);
}

}  // namespace
}  // namespace zt
