// The accessory list and detail screens as a person uses them: what they list and show, the
// menu, the row tap against the detail button, and devices coming and going under them.
#include <string>

#include "accessory/accessory_detail_view_controller.h"
#include "accessory/accessory_list_view_controller.h"
#include "support/shell_fixture.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {
namespace {

class AccessoryListTest : public ShellTest {
 protected:
  void openList() {
    launch();
    ASSERT_TRUE(tapRow("Accessory Devices List"));
    ASSERT_NE(list(), nullptr);
  }
  AccessoryListViewController* list() const {
    return dynamic_cast<AccessoryListViewController*>(top().get());
  }
  static std::string row(int index, const std::string& device) {
    return "row 0." + std::to_string(index) + " | " + devicePath(device).string() + " | (i)\n";
  }
  static constexpr char kBar[] = "[< Back] Accessory List [Action]\n";
};

TEST_F(AccessoryListTest, ListsWhatIsConnectedNowAndFollowsItWhileOnTop) {
  openList();
  EXPECT_EQ(screen(), std::string(kBar));
  ASSERT_TRUE(tapBar("Action"));
  ASSERT_TRUE(choose("Refresh"));
  EXPECT_EQ(screen(), std::string(kBar));
  plug("ttyZ2");
  plug("ttyZ1");
  EXPECT_EQ(screen(), kBar + row(0, "ttyZ2") + row(1, "ttyZ1"));
  const auto shown = std::get<DisplayRow>(buildDisplayList(Application::shared()).items.at(2));
  EXPECT_EQ(shown.image, "bluetooth.png");
  pull("ttyZ2");
  EXPECT_EQ(screen(), kBar + row(0, "ttyZ1"));
}

TEST_F(AccessoryListTest, DetailButtonOpensTheDetailScreenWhichListsTheIdentityOnly) {
  plug("ttyZ0");
  openList();
  ASSERT_TRUE(tapRow(devicePath("ttyZ0").string(), true));
  auto* detail = dynamic_cast<AccessoryDetailViewController*>(top().get());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->accessoryInfo()->accessory(),
            EAAccessoryManager::sharedAccessoryManager().connectedAccessories().at(0));
  const std::string path = devicePath("ttyZ0").string();
  const std::string shown =
      "[< Accessory List] ttyZ0\n"
      "row 0.0 | Name | ttyZ0\nrow 0.1 | Connected | Yes\nrow 0.2 | firmware\n"
      "row 0.3 | hardware\nrow 0.4 | manufacturer\nrow 0.5 | modeNumber\n"
      "row 0.6 | serialNumber | " + path + "\n";
  EXPECT_EQ(screen(), shown);
  plug("ttyZ1");  // the detail screen follows nothing
  EXPECT_EQ(screen(), shown);
  EXPECT_EQ(GlbParam::instance().accessoryList().size(), 2U);
  EXPECT_TRUE(tapRow("Name"));
  EXPECT_EQ(screen(), shown) << "a tap opens nothing";
  ASSERT_TRUE(tapBar("Accessory List"));
  EXPECT_EQ(screen(), kBar + row(0, "ttyZ0") + row(1, "ttyZ1")) << "reloaded on return";
}

// A choice is made on what the row showed at the last reload: a device that went away since
// (the tap raced the reload that its notification asked for) opens nothing.
TEST_F(AccessoryListTest, RowTapOpensATransferScreenOnANewRecordUnlessTheRowWentStale) {
  plug("ttyZ0");
  plug("ttyZ1");
  openList();
  const auto connected = EAAccessoryManager::sharedAccessoryManager().connectedAccessories();
  std::shared_ptr<AccessoryInfo> first;
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(tapRow(devicePath("ttyZ1").string()));
    auto* transfer = dynamic_cast<DataTransfersViewController*>(top().get());
    ASSERT_NE(transfer, nullptr);
    const auto record = transfer->accessoryInfo();
    EXPECT_EQ(record->accessory(), connected.at(1));
    EXPECT_EQ(record->protocolString(), connected.at(1)->protocolStrings().front());
    EXPECT_NE(record, first) << "every choice builds a new record";
    first = record;
    ASSERT_TRUE(tapBar("Accessory List"));
  }
  auto* shownList = list();
  auto table = std::get<DisplayRow>(buildDisplayList(Application::shared()).items.at(2)).table;
  pull("ttyZ0");
  shownList->didSelectRowAtIndexPath(*table, {0, 0});
  EXPECT_EQ(top().get(), shownList);
  EXPECT_EQ(screen(), kBar + row(0, "ttyZ1"));
}

}  // namespace
}  // namespace zt::test
