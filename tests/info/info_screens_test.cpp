// The about screen, presented from the main screen's menu.
#include "support/shell_fixture.h"

namespace zt::test {
namespace {

using InfoScreensTest = ShellTest;

TEST_F(InfoScreensTest, MenuPresentsTheAboutScreenWhichClosesWithDone) {
  launch();
  const std::string main = screen();
  ASSERT_TRUE(tapBar("Action") && choose("About"));
  const std::string about =
      "[Done] Zemra Telvo\n== Zemra  Application ==\nrow 0.0 | Platform | Linux\n"
      "row 0.1 | Version | 1.6.0\n== ==\nrow 1.0 |  | Zemra Telvo for Linux | "
      "A terminal for Bluetooth serial modules | Serial, TCP and Bluetooth modules\n";
  EXPECT_EQ(screen(), about);
  shownRow("Platform")->table->reloadData();
  Application::shared().enterBackground();
  EXPECT_EQ(screen(), about) << "three lines, not six; the background leaves it";
  ASSERT_TRUE(tapBar("Done"));
  EXPECT_EQ(screen(), main);
}

}  // namespace
}  // namespace zt::test
