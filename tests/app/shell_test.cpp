// The shell's navigation and the application's life: the background with each screen on top,
// coming back, the back titles, and quitting while a transfer screen sends on its own (its
// worker hands the screen back before the option store and the settings object go; the
// sanitizers watch that nothing runs on what was released).
#include <functional>
#include <string>

#include "support/shell_fixture.h"
#include "support/watchdog.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {
namespace {

using ShellLifeTest = ShellTest;

bool openHistory() {
  return Touch::pressKeyCommand(*AppShell::current()->navigationController()->topViewController(),
                                "F3");
}

TEST_F(ShellLifeTest, BackgroundPopsOnlyTransferScreensWithoutAnimation) {
  const auto list = [] { return tapRow("Accessory Devices List"); };
  const auto transfer = [list] { return list() && tapRow(ShellTest::path("ttyZ0")); };
  const struct {
    std::function<bool()> reach;  // from the main screen
    std::size_t stackAfter;
  } cases[] = {
      {[] { return true; }, 2},
      {list, 3},
      {[] { return tapRow("Quorvel key"); }, 3},
      {[list] { return list() && tapRow(ShellTest::path("ttyZ0"), RowPart::DetailButton); }, 4},
      {transfer, 3},
      {[transfer] { return transfer() && tapBar("Action") && choose("Settings"); }, 3},
      {[transfer] { return transfer() && openHistory(); }, 3},
  };
  for (const auto& c : cases) {
    plug("ttyZ0");
    launch();
    ASSERT_TRUE(c.reach());
    const std::string before = screen();
    const std::size_t depth = navigation().viewControllers().size();
    Application::shared().enterBackground();
    EXPECT_EQ(navigation().viewControllers().size(), c.stackAfter) << before;
    const auto& moves = navigation().transitions();
    EXPECT_TRUE(std::none_of(moves.end() - static_cast<long>(depth - c.stackAfter), moves.end(),
                             [](const auto& move) { return move.animated; }));
    EXPECT_TRUE(depth != c.stackAfter || screen() == before) << before;
    quit();
    pull("ttyZ0");
  }
}

// What changed while the application was away (the manager told nobody) shows when it comes
// back: the records are rebuilt, and an accessory list on top reloads. (Reached past the key
// screen, which leaves the list's back title alone.)
TEST_F(ShellLifeTest, ForegroundRebuildsTheRecordsAndReloadsTheListOnTop) {
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(tapRow("Quorvel key") && tapBar("Cancel") && tapRow("Accessory Devices List"));
  EXPECT_TRUE(shows("[< Back] Accessory List [Action]\n"));
  for (const std::string device : {"ttyZ1", "ttyZ2"}) {
    const bool listOnTop = device == "ttyZ1";
    ASSERT_TRUE(listOnTop ? shows(path("ttyZ0")) : tapRow(path("ttyZ0"), RowPart::DetailButton));
    Application::shared().enterBackground();
    manager().unregisterForLocalNotifications();
    plug(device);
    manager().registerForLocalNotifications();
    EXPECT_FALSE(shows(path(device)));
    Application::shared().enterForeground();
    EXPECT_EQ(shows(path(device)), listOnTop);
    const auto& records = GlbParam::instance().accessoryList();
    EXPECT_EQ(records.size(), manager().connectedAccessories().size());
    EXPECT_EQ(records.back()->protocolString(), "com.Zemra.Demo");
  }
}

// Quitting with History over the transfer screen ends it all the same.
TEST_F(ShellTest, QuitWithAutoSendRunningEndsTheWorkerBeforeTheSettingsGo) {
  Watchdog dog;
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List") && tapRow(path("ttyZ0")));
  ASSERT_TRUE(tapBar("Action") && choose("Auto Send"));
  const std::string text = GlbParam::instance().autoSendData();
  ASSERT_EQ(readFor(ptys_["ttyZ0"]->master(), text.size()), text) << "auto-send runs";
  ASSERT_TRUE(openHistory());
  quit();
  EXPECT_EQ(DataTransfersViewController::runningWorkers(), 0);
}

}  // namespace
}  // namespace zt::test
