#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace zt::test {
namespace {

using Strings = std::vector<std::string>;

// A screen with a switch and an action menu whose entries raise an alert.
class MenuScreen : public ViewController, public ActionSheetDelegate, public AlertViewDelegate {
 public:
  using ActionSheetDelegate::clickedButtonAtIndex;
  using AlertViewDelegate::clickedButtonAtIndex;

  explicit MenuScreen(Strings& l) : log(l) {}

  void viewDidLoad() override {
    quorvel->addTarget([this] { log.push_back("switch"); }, ControlEvent::TouchUpInside);
    view()->addSubview(quorvel);
    navigationItem().setRightBarButtonItem(
        std::make_shared<BarButtonItem>(UIBarButtonSystemItemAction, [this] {
          std::make_shared<ActionSheet>("", weakAs<ActionSheetDelegate>(), "Cancel", std::nullopt,
                                        Strings{"About", "Clear"})
              ->showInView(*view());
        }));
  }
  void clickedButtonAtIndex(ActionSheet&, int index) override {
    log.push_back("menu " + std::to_string(index));
    std::make_shared<AlertView>("Warning", "Cleared", weakAs<AlertViewDelegate>(), "OK")->show();
  }
  void clickedButtonAtIndex(AlertView& alert, int index) override {
    log.push_back("alert " + std::to_string(index) +
                  " visible=" + std::to_string(alert.isVisible()));
  }

  Strings& log;
  std::shared_ptr<Switch> quorvel = std::make_shared<Switch>();
};

class Controls : public UiTest {};

TEST_F(Controls, ActionSheetAndAlertTakeEveryTouchUntilAnsweredAndOrderTheirButtons) {
  auto screen = std::make_shared<MenuScreen>(log);
  showNavigation(screen);
  auto action = screen->navigationItem().rightBarButtonItem();
  EXPECT_TRUE(Touch::tapBarButton(action.get()));
  auto sheet = std::get<std::shared_ptr<ActionSheet>>(Application::shared().popups().back());
  EXPECT_EQ(sheet->cancelButtonIndex(), 2);
  EXPECT_TRUE(screenText().ends_with("action sheet: [About] [Clear] [Cancel]\n"));
  EXPECT_FALSE(Touch::toggleSwitch(*screen->quorvel)) << "the sheet is modal";
  EXPECT_FALSE(Touch::touchElsewhere());
  EXPECT_FALSE(Touch::chooseActionSheetEntry(*sheet, 3));

  EXPECT_TRUE(Touch::chooseActionSheetEntry(*sheet, 1));
  auto alert = std::get<std::shared_ptr<AlertView>>(Application::shared().popups().back());
  EXPECT_EQ(alert->cancelButtonIndex(), 0);
  EXPECT_TRUE(screenText().ends_with("alert: Warning | Cleared | [OK]\n"));
  EXPECT_FALSE(Touch::chooseActionSheetEntry(*sheet, 0)) << "no longer shown";
  EXPECT_TRUE(Touch::tapAlertButton(*alert, 0));
  EXPECT_TRUE(Application::shared().popups().empty());
  EXPECT_TRUE(Touch::toggleSwitch(*screen->quorvel));
  action->setEnabled(false);
  EXPECT_FALSE(Touch::tapBarButton(action.get())) << "a disabled bar button";
  EXPECT_EQ(log, (Strings{"menu 1", "alert 0 visible=0", "switch"}));
}

}  // namespace
}  // namespace zt::test
