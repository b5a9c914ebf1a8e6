// Quitting while a transfer screen sends on its own: the screen ends as for the background, its
// worker hands it back, and only then do the option store and the settings object go. The
// sanitizers watch that nothing runs on what was released.
#include "support/shell_fixture.h"
#include "support/watchdog.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {
namespace {

using QuitTest = ShellTest;

TEST_F(QuitTest, QuitWithAutoSendRunningEndsTheWorkerBeforeTheSettingsGo) {
  Watchdog dog;
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List"));
  ASSERT_TRUE(tapRow(devicePath("ttyZ0").string()));
  ASSERT_TRUE(tapBar("Action"));
  ASSERT_TRUE(choose("Auto Send"));
  const std::string text = GlbParam::instance().autoSendData();
  ASSERT_EQ(readFor(deviceEnd("ttyZ0"), text.size()), text) << "auto-send runs";
  EXPECT_EQ(DataTransfersViewController::runningWorkers(), 1);
  shell_.reset();
  Application::shared().terminate();
  EXPECT_EQ(DataTransfersViewController::runningWorkers(), 0);
  EXPECT_FALSE(GlbParam::instance().dbProcess()) << "the settings object was released";
}

}  // namespace
}  // namespace zt::test
