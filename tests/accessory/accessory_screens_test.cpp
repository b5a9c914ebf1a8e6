// The accessory screens as a person uses them. The main screen: the launch, the Quorvel switch
// with and without a key, the option store's failures, and accessories going with each screen
// on top. The accessory list and detail screens: what they show as devices come and go, the
// menu, the row tap against the detail button, and a row that went stale.
#include <sqlite3.h>

#include <fstream>
#include <string>
#include <vector>

#include "accessory/accessory_list_view_controller.h"
#include "accessory/main_view_controller.h"
#include "info/root_view_controller.h"
#include "platform/device/device.h"
#include "platform/external_accessory/serial_port.h"
#include "settings/cipher_probe.h"
#include "settings/db_process.h"
#include "settings/option_store.h"
#include "settings_ui/option_view_controller.h"
#include "support/shell_fixture.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {
namespace {

std::string MainScreen(const std::string& quorvelSwitch) {
  return "Zemra Telvo [Action]\n== Accessory Devices ==\nrow 0.0 | Accessory Devices List | >\n"
         "row 0.1 | Paired Devices List | >\n== Quorvel Service ==\nrow 1.0 | Quorvel | " +
         quorvelSwitch + "\nrow 1.1 | Quorvel key | >\n== Local Device Information ==\n" +
         "row 2.0 | Name | " + DeviceName() + "\nrow 2.1 | Model | " + DeviceModel() +
         "\nrow 2.2 | System Version | " + DeviceSystemVersion() + "\n";
}

constexpr char kKey[] = "0123456789abcdef";

class MainScreenTest : public ShellTest {
 protected:
  // Options as an earlier run left them.
  void storeOptions(bool quorvelOn) {
    GlbParam& param = GlbParam::instance();
    ASSERT_TRUE(StartOptionStore(param, docs_.path()) &&
                param.dbProcess()->UpdateQuorvelKey(kKey) &&
                param.dbProcess()->UpdateQuorvelOpenState(quorvelOn));
    GlbParam::ReleaseResource();
  }
  // Whether the option store gives the next run Quorvel on.
  bool storedOn() {
    EXPECT_TRUE(StartOptionStore(GlbParam::instance(), docs_.path()));
    const bool on = GlbParam::instance().openQuorvel();
    GlbParam::ReleaseResource();
    return on;
  }
};

TEST_F(MainScreenTest, SwitchNeedsAKeyThenPutsItInForceAndStoresTheState) {
  const struct {
    bool key, storedOn;
    std::string shownAfter;
  } cases[] = {{false, false, "[OFF]"}, {true, false, "[ON ]"}, {true, true, "[OFF]"}};
  for (const auto& c : cases) {
    if (c.key) storeOptions(c.storedOn);
    launch();
    SetCipherKey("another key");
    ASSERT_TRUE(tapRow("Quorvel", RowPart::Switch));
    if (!c.key) {
      EXPECT_NE(dynamic_cast<OptionViewController*>(top().get()), nullptr);
      EXPECT_TRUE(shows("alert: Warning | Please first set Quorvel key | [OK]"));
      ASSERT_TRUE(choose("OK") && tapBar("Cancel"));
    }
    EXPECT_EQ(screen(), MainScreen(c.shownAfter));
    const auto inForce = EncipherProbe();
    SetCipherKey(c.shownAfter == "[ON ]" ? kKey : "another key");
    EXPECT_EQ(inForce, EncipherProbe()) << "turning on puts the key in force, off leaves it";
    quit();
    EXPECT_EQ(storedOn(), c.shownAfter == "[ON ]");
  }
}

// Each failure is told in one alert, once: the program goes on without stored options, and a
// file it could not read is left as it is.
TEST_F(MainScreenTest, OptionStoreFailuresAreToldOnce) {
  const std::string folder = (docs_.path() / "ZemraDemo").string();
  const std::string garbage(4096, 'Z');
  enum { FolderBlocked, LockedWhenStoring, Corrupt };
  const std::pair<int, std::string> cases[] = {
      {FolderBlocked, "saved: " + folder + ": Not a directory"},
      {LockedWhenStoring, "saved: database is locked"},
      {Corrupt, "read: file is not a database"}};
  for (const auto& [c, told] : cases) {
    std::filesystem::remove_all(folder);
    if (c == FolderBlocked) std::ofstream(folder).put('x');  // a file where the folder belongs
    if (c == Corrupt && std::filesystem::create_directory(folder)) {
      std::ofstream(OptionDatabasePath(docs_.path())) << garbage;
    }
    if (c == LockedWhenStoring) {
      storeOptions(false);
    } else {
      GlbParam::instance().setQuorvelKey(kKey);
    }
    launch();
    sqlite3* lock = nullptr;
    if (c == LockedWhenStoring) {
      sqlite3_open(OptionDatabasePath(docs_.path()).c_str(), &lock);
      sqlite3_exec(lock, "begin exclusive", nullptr, nullptr, nullptr);
      ASSERT_TRUE(tapRow("Quorvel", RowPart::Switch));
    }
    EXPECT_TRUE(shows("alert: Warning | The options could not be " + told +
                      ". Zemra Telvo works, but will not remember them. | [OK]"));
    sqlite3_close(lock);
    ASSERT_TRUE(choose("OK") && tapRow("Quorvel", RowPart::Switch));
    EXPECT_EQ(screen(), MainScreen(c == LockedWhenStoring ? "[OFF]" : "[ON ]"));
    quit();
  }
  EXPECT_EQ(readFile(OptionDatabasePath(docs_.path())), garbage);
}

// The launch shows the main screen over the root. Devices come and go beside a session all the
// time: only its own accessory ends it. Gone under the settings screen, it is told when back on
// top. A device the main screen never recorded goes unnoticed, even by the list on top.
TEST_F(MainScreenTest, TransferScreenHearsOnlyOfItsOwnAccessoryGoing) {
  for (const char* device : {"ttyZ0", "ttyZ1", "ttyZ2", "ttyZ3"}) plug(device);
  launch();
  EXPECT_NE(dynamic_cast<RootViewController*>(navigation().viewControllers().at(0).get()), nullptr);
  EXPECT_EQ(screen(), MainScreen("[OFF]"));
  auto& records = GlbParam::instance().accessoryList();
  EXPECT_EQ(records.size(), 4U);
  ASSERT_TRUE(tapRow("Accessory Devices List") && tapRow(path("ttyZ0")));
  const char* gone = "alert: Warning | The bluetooth device is disconnected with the phone";
  pull("ttyZ1");
  EXPECT_FALSE(shows(gone));
  ASSERT_TRUE(tapBar("Action") && choose("Settings"));
  pull("ttyZ0");
  EXPECT_FALSE(shows(gone));
  ASSERT_TRUE(tapBar("Cancel"));
  EXPECT_TRUE(shows(gone));
  EXPECT_TRUE(shows("toolbar: [text field (disabled): The device is disconnected with the phone] "
                    "[(Send)]"));
  ASSERT_TRUE(choose("OK") && tapBar("Accessory List") && tapRow(path("ttyZ2")));
  pull("ttyZ2");
  EXPECT_TRUE(shows(gone));
  ASSERT_TRUE(choose("OK") && tapBar("Accessory List") && shows(path("ttyZ3")));
  records.clear();
  pull("ttyZ3");
  EXPECT_TRUE(shows(path("ttyZ3")));
}

using AccessoryListTest = ShellTest;

std::string List(const std::vector<std::string>& devices) {
  std::string text = "[< Back] Accessory List [Action]\n";
  for (std::size_t i = 0; i < devices.size(); ++i) {
    text += "row 0." + std::to_string(i) + " | " + ShellTest::path(devices[i]) + " | (i)\n";
  }
  return text;
}

TEST_F(AccessoryListTest, ListFollowsTheDevicesARowTapOpensATransferScreenTheDetailButtonNot) {
  launch();
  int pickers = 0;  // the main screen's other way to devices: the Bluetooth picker
  EAAccessoryManager::setBluetoothAccessoryPickerPresenter([&](auto&, auto&, auto) { ++pickers; });
  ASSERT_TRUE(tapRow("Paired Devices List"));
  EAAccessoryManager::setBluetoothAccessoryPickerPresenter(nullptr);
  EXPECT_EQ(pickers, 1);
  ASSERT_TRUE(tapRow("Accessory Devices List") && tapBar("Action") && choose("Refresh"));
  EXPECT_EQ(screen(), List({}));
  plug("ttyZ2");
  plug("ttyZ1");
  EXPECT_EQ(screen(), List({"ttyZ2", "ttyZ1"}));
  EXPECT_EQ(shownRow(path("ttyZ1"))->image, "bluetooth.png");
  // An accessory that declares two protocols is opened on its first; it goes from the list
  // when it goes away.
  AccessoryIdentity identity;
  identity.serialNumber = "two protocols";
  identity.protocolStrings = {"com.example.first", kDefaultProtocolString};
  const auto twoProtocols = manager().addConnectedAccessory(
      {AccessoryKind::BluetoothLink, "two protocols"}, identity,
      std::make_shared<SerialTransport>(ptys_["ttyZ1"]->slavePath(), kDefaultBaud));
  ASSERT_TRUE(tapRow("two protocols"));
  const auto record = dynamic_cast<DataTransfersViewController&>(*top()).accessoryInfo();
  EXPECT_EQ(record->accessory(), twoProtocols);
  EXPECT_EQ(record->protocolString(), "com.example.first");
  ASSERT_TRUE(tapBar("Accessory List") && shows("two protocols"));
  manager().removeConnectedAccessory(twoProtocols);
  EXPECT_EQ(screen(), List({"ttyZ2", "ttyZ1"}));
  // A tap that raced the reload a notification asked for: the row shows another device now.
  auto& list = dynamic_cast<AccessoryListViewController&>(*top());
  const auto table = shownRow(path("ttyZ1"))->table;
  pull("ttyZ2");
  list.didSelectRowAtIndexPath(*table, {0, 0});
  EXPECT_EQ(screen(), List({"ttyZ1"}));

  // The detail screen shows the identity and follows nothing until the list is back.
  ASSERT_TRUE(tapRow(path("ttyZ1"), RowPart::DetailButton));
  const std::string detail = "[< Accessory List] ttyZ1\nrow 0.0 | Name | ttyZ1\n"
                             "row 0.1 | Connected | Yes\nrow 0.2 | firmware\nrow 0.3 | hardware\n"
                             "row 0.4 | manufacturer\nrow 0.5 | modeNumber\n"
                             "row 0.6 | serialNumber | " + path("ttyZ1") + "\n";
  EXPECT_EQ(screen(), detail);
  plug("ttyZ0");
  ASSERT_TRUE(tapRow("Name"));
  EXPECT_EQ(screen(), detail);
  ASSERT_TRUE(tapBar("Accessory List"));
  EXPECT_EQ(screen(), List({"ttyZ1", "ttyZ0"}));
}

}  // namespace
}  // namespace zt::test
