// A transfer screen that reconnects, over the shared accessory manager and real transports: the
// module emulator on a pseudo-terminal behind a --device link and on a TCP port, each stopped
// and started again, and a Bluetooth link that the fake Bluetooth daemon drops and lets come
// back. The manager tries again after a tenth of a second, not after seconds.
#include <csignal>

#include "platform/bluetooth/bluez_client.h"
#include "platform/bluetooth/fake_bluez.h"
#include "platform/external_accessory/accessory_test_support.h"
#include "transfer/transfer_screen_fixture.h"

namespace zt {
namespace {

using namespace std::chrono_literals;

const std::string kLost =
    "toolbar: [text field (placeholder): Waiting for the device to come back...] [Send] [EOL none]";
const std::string kRefused = "The link to the device is lost: nothing is sent until it comes back.";

class Reconnect : public test::TransferScreenTest {
 protected:
  void SetUp() override {
    TransferScreenTest::SetUp();
    static EAAccessoryManager& shared = []() -> EAAccessoryManager& {
      AccessoryOptions options;
      options.devices.push_back({link(), kDefaultBaud});
      options.tcpEndpoints.push_back({"127.0.0.1", port()});
      options.demo = false;
      options.sysfsRoot = (folder().path() / "no-sysfs").string();
      options.retry = {{100ms, 200ms}, 300ms};
      auto& made = EAAccessoryManager::createShared(options);
      installBluetoothReconnector(made);
      return made;
    }();
    manager = &shared;
  }

  static const test::TempDir& folder() {
    static const test::TempDir dir;
    return dir;
  }
  static std::string link() { return (folder().path() / "module").string(); }
  static std::uint16_t port() {
    static const std::uint16_t free = test::Listener().port();
    return free;
  }
  static std::unique_ptr<test::Child> module(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZT_MODULE};
    argv.insert(argv.end(), args.begin(), args.end());
    auto child = std::make_unique<test::Child>(argv);
    EXPECT_FALSE(child->line().empty()) << "the module announces where it serves";
    return child;
  }

  // A reconnecting screen on the accessory of `kind`, once it is listed.
  void open(AccessoryKind kind, SessionCapture* capture = nullptr) {
    std::shared_ptr<EAAccessory> found;
    ASSERT_TRUE(runUntil([&] {
      for (const auto& accessory : manager->connectedAccessories()) {
        if (accessory->key().kind == kind) found = accessory;
      }
      return found != nullptr;
    }));
    push(found, capture, true);
  }

  EAAccessoryManager* manager = nullptr;
};

// The module goes away with texts still queued, which are counted and never sent; a text typed
// while the screen waits is refused and stays in the field, to be sent once the module is back.
// The capture and History get the lines of the log.
TEST_F(Reconnect, APtyModuleWhoseLinkGoesAndComesBack) {
  test::TempDir dir;
  SessionCapture capture;
  ASSERT_FALSE(capture.open(dir.path() / "log"));
  historyLimit = 1 << 20;
  auto echo = module({"--pty", "--link", link()});
  open(AccessoryKind::GivenPath, &capture);
  send("one");
  ASSERT_TRUE(runUntil([&] { return received() == 3; }));
  echo->signal(SIGTERM);
  echo->wait();
  send("two");  // before the screen has seen the module go
  send("three");
  ASSERT_TRUE(runUntil([&] { return logHas("not sent"); })) << log();
  EXPECT_TRUE(log().ends_with(R"(]one\r\n[Link lost ##:##:##]\r\n# queued texts were not sent)"))
      << log();
  EXPECT_EQ(line("toolbar"), kLost);
  send("four");
  EXPECT_EQ(alert(), kRefused);
  echo = module({"--pty", "--link", link()});
  ASSERT_TRUE(runUntil([&] { return logHas("[Link back"); }));
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: four|] [Send] [EOL none]");
  tapSendButton();
  EXPECT_TRUE(runUntil([&] { return received() == 7 && logHas("[Sent ##:##:##]four"); }))
      << "only the text typed after the loss went out: " << log();
  const std::string file = hashed(test::readFile(dir.path() / "log"));
  EXPECT_NE(file.find("\n[Link lost ####-##-## ##:##:##.###]\n[####-##-## ##:##:##.###]# queued "
                      "texts were not sent\n[Link back ####-##-## ##:##:##.###]\n"),
            std::string::npos) << file;
  ASSERT_TRUE(Touch::pressKeyCommand(*screen, "F3"));
  const std::string history = hashed(screenText());
  EXPECT_NE(history.find(R"([Link lost ##:##:##.###]\n[##:##:##.###]# queued texts were not sent\n)"
                         R"([Link back ##:##:##.###]\n)"),
            std::string::npos) << history;
  ASSERT_TRUE(Touch::tapBarButton(nullptr));
}

TEST_F(Reconnect, ATcpModuleStoppedAndStartedOnItsPortResumesAutoSend) {
  settings().setAutoSendData("tick");
  const std::string address = "127.0.0.1:" + std::to_string(port());
  auto echo = module({"--listen", address});
  open(AccessoryKind::TcpEndpoint);
  choose(1);
  ASSERT_TRUE(runUntil([&] { return logHas("[Received ##:##:##]tick"); }));
  echo.reset();
  ASSERT_TRUE(runUntil([&] { return logHas("[Link lost"); }));
  EXPECT_EQ(line("toolbar"), kLost);
  choose(2);
  EXPECT_EQ(alert(), kRefused) << "no test file while the link is lost";
  choose(3);  // Clear
  echo = module({"--listen", address});
  ASSERT_TRUE(runUntil([&] { return logHas("[Link back"); }));
  EXPECT_EQ(line("toolbar"), "toolbar: [text field (disabled): Auto sending data...] [Stop] [EOL none]");
  ASSERT_TRUE(runUntil([&] { return logHas(R"([Link back ##:##:##]\r\n[Sent ##:##:##]tick)"); }))
      << "auto-send goes on";
}

// A test file cut short by the drop is not started again; while the module does not answer the
// screen keeps trying, and the system bus stays open until the screen is left.
TEST_F(Reconnect, ABluetoothLinkThatDropsIsConnectedAgainWhileTheScreenWaits) {
  constexpr const char* kModule = "98:D3:31:F6:1A:2B";
  test::FakeBluez bluez;
  bluez.addAdapter("hci0");
  const std::string path = bluez.addDevice(kModule, "HC-05", true, true);
  std::shared_ptr<BluezClient> client;  // held as the picker holds it while it connects
  if (auto acquired = BluezClient::acquire(*manager)) client = std::move(*acquired);
  ASSERT_TRUE(client);
  client->connect(path, [](const auto&) {});
  settings().setLargeData_LineCharacter("AT\r\n");
  settings().setLargeData_LineCount(1000);
  settings().setSleepTime(600'000);  // a pause that the drop ends
  open(AccessoryKind::BluetoothLink);
  client.reset();  // the link holds it now
  choose(2);
  ASSERT_TRUE(runUntil([&] { return sentCount() != "0"; }));
  const auto drop = [&] {
    bluez.knob("SetDeviceFault", "ss", kModule, "page-timeout");
    bluez.knob("DropLink", "ss", kModule, "close");
    return runUntil([&] { return line("toolbar") == kLost; });
  };
  ASSERT_TRUE(drop());
  ASSERT_TRUE(runUntil([&] { return logHas("[Link lost") && logHas(" bytes"); }));
  EXPECT_NE(log(true).find("the app stopped sending test file data after 200 of 4000 bytes"),
            std::string::npos);
  const unsigned attempts = bluez.connectAttempts(kModule);
  ASSERT_TRUE(runUntil([&] { return bluez.connectAttempts(kModule) >= attempts + 2; }));
  EXPECT_TRUE(BluezClient::isOpen());
  choose(3);  // Clear
  bluez.knob("SetDeviceFault", "ss", kModule, "");
  ASSERT_TRUE(runUntil([&] { return logHas("[Link back"); }));
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send] [EOL none]");
  send("AT");
  ASSERT_TRUE(runUntil([&] { return logHas("[Received ##:##:##]AT"); }));
  ASSERT_TRUE(drop());
  ASSERT_TRUE(Touch::tapBarButton(nullptr));  // Back ends the wait
  EXPECT_TRUE(runUntil([] { return !BluezClient::isOpen(); }));
}

}  // namespace
}  // namespace zt
