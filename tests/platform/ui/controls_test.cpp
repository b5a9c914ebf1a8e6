#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace zt::test {
namespace {

using Strings = std::vector<std::string>;

// A screen in the shape of the application's: a table whose "Quorvel" row carries a switch
// built anew with each cell, a toolbar with a send field and a button, an action menu.
class MenuScreen : public ViewController,
                   public TableViewDataSource,
                   public ActionSheetDelegate,
                   public AlertViewDelegate {
 public:
  using ActionSheetDelegate::clickedButtonAtIndex;
  using AlertViewDelegate::clickedButtonAtIndex;

  explicit MenuScreen(Strings& l) : log(l) {}

  void viewDidLoad() override {
    setTitle("Zemra Telvo");
    table = std::make_shared<TableView>(Rect{0, 0, 320, 372}, TableViewStyle::Grouped);
    table->setDataSource(weakAs<TableViewDataSource>());
    view()->addSubview(table);
    navigationItem().setRightBarButtonItem(
        std::make_shared<BarButtonItem>(UIBarButtonSystemItemAction, [this] { openMenu(); }), true);
    field->setFrame({0, 0, 230, 31});
    send = std::make_shared<BarButtonItem>("Send", BarButtonItemStyle::Bordered,
                                           [this] { log.push_back("send " + field->text()); });
    toolbar = std::make_shared<Toolbar>(Rect{0, 372, 320, 44});
    toolbar->setItems({std::make_shared<BarButtonItem>(field), send});
    view()->addSubview(toolbar);
  }
  int numberOfRowsInSection(TableView&, int) override { return 1; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& t, IndexPath) override {
    auto cell = t.dequeueReusableCellWithIdentifier("MainCell");
    if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "MainCell");
    cell->textLabel()->setText("Quorvel");
    quorvel = std::make_shared<Switch>();
    quorvel->addTarget([this] { log.push_back(quorvel->isOn() ? "switch on" : "switch off"); },
                       ControlEvent::TouchUpInside);
    cell->addSubview(quorvel);
    cell->setAccessoryView(quorvel);
    return cell;
  }
  void openMenu() {
    auto sheet = std::make_shared<ActionSheet>("", weakAs<ActionSheetDelegate>(), "Cancel",
                                               std::nullopt, Strings{"About", "Clear"});
    sheet->showInView(*view());
  }
  void clickedButtonAtIndex(ActionSheet&, int index) override {
    log.push_back("menu " + std::to_string(index));
    if (index == 1) {
      std::make_shared<AlertView>("Warning", "Cleared", weakAs<AlertViewDelegate>(), "OK")->show();
    }
  }
  void clickedButtonAtIndex(AlertView& alert, int index) override {
    log.push_back("alert " + std::to_string(index) +
                  " visible=" + std::to_string(alert.isVisible()));
  }

  Strings& log;
  std::shared_ptr<TableView> table;
  std::shared_ptr<Switch> quorvel;
  std::shared_ptr<TextField> field = std::make_shared<TextField>();
  std::shared_ptr<BarButtonItem> send;
  std::shared_ptr<Toolbar> toolbar;
};

class Controls : public UiTest {
 protected:
  std::shared_ptr<MenuScreen> show() {
    auto screen = std::make_shared<MenuScreen>(log);
    auto navigation = showNavigation(std::make_shared<ViewController>());
    navigation->pushViewController(screen, false);
    screen->navigationItem().setHidesBackButton(true);
    return screen;
  }
};

TEST_F(Controls, SwitchTouchFiresItsTargetButSetOnDoesNot) {
  auto screen = show();
  EXPECT_EQ(screen->quorvel->frame().size(), Switch::kSize) << "a switch keeps its own size";
  auto generation = modelGeneration();
  EXPECT_TRUE(Touch::toggleSwitch(*screen->quorvel));
  EXPECT_GT(modelGeneration(), generation);
  screen->quorvel->setOn(false, true);
  EXPECT_TRUE(screen->quorvel->lastSetAnimated());
  screen->quorvel->setEnabled(false);
  EXPECT_FALSE(Touch::toggleSwitch(*screen->quorvel));
  EXPECT_EQ(log, (Strings{"switch on"}));
  EXPECT_NE(screenText().find("row 0.0 | Quorvel | [OFF]"), std::string::npos);

  auto old = screen->quorvel;
  screen->table->reloadData();
  screen->table->layoutIfNeeded();
  EXPECT_NE(screen->quorvel, old) << "the row was built again with a new switch";
  EXPECT_FALSE(Touch::toggleSwitch(*old)) << "the old switch left the screen";
}

TEST_F(Controls, ToolbarFieldAndButtonWorkThroughTouches) {
  auto screen = show();
  EXPECT_TRUE(Touch::tapTextInput(*screen->field));
  Touch::typeText("hi");
  EXPECT_NE(screenText().find("toolbar: [text field: hi|] [Send]"), std::string::npos);
  EXPECT_FALSE(Touch::tapBarButton(screen->send.get())) << "the keyboard covers the toolbar";
  screen->toolbar->setFrame({0, 216 - 15 - 44, 320, 44});  // what the screen does for it
  EXPECT_TRUE(Touch::tapBarButton(screen->send.get()));
  screen->send->setTitle("Stop");
  screen->send->setEnabled(false);
  screen->field->setEnabled(false);
  EXPECT_FALSE(Touch::tapBarButton(screen->send.get()));
  EXPECT_NE(screenText().find("toolbar: [text field (disabled): hi] [(Stop)]"), std::string::npos);
  EXPECT_EQ(log, (Strings{"send hi"}));
}

TEST_F(Controls, ActionSheetAndAlertTakeEveryTouchUntilAnsweredAndOrderTheirButtons) {
  auto screen = show();
  auto action = screen->navigationItem().rightBarButtonItem();
  EXPECT_TRUE(Touch::tapBarButton(action.get()));
  auto sheet = std::get<std::shared_ptr<ActionSheet>>(Application::shared().popups().back());
  EXPECT_EQ(sheet->cancelButtonIndex(), 2);
  EXPECT_NE(screenText().find("action sheet: [About] [Clear] [Cancel]\n"), std::string::npos);
  EXPECT_FALSE(Touch::toggleSwitch(*screen->quorvel)) << "the sheet is modal";
  EXPECT_FALSE(Touch::touchElsewhere());
  EXPECT_FALSE(Touch::chooseActionSheetEntry(*sheet, 3));

  EXPECT_TRUE(Touch::chooseActionSheetEntry(*sheet, 1));
  EXPECT_FALSE(sheet->isVisible());
  auto alert = std::get<std::shared_ptr<AlertView>>(Application::shared().popups().back());
  EXPECT_EQ(alert->cancelButtonIndex(), 0);
  EXPECT_TRUE(screenText().ends_with("alert: Warning | Cleared | [OK]\n"));
  EXPECT_FALSE(Touch::chooseActionSheetEntry(*sheet, 0)) << "no longer shown";
  EXPECT_TRUE(Touch::tapAlertButton(*alert, 0));
  EXPECT_TRUE(Application::shared().popups().empty());
  EXPECT_EQ(log, (Strings{"menu 1", "alert 0 visible=0"}));
  EXPECT_TRUE(Touch::toggleSwitch(*screen->quorvel));
}

}  // namespace
}  // namespace zt::test
