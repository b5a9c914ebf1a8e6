// Quitting while a transfer screen sends on its own: the screen ends as for the background, its
// worker hands it back, and only then do the option store and the settings object go. The
// sanitizers watch that nothing runs on what was released.
#include "support/shell_fixture.h"
#include "support/watchdog.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {
namespace {

TEST_F(ShellTest, QuitWithAutoSendRunningEndsTheWorkerBeforeTheSettingsGo) {
  Watchdog dog;
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List") && tapRow(path("ttyZ0")));
  ASSERT_TRUE(tapBar("Action") && choose("Auto Send"));
  const std::string text = GlbParam::instance().autoSendData();
  ASSERT_EQ(readFor(ptys_["ttyZ0"]->master(), text.size()), text) << "auto-send runs";
  quit();
  EXPECT_EQ(DataTransfersViewController::runningWorkers(), 0);
}

}  // namespace
}  // namespace zt::test
