// The accessory list and detail screens: what they show as devices come and go, the menu, the
// row tap against the detail button, and a row that went stale.
#include <string>

#include "accessory/accessory_list_view_controller.h"
#include "support/shell_fixture.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {
namespace {

using AccessoryListTest = ShellTest;

std::string List(const std::vector<std::string>& devices) {
  std::string text = "[< Back] Accessory List [Action]\n";
  for (std::size_t i = 0; i < devices.size(); ++i) {
    text += "row 0." + std::to_string(i) + " | " + ShellTest::path(devices[i]) + " | (i)\n";
  }
  return text;
}

TEST_F(AccessoryListTest, ListFollowsTheDevicesAndARowTapOpensATransferScreenOnANewRecord) {
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List") && tapBar("Action") && choose("Refresh"));
  EXPECT_EQ(screen(), List({}));
  plug("ttyZ2");
  plug("ttyZ1");
  EXPECT_EQ(screen(), List({"ttyZ2", "ttyZ1"}));
  EXPECT_EQ(shownRow(path("ttyZ1"))->image, "bluetooth.png");
  std::shared_ptr<AccessoryInfo> before;
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(tapRow(path("ttyZ1")));
    const auto record = dynamic_cast<DataTransfersViewController&>(*top()).accessoryInfo();
    EXPECT_EQ(record->accessory(), manager().connectedAccessories()[1]);
    EXPECT_EQ(record->protocolString(), record->accessory()->protocolStrings().front());
    EXPECT_NE(record, before) << "every choice builds a new record";
    before = record;
    ASSERT_TRUE(tapBar("Accessory List"));
  }
  // A tap that raced the reload a notification asked for: the row shows another device now.
  auto& list = dynamic_cast<AccessoryListViewController&>(*top());
  const auto table = shownRow(path("ttyZ1"))->table;
  pull("ttyZ2");
  list.didSelectRowAtIndexPath(*table, {0, 0});
  EXPECT_EQ(screen(), List({"ttyZ1"}));
}

TEST_F(AccessoryListTest, DetailButtonShowsTheIdentityWhichFollowsNothing) {
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List") && tapRow(path("ttyZ0"), RowPart::DetailButton));
  const std::string detail =
      "[< Accessory List] ttyZ0\nrow 0.0 | Name | ttyZ0\nrow 0.1 | Connected | Yes\n"
      "row 0.2 | firmware\nrow 0.3 | hardware\nrow 0.4 | manufacturer\nrow 0.5 | modeNumber\n"
      "row 0.6 | serialNumber | " +
      path("ttyZ0") + "\n";
  EXPECT_EQ(screen(), detail);
  plug("ttyZ1");
  ASSERT_TRUE(tapRow("Name"));
  EXPECT_EQ(screen(), detail);
  ASSERT_TRUE(tapBar("Accessory List"));
  EXPECT_EQ(screen(), List({"ttyZ0", "ttyZ1"})) << "reloaded on return";
}

}  // namespace
}  // namespace zt::test
