// The main screen as a person uses it: the launch, the Quorvel switch with and without a key,
// the option store's failures, the menu, and the accessory notifications.
#include <sqlite3.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "accessory/main_view_controller.h"
#include "settings/cipher_probe.h"
#include "info/about_view_controller.h"
#include "info/root_view_controller.h"
#include "platform/device/device.h"
#include "settings/option_store.h"
#include "settings_ui/option_view_controller.h"
#include "support/shell_fixture.h"

namespace zt::test {
namespace {

std::string MainScreen(const std::string& quorvelSwitch) {
  return "Zemra Telvo [Action]\n"
         "== Accessory Devices ==\n"
         "row 0.0 | Accessory Devices List | >\n"
         "row 0.1 | Paired Devices List | >\n"
         "== Quorvel Service ==\n"
         "row 1.0 | Quorvel | " + quorvelSwitch + "\n"
         "row 1.1 | Quorvel key | >\n"
         "== Local Device Information ==\n"
         "row 2.0 | Name | " + DeviceName() + "\n"
         "row 2.1 | Model | " + DeviceModel() + "\n"
         "row 2.2 | System Version | " + DeviceSystemVersion() + "\n";
}

constexpr char kKey[] = "0123456789abcdef";

class MainScreenTest : public ShellTest {
 protected:
  // Option 3 as stored, read by a connection of the test's own.
  std::optional<std::string> storedQuorvelState() {
    sqlite3* db = nullptr;
    std::optional<std::string> value;
    const auto path = OptionDatabasePath(docs_.path());
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select optionValue from AppOption where optionID=3", -1, &stmt,
                       nullptr);
    if (sqlite3_step(stmt) == SQLITE_ROW) {
      value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
  }
};

class LaunchTest : public ShellTest, public ::testing::WithParamInterface<int> {};

TEST_P(LaunchTest, MainScreenComesWithoutAnimationOverTheRootAndRecordsEachAccessory) {
  const int plugged = GetParam();
  for (int i = 0; i < plugged; ++i) plug("ttyZ" + std::to_string(i));
  launch();
  const auto& stack = navigation().viewControllers();
  ASSERT_EQ(stack.size(), 2U);
  EXPECT_NE(dynamic_cast<RootViewController*>(stack[0].get()), nullptr);
  EXPECT_NE(dynamic_cast<MainViewController*>(stack[1].get()), nullptr);
  EXPECT_FALSE(navigation().transitions().back().animated);
  EXPECT_EQ(screen(), MainScreen("[OFF]"));
  EXPECT_TRUE(Application::shared().isIdleTimerDisabled());
  const auto& records = GlbParam::instance().accessoryList();
  const auto connected = EAAccessoryManager::sharedAccessoryManager().connectedAccessories();
  ASSERT_EQ(records.size(), static_cast<std::size_t>(plugged));
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i]->accessory(), connected[i]);
    EXPECT_EQ(records[i]->protocolString(), "com.Zemra.Demo");
  }
}

INSTANTIATE_TEST_SUITE_P(Accessories, LaunchTest, ::testing::Values(0, 2));

struct SwitchCase {
  std::optional<std::string> storedKey;
  bool storedOn;
  std::string shownAfter;             // the screen after the toggle: the main screen's switch
  std::optional<std::string> stored;  // option 3 after the toggle
};

class QuorvelSwitchTest : public MainScreenTest,
                          public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(QuorvelSwitchTest, SwitchNeedsAKeyThenPutsItInForceAndStoresTheState) {
  const SwitchCase& c = GetParam();
  if (c.storedKey) storeOptions(*c.storedKey, c.storedOn);
  launch();
  SetCipherKey("another key, in force before");
  ASSERT_TRUE(toggle("Quorvel"));
  if (!c.storedKey) {
    EXPECT_NE(dynamic_cast<OptionViewController*>(top().get()), nullptr);
    EXPECT_NE(screen().find("alert: Warning | Please first set Quorvel key | [OK]"),
              std::string::npos);
    ASSERT_TRUE(choose("OK"));
    ASSERT_TRUE(tapBar("Cancel"));
  }
  EXPECT_EQ(screen(), MainScreen(c.shownAfter));
  EXPECT_EQ(GlbParam::instance().openQuorvel(), c.shownAfter == "[ON ]");
  EXPECT_EQ(storedQuorvelState(), c.stored);
  if (c.shownAfter == "[ON ]") {
    const auto inForce = EncipherProbe();
    SetCipherKey(*c.storedKey);
    EXPECT_EQ(inForce, EncipherProbe()) << "the stored key is in force";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuorvelSwitchTest,
    ::testing::Values(SwitchCase{std::nullopt, false, "[OFF]", std::nullopt},
                      SwitchCase{kKey, false, "[ON ]", "1"},
                      SwitchCase{kKey, true, "[OFF]", "0"},
                      SwitchCase{"short", false, "[ON ]", "1"}));

TEST_F(MainScreenTest, OptionStoreThatCannotOpenIsToldOnceAndTheSwitchStillWorks) {
  std::ofstream(docs_.path() / "ZemraDemo").put('x');  // a file where the folder belongs
  launch();
  EXPECT_NE(screen().find("alert: Warning | The options could not be saved: " +
                          (docs_.path() / "ZemraDemo").string() +
                          ": Not a directory. Zemra Telvo works, but will not remember them. | "
                          "[OK]"),
            std::string::npos)
      << screen();
  ASSERT_TRUE(choose("OK"));
  GlbParam::instance().setQuorvelKey(std::string(kKey));
  ASSERT_TRUE(toggle("Quorvel"));
  EXPECT_EQ(screen(), MainScreen("[ON ]")) << "no second alert";
  EXPECT_TRUE(GlbParam::instance().openQuorvel());
}

TEST_F(MainScreenTest, StateThatCannotBeWrittenIsTold) {
  storeOptions(kKey, false);
  launch();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(OptionDatabasePath(docs_.path()).c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_TRUE(toggle("Quorvel"));
  sqlite3_close(db);
  EXPECT_NE(screen().find("alert: Warning | The options could not be saved: database is locked. "),
            std::string::npos)
      << screen();
  EXPECT_TRUE(GlbParam::instance().openQuorvel()) << "on for this run";
}

TEST_F(MainScreenTest, MenuPresentsTheAboutScreenOrCancels) {
  launch();
  ASSERT_TRUE(tapBar("Action"));
  EXPECT_EQ(screen(), MainScreen("[OFF]") + "action sheet: [About] [Cancel]\n");
  ASSERT_TRUE(choose("Cancel"));
  EXPECT_EQ(screen(), MainScreen("[OFF]"));
  ASSERT_TRUE(tapBar("Action"));
  ASSERT_TRUE(choose("About"));
  EXPECT_NE(dynamic_cast<AboutViewController*>(navigation().modalViewController().get()), nullptr);
  EXPECT_TRUE(navigation().transitions().back().animated);
}

// Notifications as the platform could send them, by hand: the same accessory twice, one that
// was never announced. Records are named by connection ID.
TEST_F(MainScreenTest, RecordsFollowEveryConnectAndTheFirstMatchingDisconnect) {
  launch();
  auto accessory = [](std::uint64_t id) {
    return std::make_shared<EAAccessory>(AccessoryIdentity{}, 1000 + id, nullptr);
  };
  const std::vector<std::shared_ptr<EAAccessory>> made = {accessory(1), accessory(2), accessory(3)};
  struct Step {
    const std::string& notification;
    int accessory;
    std::vector<std::uint64_t> records;
  };
  const Step steps[] = {
      {EAAccessoryDidConnectNotification, 1, {1001}},
      {EAAccessoryDidConnectNotification, 2, {1001, 1002}},
      {EAAccessoryDidConnectNotification, 1, {1001, 1002, 1001}},
      {EAAccessoryDidDisconnectNotification, 3, {1001, 1002, 1001}},
      {EAAccessoryDidDisconnectNotification, 1, {1002, 1001}},
      {EAAccessoryDidDisconnectNotification, 2, {1001}},
  };
  for (const auto& step : steps) {
    NotificationCenter::defaultCenter().postNotification(
        step.notification, nullptr,
        {{EAAccessoryKey, std::any(made[static_cast<std::size_t>(step.accessory - 1)])}});
    std::vector<std::uint64_t> ids;
    for (const auto& record : GlbParam::instance().accessoryList()) {
      ids.push_back(record->accessory()->connectionID());
    }
    EXPECT_EQ(ids, step.records) << step.notification << " " << step.accessory;
  }
}

// Devices come and go beside a session all the time here: only its own accessory ends it.
TEST_F(MainScreenTest, TransferScreenHearsOnlyOfItsOwnAccessoryGoing) {
  for (const char* device : {"ttyZ0", "ttyZ1", "ttyZ2"}) plug(device);
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List"));
  ASSERT_TRUE(tapRow(devicePath("ttyZ0").string()));
  const char* gone = "alert: Warning | The bluetooth device is disconnected with the phone";
  pull("ttyZ1");
  EXPECT_EQ(screen().find(gone), std::string::npos) << screen();
  ASSERT_TRUE(tapBar("Action"));
  ASSERT_TRUE(choose("Settings"));
  pull("ttyZ0");  // the settings screen is on top: the transfer screen is not told
  EXPECT_EQ(screen().find(gone), std::string::npos) << screen();
  ASSERT_TRUE(tapBar("Cancel"));
  plug("ttyZ3");
  ASSERT_TRUE(tapBar("Accessory List"));
  ASSERT_TRUE(tapRow(devicePath("ttyZ2").string()));
  pull("ttyZ2");
  EXPECT_NE(screen().find(gone), std::string::npos) << screen();
  EXPECT_EQ(GlbParam::instance().accessoryList().size(), 1U);
}

}  // namespace
}  // namespace zt::test
