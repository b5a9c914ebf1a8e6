// The about screen, presented from the main screen's menu.
#include "info/about_view_controller.h"
#include "support/shell_fixture.h"

namespace zt::test {
namespace {

using InfoScreensTest = ShellTest;

TEST_F(InfoScreensTest, AboutScreenShowsProductPlatformVersionAndClosesWithDone) {
  launch();
  const std::string main = screen();
  ASSERT_TRUE(tapBar("Action"));
  ASSERT_TRUE(choose("About"));
  const std::string about =
      "[Done] Zemra Telvo\n"
      "== Zemra  Application ==\n"
      "row 0.0 | Platform | Linux\n"
      "row 0.1 | Version | 1.6.0\n"
      "== ==\n"
      "row 1.0 |  | Zemra Telvo for Linux | A terminal for Bluetooth serial modules | "
      "Serial, TCP and Bluetooth modules\n";
  EXPECT_EQ(screen(), about);
  auto* shown = dynamic_cast<AboutViewController*>(navigation().modalViewController().get());
  ASSERT_NE(shown, nullptr);
  const auto row = std::get<DisplayRow>(buildDisplayList(Application::shared()).items.at(2));
  EXPECT_FALSE(Touch::tapRow(*row.table, row.path)) << "nothing is selected";
  row.table->reloadData();
  EXPECT_EQ(screen(), about) << "three lines, not six";
  Application::shared().enterBackground();
  EXPECT_EQ(screen(), about) << "the background leaves it";
  ASSERT_TRUE(tapBar("Done"));
  EXPECT_EQ(screen(), main);
}

}  // namespace
}  // namespace zt::test
