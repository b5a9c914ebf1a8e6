// Test support for the transfer screen: a socket pair whose far end plays the device (a
// SOCK_SEQPACKET pair keeps every write as one record, so write boundaries can be checked), and
// a fixture that pushes the screen on a navigation stack and drives it through Touch.
#pragma once

#include <sys/socket.h>

#include <string>
#include <vector>

#include "platform/ui/ui_test_support.h"
#include "settings/glb_param.h"
#include "support/io.h"
#include "support/watchdog.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {

class PeerTransport final : public AccessoryTransport {
 public:
  explicit PeerTransport(int type = SOCK_SEQPACKET) : type_(type) {}
  ~PeerTransport() override { closePeer(); }
  PeerTransport(const PeerTransport&) = delete;
  PeerTransport& operator=(const PeerTransport&) = delete;

  TransportChannel open() override {
    int pair[2];
    if (::socketpair(AF_UNIX, type_ | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0) {
      throw std::system_error(errno, std::generic_category(), "socketpair");
    }
    peer = pair[1];
    return {pair[0], true};
  }
  void closePeer() {
    if (peer >= 0) ::close(peer);
    peer = -1;
  }
  // The next record, or "" at the end or when none came within `limit`.
  std::string record(int limitMs = 20000) const {
    pollfd pfd{peer, POLLIN, 0};
    if (::poll(&pfd, 1, limitMs) <= 0) return {};
    char bytes[65536];
    const ssize_t n = ::recv(peer, bytes, sizeof bytes, 0);
    return n > 0 ? std::string(bytes, static_cast<std::size_t>(n)) : std::string();
  }
  void send(std::string_view bytes) const { ASSERT_TRUE(writeAll(peer, bytes)); }

  int peer = -1;

 private:
  int type_;
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

  void open(std::shared_ptr<AccessoryTransport> transport = nullptr,
            SessionCapture* capture = nullptr) {
    if (!transport) transport = peer;
    AccessoryIdentity identity;
    identity.name = "Zemra Test Module";
    identity.serialNumber = "ZTX";
    auto info = std::make_shared<AccessoryInfo>();
    info->setAccessory(std::make_shared<EAAccessory>(identity, 1, std::move(transport)));
    screen = std::make_shared<DataTransfersViewController>();
    screen->setAccessoryInfo(info);
    screen->setSessionCapture(capture);
    navigation->pushViewController(screen, true);
  }

  // The screen's text with every time stamp written "hh:mm:ss".
  std::string text() {
    std::string shown = screenText();
    for (std::size_t i = 0; i + 8 <= shown.size(); ++i) {
      const auto digits = [&](std::size_t at) {
        return std::isdigit(static_cast<unsigned char>(shown[at])) != 0;
      };
      if (digits(i) && digits(i + 1) && shown[i + 2] == ':' && digits(i + 3) && digits(i + 4) &&
          shown[i + 5] == ':' && digits(i + 6) && digits(i + 7)) {
        shown.replace(i, 8, "hh:mm:ss");
      }
    }
    return shown;
  }
  // The line of the screen's text that starts with `start`.
  std::string line(const std::string& start) {
    const std::string shown = text();
    const auto at = shown.find("\n" + start);
    if (at == std::string::npos) return {};
    return shown.substr(at + 1, shown.find('\n', at + 1) - at - 1);
  }
  std::string log() {
    const std::string row = line("row 0.0");
    const auto at = row.find(": ");
    return at == std::string::npos ? "" : row.substr(at + 2, row.size() - at - 3);
  }
  long long received() { return std::stoll(line("row 1.0 | Received | ").substr(21)); }

  bool runUntil(const std::function<bool()>& condition) {
    return test::runUntil(RunLoop::main(), condition);
  }
  DisplayToolbar toolbar() {
    for (auto& item : buildDisplayList(Application::shared()).items) {
      if (auto* bar = std::get_if<DisplayToolbar>(&item)) return *bar;
    }
    return {};
  }
  void send(const std::string& typed) {
    ASSERT_TRUE(Touch::tapTextInput(*toolbar().entries.at(0).control->view));
    Touch::typeText(typed);
    ASSERT_TRUE(Touch::tapBarButton(toolbar().entries.at(1).item.get()));
  }
  void choose(int entry) {
    ASSERT_TRUE(Touch::tapBarButton(screen->navigationItem().rightBarButtonItem().get()));
    const auto& sheet = std::get<std::shared_ptr<ActionSheet>>(Application::shared().popups().back());
    ASSERT_TRUE(Touch::chooseActionSheetEntry(*sheet, entry));
  }
  // The alert shown, dismissed; "" when there is none.
  std::string alert() {
    const auto& popups = Application::shared().popups();
    if (popups.empty()) return "";
    const auto shown = std::get<std::shared_ptr<AlertView>>(popups.back());
    Touch::tapAlertButton(*shown, 0);
    return shown->message();
  }

  static GlbParam& settings() { return GlbParam::instance(); }

  Watchdog watchdog;
  std::shared_ptr<PeerTransport> peer = std::make_shared<PeerTransport>();
  std::shared_ptr<NavigationController> navigation;
  std::shared_ptr<DataTransfersViewController> screen;
};

}  // namespace zt::test
