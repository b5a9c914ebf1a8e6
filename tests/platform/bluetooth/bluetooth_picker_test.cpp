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
constexpr const char* kPicker = "[Cancel] Bluetooth Devices\n";

class BluetoothPicker : public ::testing::Test {
 protected:
  void SetUp() override {
    Application::shared().resetForTesting();
    auto root = std::make_shared<ViewController>();
    root->setTitle("Zemra Telvo");
    window_->setRootViewController(NavigationController::withRoot(root));
    window_->makeKeyAndVisible();
    installBluetoothAccessoryPicker();
  }
  void TearDown() override {
    EXPECT_TRUE(test::runUntil(rig_.loop, [] { return !BluezClient::isOpen(); }))
        << "the system bus is let go once the picker is closed and no link stands";
    EAAccessoryManager::setBluetoothAccessoryPickerPresenter(nullptr);
    Application::shared().resetForTesting();
  }

  void open() {
    result_.reset();
    rig_.manager->showBluetoothAccessoryPickerWithNameFilter({}, [this](const PlatformError& e) {
      result_ = e.code;
      notificationsAtResult_ = rig_.log.entries.size();
    });
  }

  static std::string screen() { return buildDisplayList(Application::shared()).toText(); }
  bool waitForScreen(const std::function<bool(const std::string&)>& wanted) {
    return test::runUntil(rig_.loop, [&] { return wanted(screen()); });
  }

  // Taps the row titled `title`, the left bar button, or the alert's first button.
  static bool tap(const std::string& title) {
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      if (const auto* row = std::get_if<DisplayRow>(&item); row && row->title == title) {
        return Touch::tapRow(*row->table, row->path);
      }
      if (const auto* bar = std::get_if<DisplayNavigationBar>(&item);
          bar && bar->left && bar->left->title == title) {
        return Touch::tapBarButton(bar->left->item.get());
      }
      if (const auto* alert = std::get_if<DisplayAlert>(&item); alert && title == "OK") {
        return Touch::tapAlertButton(*alert->alert, 0);
      }
    }
    return false;
  }

  test::Watchdog dog_;
  test::Rig rig_{[](AccessoryOptions& o) { o.rescanInterval = 1h; }};
  std::shared_ptr<Window> window_ = std::make_shared<Window>();
  std::optional<std::error_code> result_;
  std::size_t notificationsAtResult_ = 0;
};

TEST_F(BluetoothPicker, ListsPairedSerialDevicesFirstAndFollowsChangesWhileDiscovering) {
  FakeBluez bluez;
  const auto adapter = bluez.addAdapter("hci0");
  bluez.addDevice(kModule, "HC-05", true, true);
  const auto headset = bluez.addDevice("00:1A:7D:DA:71:13", "Headset", true, false);
  bluez.update(headset, "org.bluez.Device1", "Connected", true);
  bluez.addDevice("44:55:66:77:88:99", "Neighbour", false, false);
  bluez.addDevice("44:55:66:77:88:00", "Another", false, false);

  open();
  const std::string listed = std::string(kPicker) +
                             "== Serial Port Devices ==\n"
                             "row 0.0 | HC-05 | 98:D3:31:F6:1A:2B, paired\n"
                             "== Other Paired Devices ==\n"
                             "row 1.0 | Headset | 00:1A:7D:DA:71:13, connected\n"
                             "== Other Devices ==\n"
                             "row 2.0 | Another | 44:55:66:77:88:00, not paired\n"
                             "row 2.1 | Neighbour | 44:55:66:77:88:99, not paired\n";
  EXPECT_TRUE(waitForScreen([&](const std::string& s) { return s == listed; })) << screen();
  EXPECT_TRUE(test::runUntil(rig_.loop, [&] { return bluez.discovering(adapter); }));

  // A module switched on nearby appears and gets paired; a device is removed.
  bluez.update(bluez.addDevice("98:D3:31:00:00:02", "HC-06", false, true), "org.bluez.Device1",
               "Paired", true);
  bluez.call(adapter, "org.bluez.Adapter1", "RemoveDevice", "o", headset.c_str());
  EXPECT_TRUE(waitForScreen([](const std::string& s) {
    return s.find("row 0.1 | HC-06 | 98:D3:31:00:00:02, paired\n") != s.npos &&
           s.find("Headset") == s.npos;
  })) << screen();

  ASSERT_TRUE(tap("Cancel"));
  EXPECT_EQ(screen(), "Zemra Telvo\n");
  EXPECT_EQ(result_, std::errc::operation_canceled);
  EXPECT_TRUE(test::runUntil(rig_.loop, [&] { return !bluez.discovering(adapter); }));
}

TEST_F(BluetoothPicker, ChosenModuleIsAnAccessoryUntilItsLinkDrops) {
  struct Case {
    const char* drop;   // how the fake ends the link
    const char* fault;  // "stale": the daemon holds an earlier link, to be ended first
    bool session;       // one is open on the link when it drops
  };
  FakeBluez bluez;
  bluez.addAdapter("hci0");
  bluez.addDevice(kModule, "HC-05", true, true);
  for (const Case& c :
       {Case{"close", "", false}, Case{"request", "stale", true}, Case{"disconnected", "", true}}) {
    SCOPED_TRACE(c.drop);
    rig_.log.entries.clear();
    bluez.knob("SetDeviceFault", "ss", kModule, c.fault);
    open();
    ASSERT_TRUE(waitForScreen([](const std::string& s) { return s.find("HC-05") != s.npos; }));
    ASSERT_TRUE(tap("HC-05"));
    EXPECT_NE(screen().find("98:D3:31:F6:1A:2B, connecting…"), std::string::npos);
    ASSERT_TRUE(test::runUntil(rig_.loop, [&] { return result_.has_value(); }));
    EXPECT_EQ(result_, std::error_code());
    EXPECT_EQ(notificationsAtResult_, 1U) << "listed before the picker reports";
    EXPECT_EQ(screen(), "Zemra Telvo\n");
    ASSERT_EQ(rig_.manager->connectedAccessories().size(), 1U);
    const auto accessory = rig_.manager->connectedAccessories()[0];
    EXPECT_EQ(rig_.log.entries.at(0).accessory, accessory);
    EXPECT_EQ(accessory->name(), "HC-05");
    EXPECT_EQ(accessory->serialNumber(), kModule);

    const auto collector = rig_.collector = std::make_shared<test::Collector>();
    if (c.session) {
      ASSERT_TRUE(rig_.open());
      ASSERT_EQ(test::writeText(*rig_.session->outputStream(), "AT+VERSION?\r\n"), 13);
      EXPECT_TRUE(test::runUntil(rig_.loop, [&] { return collector->data == "AT+VERSION?\r\n"; }))
          << "the module echoes: " << collector->data;
    }
    bluez.knob("DropLink", "ss", kModule, c.drop);
    ASSERT_TRUE(test::runUntil(rig_.loop, [&] { return rig_.log.entries.size() == 2; }));
    EXPECT_FALSE(rig_.log.entries[1].connected);
    EXPECT_EQ(rig_.log.entries[1].accessory, accessory);
    EXPECT_TRUE(rig_.manager->connectedAccessories().empty());
    EXPECT_TRUE(test::runUntil(rig_.loop, [&] {
      return !c.session || collector->count(StreamEvent::EndEncountered) == 1;
    })) << "the session sees the link end";
    EXPECT_TRUE(test::runUntil(rig_.loop, [] { return !BluezClient::isOpen(); }));
  }
}

TEST_F(BluetoothPicker, EachFailureIsToldInOneSentence) {
  struct Case {
    const char* adapter;  // "on", "off" or none
    const char* alias;    // the one device, to choose; none: opening fails already
    bool paired;
    bool serialPort;
    const char* fault;     // of the device, or "profile taken"
    const char* alert;     // how it begins
    std::errc closedWith;  // std::errc(): the picker stays open for another choice
  };
  const Case cases[] = {
      {nullptr, nullptr, false, false, "", "No Bluetooth adapter was found on this computer.",
       std::errc::no_such_device},
      {"off", nullptr, false, false, "", "Bluetooth is switched off: switch the adapter on",
       std::errc::network_down},
      {"on", "HC-05", true, true, "profile taken",
       "Another program already holds the Bluetooth serial port profile (SPP)",
       std::errc::operation_not_permitted},
      {"on", "Headset", true, false, "", "Headset offers no serial port (SPP)", std::errc()},
      {"on", "HC-05", false, true, "needs-pin", "HC-05 is not paired and asks for a PIN",
       std::errc()},
      {"on", "HC-05", true, true, "page-timeout", "HC-05 did not answer", std::errc()},
      {"on", "HC-05", true, true, "stale-always", "HC-05 is still held by an earlier connection",
       std::errc()},
  };
  FakeBluez bluez;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alert);
    bluez.call("/", "org.freedesktop.DBus.Mock", "Reset", "");
    if (c.adapter) bluez.update(bluez.addAdapter("hci0"), "org.bluez.Adapter1", "Powered",
                                std::string(c.adapter) == "on");
    if (c.alias) bluez.addDevice(kModule, c.alias, c.paired, c.serialPort);
    if (std::string(c.fault) == "profile taken") {
      bluez.knob("SetProfileTaken", "b", 1);
    } else {
      bluez.knob("SetDeviceFault", "ss", kModule, c.fault);
    }
    open();
    if (c.alias) {
      ASSERT_TRUE(waitForScreen([&](const std::string& s) { return s.find(c.alias) != s.npos; }));
      ASSERT_TRUE(tap(c.alias));
    }
    const std::string alert = std::string("alert: Warning | ") + c.alert;
    ASSERT_TRUE(waitForScreen([&](const std::string& s) { return s.find(alert) != s.npos; }))
        << screen();
    const bool staysOpen = c.closedWith == std::errc();
    EXPECT_EQ(screen().starts_with(kPicker), staysOpen);
    ASSERT_TRUE(tap("OK"));
    if (staysOpen) {
      EXPECT_FALSE(result_);
      ASSERT_TRUE(tap("Cancel"));
    }
    EXPECT_EQ(result_, staysOpen ? std::errc::operation_canceled : c.closedWith);
    EXPECT_EQ(screen(), "Zemra Telvo\n");
    EXPECT_TRUE(rig_.manager->connectedAccessories().empty());
    ASSERT_TRUE(test::runUntil(rig_.loop, [] { return !BluezClient::isOpen(); }));
  }
}

TEST_F(BluetoothPicker, WithoutTheDaemonOrWithoutABusItSaysSo) {
  {
    FakeBluez busOnly(FakeBluez::Daemon::Absent);
    open();
    EXPECT_TRUE(waitForScreen([](const std::string& s) {
      return s == "Zemra Telvo\nalert: Warning | Bluetooth is not available: the Bluetooth service "
                  "(bluetoothd) is not running. | [OK]\n";
    })) << screen();
    EXPECT_EQ(result_, std::errc::no_such_device);
    ASSERT_TRUE(tap("OK"));
  }
  open();  // the address now leads nowhere
  EXPECT_EQ(screen(),
            "Zemra Telvo\n"
            "alert: Warning | Bluetooth is not available: the system message bus cannot be "
            "reached (No such file or directory). | [OK]\n");
  EXPECT_EQ(result_, std::errc::no_such_device);
  EXPECT_FALSE(BluezClient::isOpen());
  ASSERT_TRUE(tap("OK"));
}

}  // namespace
}  // namespace zt
