// The settings object: its defaults, the one instance, ReleaseResource starting over, and a
// worker reading while the main thread writes.
#include "settings/glb_param.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "cipher_probe.h"
#include "settings/db_process.h"
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
  EXPECT_TRUE(param._accessoryList().empty());
  EXPECT_EQ(param._AutoSendData(), kDefaultAutoSend);
  EXPECT_EQ(param._AutoSendInterval(), 1);
  EXPECT_EQ(param._LargeData_LineCharacter(), kDefaultLine);
  EXPECT_EQ(param._LargeData_LineCount(), 100);
  EXPECT_EQ(param._EachPacketSize(), 200);
  EXPECT_EQ(param._SleepTime(), 50);
  EXPECT_FALSE(param._OpenQuorvel());
  EXPECT_FALSE(param._QuorvelKey().has_value());
  EXPECT_EQ(param._dbProcess(), nullptr);
  EXPECT_EQ(param._DataFormat(), 0);
}

TEST_F(GlbParamTest, OneInstanceWithDefaultsUntilReleaseResourceStartsOver) {
  GlbParam& param = GlbParam::instance();
  ExpectDefaults(param);
  EXPECT_EQ(&GlbParam::instance(), &param);
  // Storing the text it already holds keeps it (no use of a freed copy).
  param.set_AutoSendData(param._AutoSendData());
  param.set_QuorvelKey("key");
  param.set_QuorvelKey(param._QuorvelKey());
  EXPECT_EQ(param._AutoSendData(), kDefaultAutoSend);
  EXPECT_EQ(param._QuorvelKey(), "key");
  // Storing a key leaves the cipher alone: only loading the options puts a key in force.
  test::SetCipherKey("AAAAAAAABBBBBBBB");
  const auto before = test::EncipherProbe();
  param.set_QuorvelKey("CCCCCCCCDDDDDDDD");
  EXPECT_EQ(test::EncipherProbe(), before);

  auto record = std::make_shared<AccessoryInfo>();
  const std::weak_ptr<AccessoryInfo> watched = record;
  param._accessoryList().push_back(std::move(record));
  param.set_AutoSendInterval(9);
  param.set_LargeData_LineCharacter("line");
  param.set_LargeData_LineCount(3);
  param.set_EachPacketSize(16);
  param.set_SleepTime(0);
  param.set_OpenQuorvel(true);
  param.set_dbProcess(std::make_unique<DBProcess>());
  param.set_DataFormat(1);
  GlbParam::ReleaseResource();
  EXPECT_TRUE(watched.expired());
  ExpectDefaults(GlbParam::instance());
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
      const std::string text = param._AutoSendData();
      const std::int32_t size = param._EachPacketSize();
      const bool whole = (text == shortText || text == longText || text == kDefaultAutoSend) &&
                         (size == 200 || size == 1 || size == 4096) && param._SleepTime() >= 0 &&
                         param._AutoSendInterval() >= 1 && param._DataFormat() <= 1;
      if (!whole) badReads.fetch_add(1);
      onReads.fetch_add(param._OpenQuorvel() ? 1 : 0);
      reads.fetch_add(1);
    }
  });
  for (int i = 0; i < 20000 || reads.load() < 100; ++i) {
    param.set_AutoSendData(i % 2 == 0 ? shortText : longText);
    param.set_EachPacketSize(i % 2 == 0 ? 1 : 4096);
    param.set_SleepTime(i % 100);
    param.set_AutoSendInterval(1 + i % 5);
    param.set_OpenQuorvel(i % 3 == 0);
    param.set_DataFormat(static_cast<std::uint8_t>(i % 2));
  }
  stop.store(true);
  worker.join();
  EXPECT_EQ(badReads.load(), 0);
}

}  // namespace
}  // namespace zt
