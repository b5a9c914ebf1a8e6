// The Bluetooth accessory picker as a person uses it, against a fake Bluetooth daemon on a bus
// of its own: the listing and its live changes, connecting and bytes through the handed-over
// link, the link dropping, and every failure's alert.
#include <gtest/gtest.h>

#include "fake_bluez.h"
#include "platform/accessory_picker/accessory_picker.h"
#include "platform/bluetooth/bluez_client.h"
#include "platform/external_accessory/accessory_test_support.h"
#include "platform/ui/ui.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using namespace std::chrono_literals;
using test::FakeBluez;

constexpr const char* kModule = "98:D3:31:F6:1A:2B";

AccessoryOptions quietOptions(const test::TempDir& sysfs) {
  AccessoryOptions options;
  options.demo = false;
  options.sysfsRoot = sysfs.path().string();
  options.rescanInterval = 1h;
  return options;
}

class BluetoothPicker : public ::testing::Test {
 protected:
  void SetUp() override {
    Application::shared().resetForTesting();
    auto root = std::make_shared<ViewController>();
    root->setTitle("Zemra Telvo");
    window_ = std::make_shared<Window>();
    window_->setRootViewController(NavigationController::withRoot(root));
    window_->makeKeyAndVisible();
    installBluetoothAccessoryPicker();
    manager_.registerForLocalNotifications();
  }

  void TearDown() override {
    EXPECT_TRUE(test::runUntil(loop_, [] { return !BluezClient::isOpen(); }))
        << "the system bus is let go once the picker is closed and no link stands";
    bluez_.reset();
    EAAccessoryManager::setBluetoothAccessoryPickerPresenter(nullptr);
    Application::shared().resetForTesting();
  }

  FakeBluez& startBluez(FakeBluez::Daemon daemon = FakeBluez::Daemon::Running) {
    return bluez_.emplace(daemon);
  }

  void open(const std::optional<std::string>& filter = std::nullopt) {
    result_.reset();
    manager_.showBluetoothAccessoryPickerWithNameFilter(filter, [this](std::error_code e) {
      result_ = e;
      notificationsAtCompletion_ = log_.entries.size();
    });
  }

  static std::string screen() { return buildDisplayList(Application::shared()).toText(); }

  // Runs the loop until the screen reads `expected`.
  void expectScreen(const std::string& expected) {
    std::string shown;
    EXPECT_TRUE(test::runUntil(loop_, [&] { return (shown = screen()) == expected; }))
        << "the screen reads:\n" << shown << "instead of:\n" << expected;
  }

  template <typename Item>
  static std::vector<Item> shown() {
    std::vector<Item> items;
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      if (const auto* found = std::get_if<Item>(&item)) items.push_back(*found);
    }
    return items;
  }

  static void tapDevice(const std::string& alias) {
    for (const auto& row : shown<DisplayRow>()) {
      if (row.title == alias) {
        ASSERT_TRUE(Touch::tapRow(*row.table, row.path));
        return;
      }
    }
    FAIL() << alias << " is not listed";
  }

  static void tapCancel() {
    const auto bars = shown<DisplayNavigationBar>();
    ASSERT_EQ(bars.size(), 1U);
    ASSERT_TRUE(bars[0].left && bars[0].left->title == "Cancel");
    ASSERT_TRUE(Touch::tapBarButton(bars[0].left->item.get()));
  }

  static void tapOk() {
    const auto alerts = shown<DisplayAlert>();
    ASSERT_EQ(alerts.size(), 1U);
    ASSERT_TRUE(Touch::tapAlertButton(*alerts[0].alert, 0));
  }

  void waitForResult() {
    ASSERT_TRUE(test::runUntil(loop_, [&] { return result_.has_value(); }));
  }

  test::Watchdog dog_;
  std::optional<FakeBluez> bluez_;
  test::TempDir sysfs_;
  RunLoop loop_;
  EAAccessoryManager manager_{quietOptions(sysfs_), loop_};
  test::NotificationLog log_;
  std::shared_ptr<Window> window_;
  std::optional<std::error_code> result_;
  std::size_t notificationsAtCompletion_ = 0;
};

TEST_F(BluetoothPicker, ListsPairedSerialDevicesFirstAndFollowsChangesWhileDiscovering) {
  auto& bluez = startBluez();
  const auto adapter = bluez.addAdapter("hci0");
  bluez.addDevice(kModule, "HC-05", true, true);
  const auto headset = bluez.addDevice("00:1A:7D:DA:71:13", "Headset", true, false);
  bluez.update(headset, "org.bluez.Device1", "Connected", true);
  bluez.addDevice("44:55:66:77:88:99", "Neighbour", false, false);
  bluez.addDevice("44:55:66:77:88:00", "Another", false, false);
  // Devices of an adapter that is switched off are not listed.
  bluez.update(bluez.addAdapter("hci1"), "org.bluez.Adapter1", "Powered", false);
  bluez.call("/", "org.bluez.Mock", "AddDevice", "sss", "hci1", "11:22:33:44:55:66", "Elsewhere");

  open();
  expectScreen(
      "[Cancel] Bluetooth Devices\n"
      "== Serial Port Devices ==\n"
      "row 0.0 | HC-05 | 98:D3:31:F6:1A:2B, paired\n"
      "== Other Paired Devices ==\n"
      "row 1.0 | Headset | 00:1A:7D:DA:71:13, connected\n"
      "== Other Devices ==\n"
      "row 2.0 | Another | 44:55:66:77:88:00, not paired\n"
      "row 2.1 | Neighbour | 44:55:66:77:88:99, not paired\n");
  EXPECT_TRUE(bluez.discovering(adapter));

  // A module switched on nearby appears, then gets paired; a device leaves.
  const auto module2 = bluez.addDevice("98:D3:31:00:00:02", "HC-06", false, true);
  bluez.call(adapter, "org.bluez.Adapter1", "RemoveDevice", "o", headset.c_str());
  expectScreen(
      "[Cancel] Bluetooth Devices\n"
      "== Serial Port Devices ==\n"
      "row 0.0 | HC-05 | 98:D3:31:F6:1A:2B, paired\n"
      "== Other Devices ==\n"
      "row 2.0 | Another | 44:55:66:77:88:00, not paired\n"
      "row 2.1 | HC-06 | 98:D3:31:00:00:02, not paired\n"
      "row 2.2 | Neighbour | 44:55:66:77:88:99, not paired\n");
  bluez.update(module2, "org.bluez.Device1", "Paired", true);
  expectScreen(
      "[Cancel] Bluetooth Devices\n"
      "== Serial Port Devices ==\n"
      "row 0.0 | HC-05 | 98:D3:31:F6:1A:2B, paired\n"
      "row 0.1 | HC-06 | 98:D3:31:00:00:02, paired\n"
      "== Other Devices ==\n"
      "row 2.0 | Another | 44:55:66:77:88:00, not paired\n"
      "row 2.1 | Neighbour | 44:55:66:77:88:99, not paired\n");

  tapCancel();
  EXPECT_EQ(screen(), "Zemra Telvo\n");
  EXPECT_EQ(result_, std::errc::operation_canceled);
  EXPECT_TRUE(test::runUntil(loop_, [&] { return !bluez.discovering(adapter); }));

  // A name filter keeps the devices whose alias begins with it.
  open("HC");
  expectScreen(
      "[Cancel] Bluetooth Devices\n"
      "== Serial Port Devices ==\n"
      "row 0.0 | HC-05 | 98:D3:31:F6:1A:2B, paired\n"
      "row 0.1 | HC-06 | 98:D3:31:00:00:02, paired\n");
  tapCancel();
}

TEST_F(BluetoothPicker, ChosenModuleBecomesAnAccessoryUntilItsLinkDrops) {
  struct Case {
    const char* drop;   // how the fake ends the link
    const char* fault;  // "stale": an earlier link must be ended first
  };
  auto& bluez = startBluez();
  bluez.addAdapter("hci0");
  bluez.addDevice(kModule, "HC-05", true, true);
  for (const Case& c : {Case{"close", ""}, Case{"request", "stale"}, Case{"disconnected", ""}}) {
    SCOPED_TRACE(c.drop);
    log_.entries.clear();
    bluez.knob("SetDeviceFault", "ss", kModule, c.fault);
    open();
    ASSERT_TRUE(test::runUntil(loop_, [&] { return screen().find("HC-05") != std::string::npos; }));
    tapDevice("HC-05");
    EXPECT_NE(screen().find("98:D3:31:F6:1A:2B, connecting…"), std::string::npos);
    waitForResult();
    EXPECT_EQ(result_, std::error_code());
    EXPECT_EQ(notificationsAtCompletion_, 1U) << "listed before the picker reports";
    EXPECT_EQ(screen(), "Zemra Telvo\n");
    const auto list = manager_.connectedAccessories();
    ASSERT_EQ(list.size(), 1U);
    const auto accessory = list[0];
    ASSERT_TRUE(log_.entries.at(0).connected);
    EXPECT_EQ(log_.entries[0].accessory, accessory);
    EXPECT_EQ(accessory->name(), "HC-05");
    EXPECT_EQ(accessory->modelNumber(), "Bluetooth SPP");
    EXPECT_EQ(accessory->serialNumber(), kModule);
    EXPECT_EQ(accessory->protocolStrings(), std::vector<std::string>{"com.Zemra.Demo"});

    const auto session = EASession::create(accessory, "com.Zemra.Demo");
    ASSERT_TRUE(session);
    auto collector = std::make_shared<test::Collector>();
    test::openStreams(*session, loop_, collector);
    ASSERT_EQ(test::writeText(*session->outputStream(), "AT+VERSION?\r\n"), 13);
    EXPECT_TRUE(test::runUntil(loop_, [&] { return collector->data == "AT+VERSION?\r\n"; }))
        << "the module echoes: " << collector->data;

    bluez.knob("DropLink", "ss", kModule, c.drop);
    ASSERT_TRUE(test::runUntil(loop_, [&] { return log_.entries.size() == 2; }));
    EXPECT_FALSE(log_.entries[1].connected);
    EXPECT_EQ(log_.entries[1].accessory, accessory);
    EXPECT_FALSE(accessory->isConnected());
    EXPECT_TRUE(manager_.connectedAccessories().empty());
    EXPECT_TRUE(test::runUntil(loop_, [&] { return collector->count(StreamEvent::EndEncountered) == 1; }))
        << "the session sees the link end";
    EXPECT_TRUE(test::runUntil(loop_, [] { return !BluezClient::isOpen(); }));
  }
}

TEST_F(BluetoothPicker, EachFailureIsToldInOneSentence) {
  struct Case {
    const char* name;
    std::function<void(FakeBluez&)> setUp;
    const char* choose;  // the device to tap, or null when opening fails already
    const char* alert;
    std::errc result;  // with the picker closed; std::errc() when it stays open
  };
  const Case cases[] = {
      {"no adapter", [](FakeBluez&) {}, nullptr,
       "No Bluetooth adapter was found on this computer.", std::errc::no_such_device},
      {"switched off",
       [](FakeBluez& b) { b.update(b.addAdapter("hci0"), "org.bluez.Adapter1", "Powered", false); },
       nullptr,
       "Bluetooth is switched off: switch the adapter on (for example with \"bluetoothctl power "
       "on\") and try again.",
       std::errc::network_down},
      {"profile taken",
       [](FakeBluez& b) {
         b.addAdapter("hci0");
         b.addDevice(kModule, "HC-05", true, true);
         b.knob("SetProfileTaken", "b", 1);
       },
       "HC-05",
       "Another program already holds the Bluetooth serial port profile (SPP), so no serial module "
       "can be connected until it lets go of it.",
       std::errc::operation_not_permitted},
      {"no serial port",
       [](FakeBluez& b) {
         b.addAdapter("hci0");
         b.addDevice("00:1A:7D:DA:71:13", "Headset", true, false);
       },
       "Headset", "Headset offers no serial port (SPP), so it cannot be used as a serial module.",
       std::errc()},
      {"needs a PIN",
       [](FakeBluez& b) {
         b.addAdapter("hci0");
         b.addDevice(kModule, "HC-05", false, true);
         b.knob("SetDeviceFault", "ss", kModule, "needs-pin");
       },
       "HC-05",
       "HC-05 is not paired and asks for a PIN: pair it first with the system's Bluetooth tools "
       "(for example bluetoothctl), then choose it again.",
       std::errc()},
      {"page timeout",
       [](FakeBluez& b) {
         b.addAdapter("hci0");
         b.addDevice(kModule, "HC-05", true, true);
         b.knob("SetDeviceFault", "ss", kModule, "page-timeout");
       },
       "HC-05",
       "HC-05 did not answer: make sure it is switched on and in range, then try again.",
       std::errc()},
      {"earlier link stays",
       [](FakeBluez& b) {
         b.addAdapter("hci0");
         b.addDevice(kModule, "HC-05", true, true);
         b.knob("SetDeviceFault", "ss", kModule, "stale-always");
       },
       "HC-05",
       "HC-05 is still held by an earlier connection that could not be ended: switch the module "
       "off and on, then try again.",
       std::errc()},
  };
  auto& bluez = startBluez();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bluez.call("/", "org.freedesktop.DBus.Mock", "Reset", "");
    c.setUp(bluez);
    open();
    if (c.choose) {
      ASSERT_TRUE(test::runUntil(loop_, [&] { return screen().find(c.choose) != std::string::npos; }));
      tapDevice(c.choose);
    }
    const std::string alert = std::string("alert: Warning | ") + c.alert + " | [OK]\n";
    ASSERT_TRUE(test::runUntil(loop_, [&] { return screen().ends_with(alert); })) << screen();
    EXPECT_EQ(screen().starts_with("[Cancel] Bluetooth Devices\n"), c.result == std::errc());
    tapOk();
    if (c.result == std::errc()) {
      EXPECT_FALSE(result_) << "the picker stays open for another choice";
      tapCancel();
    }
    EXPECT_EQ(result_, c.result == std::errc() ? std::errc::operation_canceled : c.result);
    EXPECT_EQ(screen(), "Zemra Telvo\n");
    EXPECT_TRUE(manager_.connectedAccessories().empty());
    ASSERT_TRUE(test::runUntil(loop_, [] { return !BluezClient::isOpen(); }));
  }
}

TEST_F(BluetoothPicker, WithoutTheDaemonOrWithoutABusItSaysSo) {
  startBluez(FakeBluez::Daemon::Absent);
  open();
  expectScreen(
      "Zemra Telvo\n"
      "alert: Warning | Bluetooth is not available: the Bluetooth service (bluetoothd) is not "
      "running. | [OK]\n");
  EXPECT_EQ(result_, std::errc::no_such_device);
  tapOk();

  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", test::kNoBusAddress, 1);
  open();
  EXPECT_EQ(screen(),
            "Zemra Telvo\n"
            "alert: Warning | Bluetooth is not available: the system message bus cannot be "
            "reached (No such file or directory). | [OK]\n");
  EXPECT_EQ(result_, std::errc::no_such_device);
  EXPECT_FALSE(BluezClient::isOpen());
  tapOk();
}

}  // namespace
}  // namespace zt
