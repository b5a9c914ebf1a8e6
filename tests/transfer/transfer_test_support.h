// Test support for the transfer screen: a socket pair whose far end plays the device (a
// SOCK_SEQPACKET pair keeps every write as one record, so write boundaries can be checked), and
// a fixture that pushes the screen on a navigation stack and drives it through Touch.
#pragma once

#include <sys/socket.h>

#include <algorithm>
#include <string>

#include "platform/ui/ui_test_support.h"
#include "settings/glb_param.h"
#include "support/io.h"
#include "support/watchdog.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {

struct PeerTransport final : AccessoryTransport {
  explicit PeerTransport(int socketType = SOCK_SEQPACKET) : type(socketType) {}
  ~PeerTransport() override { closePeer(); }
  TransportChannel open() override {
    int pair[2];
    if (::socketpair(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0) {
      throw std::system_error(errno, std::generic_category(), "socketpair");
    }
    peer = pair[1];
    return {pair[0], true, nullptr};
  }
  void closePeer() {
    if (peer >= 0) ::close(peer);
    peer = -1;
  }
  // The next record; "" at the end or when none comes within `limitMs`.
  std::string record(int limitMs = 20000) const {
    pollfd pfd{peer, POLLIN, 0};
    char bytes[65536];
    const ssize_t n = ::poll(&pfd, 1, limitMs) > 0 ? ::recv(peer, bytes, sizeof bytes, 0) : 0;
    return std::string(bytes, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
  }
  void send(std::string_view bytes) const { ASSERT_TRUE(writeAll(peer, bytes)); }

  int type;
  int peer = -1;
};

class TransferTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    navigation = showNavigation(std::make_shared<ViewController>());
  }
  void TearDown() override {
    if (navigation->topViewController() == screen) navigation->popViewControllerAnimated(false);
    screen.reset();
    EXPECT_TRUE(DataTransfersViewController::waitForWorkers(std::chrono::seconds(20)));
    GlbParam::ReleaseResource();
    UiTest::TearDown();
  }
  void reset() {
    TearDown();
    SetUp();
  }
  static GlbParam& settings() { return GlbParam::instance(); }

  void open(std::shared_ptr<AccessoryTransport> transport = nullptr,
            SessionCapture* capture = nullptr) {
    AccessoryIdentity identity{"Zemra Test Module", "", "", "ZTX", "", "", {}};
    auto info = std::make_shared<AccessoryInfo>();
    info->setAccessory(std::make_shared<EAAccessory>(identity, 1, transport ? transport : peer));
    screen = std::make_shared<DataTransfersViewController>();
    screen->setAccessoryInfo(info);
    screen->setSessionCapture(capture);
    navigation->pushViewController(screen, true);
  }

  // The line of the screen's text that starts with `start`.
  std::string line(const std::string& start) {
    const std::string shown = "\n" + screenText();
    const auto at = shown.find("\n" + start);
    return at == std::string::npos ? "" : shown.substr(at + 1, shown.find('\n', at + 1) - at - 1);
  }
  // The log as the display list writes it, with its digits as '#' (time stamps vary).
  std::string log() {
    std::string row = line("row 0.0");
    row = row.substr(row.find(": ") + 2);
    row.pop_back();
    std::replace_if(row.begin(), row.end(), [](char c) { return std::isdigit(c) != 0; }, '#');
    return row;
  }
  long long received() { return std::stoll(line("row 1.0").substr(21)); }
  bool runUntil(const std::function<bool()>& condition) {
    return test::runUntil(RunLoop::main(), condition);
  }
  // Sends `typed`; what the device got, once the log shows it sent (the worker tells the main
  // thread only after its write, so an answer could otherwise be logged first).
  std::string exchange(const std::string& typed) {
    send(typed);
    const std::string got = peer->record();
    EXPECT_TRUE(runUntil([&] { return log().find("[Sent") != std::string::npos; }));
    return got;
  }

  std::shared_ptr<BarButtonItem> toolbarItem(std::size_t index) {
    auto bar = std::dynamic_pointer_cast<Toolbar>(screen->view()->subviews().at(1));
    return bar->items().at(index);
  }
  void tapSendButton() { ASSERT_TRUE(Touch::tapBarButton(toolbarItem(1).get())); }
  void send(const std::string& typed) {
    ASSERT_TRUE(Touch::tapTextInput(*toolbarItem(0)->customView()));
    Touch::typeText(typed);
    tapSendButton();
  }
  void choose(int entry) {
    ASSERT_TRUE(Touch::tapBarButton(screen->navigationItem().rightBarButtonItem().get()));
    const auto& sheet = std::get<std::shared_ptr<ActionSheet>>(Application::shared().popups().back());
    ASSERT_TRUE(Touch::chooseActionSheetEntry(*sheet, entry));
  }
  // The message of the alert shown, which is dismissed; "" when there is none.
  std::string alert() {
    const auto& popups = Application::shared().popups();
    if (popups.empty()) return "";
    const auto shown = std::get<std::shared_ptr<AlertView>>(popups.back());
    Touch::tapAlertButton(*shown, 0);
    return shown->message();
  }

  Watchdog watchdog;
  std::shared_ptr<PeerTransport> peer = std::make_shared<PeerTransport>();
  std::shared_ptr<NavigationController> navigation;
  std::shared_ptr<DataTransfersViewController> screen;
};

}  // namespace zt::test
