// The shell's navigation and the application's life: going to the background with each screen
// on top, coming back, the back titles.
#include <functional>
#include <string>
#include <vector>

#include "accessory/accessory_list_view_controller.h"
#include "support/shell_fixture.h"

namespace zt::test {
namespace {

using ShellLifeTest = ShellTest;

struct BackgroundCase {
  std::string name;
  std::function<bool()> reach;  // from the main screen, with ttyZ0 plugged in
  std::size_t stackAfter;       // screens on the stack after going to the background
};

class BackgroundTest : public ShellTest, public ::testing::WithParamInterface<BackgroundCase> {};

TEST_P(BackgroundTest, OnlyTransferScreensLeaveWithoutAnimation) {
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(GetParam().reach());
  const std::string before = screen();
  const std::size_t depth = navigation().viewControllers().size();
  const std::size_t transitions = navigation().transitions().size();
  Application::shared().enterBackground();
  EXPECT_EQ(navigation().viewControllers().size(), GetParam().stackAfter);
  for (std::size_t i = transitions; i < navigation().transitions().size(); ++i) {
    EXPECT_FALSE(navigation().transitions()[i].animated);
  }
  if (depth == GetParam().stackAfter) {
    EXPECT_EQ(screen(), before);
  }
  Application::shared().enterForeground();
  EXPECT_EQ(navigation().viewControllers().size(), GetParam().stackAfter);
}

bool OpenList() { return tapRow("Accessory Devices List"); }
std::string Device() { return ShellTest::devicePath("ttyZ0").string(); }

INSTANTIATE_TEST_SUITE_P(
    TopScreens, BackgroundTest,
    ::testing::Values(
        BackgroundCase{"Main", [] { return true; }, 2},
        BackgroundCase{"List", OpenList, 3},
        BackgroundCase{"Detail", [] { return OpenList() && tapRow(Device(), true); }, 4},
        BackgroundCase{"Key", [] { return tapRow("Quorvel key"); }, 3},
        BackgroundCase{"About",
                       [] { return tapBar("Action") && choose("About"); },
                       2},
        BackgroundCase{"Transfer", [] { return OpenList() && tapRow(Device()); }, 3},
        BackgroundCase{"TransferSettings",
                       [] {
                         return OpenList() && tapRow(Device()) && tapBar("Action") &&
                                choose("Settings");
                       },
                       3}),
    [](const auto& param) { return param.param.name; });

// What changed while the application was away (the manager told nobody) shows when it comes
// back: the records are rebuilt, and an accessory list on top reloads.
TEST_F(ShellLifeTest, ForegroundRebuildsTheRecordsAndReloadsTheListOnTop) {
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List"));
  for (const bool listOnTop : {true, false}) {
    if (!listOnTop) {
      ASSERT_TRUE(tapRow(devicePath("ttyZ0").string(), true));
    }
    const std::string before = screen();
    auto& manager = EAAccessoryManager::sharedAccessoryManager();
    Application::shared().enterBackground();
    manager.unregisterForLocalNotifications();
    plug(listOnTop ? "ttyZ1" : "ttyZ2");
    manager.registerForLocalNotifications();
    EXPECT_EQ(screen(), before);
    Application::shared().enterForeground();
    const auto& records = GlbParam::instance().accessoryList();
    ASSERT_EQ(records.size(), manager.connectedAccessories().size());
    for (const auto& record : records) EXPECT_EQ(record->protocolString(), "com.Zemra.Demo");
    const std::string after = screen();
    EXPECT_EQ(after.find(devicePath(listOnTop ? "ttyZ1" : "ttyZ2").string()) != std::string::npos,
              listOnTop)
        << after;
  }
}

TEST_F(ShellLifeTest, KeyScreenLeavesTheListsBackTitleAlone) {
  launch();
  ASSERT_TRUE(tapRow("Quorvel key"));
  EXPECT_EQ(navigation().viewControllers()[1]->navigationItem().backBarButtonItem()->title(),
            "Main");
  ASSERT_TRUE(tapBar("Cancel"));
  ASSERT_TRUE(tapRow("Accessory Devices List"));
  EXPECT_EQ(screen().substr(0, 33), "[< Back] Accessory List [Action]\n");
  EXPECT_TRUE(navigation().transitions().back().animated);
}

}  // namespace
}  // namespace zt::test
