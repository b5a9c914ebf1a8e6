// Test support for the transfer screen: a fixture that pushes it on a navigation stack, drives it
// through Touch (the send field, the Send button, the menu, alerts) and reads it through the
// display list's text form. Every screen's send worker has ended when a test ends.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "platform/ui/ui_test_support.h"
#include "settings/glb_param.h"
#include "support/watchdog.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {

class TransferScreenTest : public UiTest {
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
  static GlbParam& settings() { return GlbParam::instance(); }

  // Pushes a new transfer screen on `accessory`.
  void push(std::shared_ptr<EAAccessory> accessory, SessionCapture* capture = nullptr,
            bool reconnect = false) {
    auto info = std::make_shared<AccessoryInfo>();
    info->setAccessory(std::move(accessory));
    screen = std::make_shared<DataTransfersViewController>();
    screen->setAccessoryInfo(info);
    screen->setSessionCapture(capture);
    screen->setHistoryLimit(historyLimit);
    screen->setReconnect(reconnect);
    navigation->pushViewController(screen, true);
  }

  // The line of the screen's text that starts with `start`.
  std::string line(const std::string& start) {
    const std::string shown = "\n" + screenText();
    const auto at = shown.find("\n" + start);
    return at == std::string::npos ? "" : shown.substr(at + 1, shown.find('\n', at + 1) - at - 1);
  }
  // `text` with its digits as '#' (time stamps vary).
  static std::string hashed(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }, '#');
    return text;
  }
  // The log as the display list writes it, hashed unless `exact`.
  std::string log(bool exact = false) {
    std::string row = line("row 0.0");
    row = row.substr(row.find(": ") + 2);
    row.pop_back();
    return exact ? row : hashed(row);
  }
  bool logHas(const std::string& text) { return log().find(text) != std::string::npos; }
  long long received() { return std::stoll(line("row 1.0").substr(21)); }
  std::string sentCount() { return line("row 1.1").substr(17); }
  bool runUntil(const std::function<bool()>& condition) {
    return test::runUntil(RunLoop::main(), condition);
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
  std::uint64_t historyLimit = 0;  // of the next screen pushed
  std::shared_ptr<NavigationController> navigation;
  std::shared_ptr<DataTransfersViewController> screen;
};

}  // namespace zt::test
