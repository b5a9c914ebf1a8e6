#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace zt::test {
namespace {

// A modal screen in the about screen's shape: a table screen with two sections, the second row
// carrying three centred labels that are replaced each time the row is built, and a "Done" item
// on its bar that ends the presentation.
class AboutScreen : public TableViewController {
 public:
  void viewDidLoad() override {
    setTitle("About");
    tableView()->setAllowsSelection(false);
    done = std::make_shared<BarButtonItem>(BarButtonSystemItem::Done,
                                           [this] { dismissModalViewControllerAnimated(true); });
    navigationItem().setRightBarButtonItem(done);
  }
  int numberOfSectionsInTableView(TableView&) override { return 2; }
  int numberOfRowsInSection(TableView&, int s) override { return s == 0 ? 2 : 1; }
  std::optional<std::string> titleForHeaderInSection(TableView&, int s) override {
    return s == 0 ? "Zemra  Application" : "";
  }
  float heightForRowAtIndexPath(TableView&, IndexPath p) override {
    return p.section == 1 ? 80 : 50;
  }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& t, IndexPath p) override {
    auto cell = t.dequeueReusableCellWithIdentifier("About");
    if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "About");
    for (auto& child : std::vector<std::shared_ptr<View>>(cell->subviews())) {
      if (std::dynamic_pointer_cast<Label>(child)) child->removeFromSuperview();
    }
    if (p.section == 0) {
      cell->textLabel()->setText(p.row == 0 ? "Platform" : "Version");
      cell->detailTextLabel()->setText(p.row == 0 ? "any" : "1.6.0");
      return cell;
    }
    cell->textLabel()->setText("");
    cell->detailTextLabel()->setText("");
    for (const char* line : {"one", "two", "three"}) {
      auto label = std::make_shared<Label>();
      label->setText(line);
      label->setTextAlignment(TextAlignment::Center);
      cell->addSubview(label);
    }
    return cell;
  }

  std::shared_ptr<BarButtonItem> done;
};

class Display : public UiTest {};

TEST_F(Display, ModalScreenReplacesTheStackUnderABarOfItsOwnAndRebuiltRowsDoNotDuplicate) {
  auto main = std::make_shared<ViewController>();
  main->setTitle("Zemra Telvo");
  auto navigation = showNavigation(std::make_shared<ViewController>());
  navigation->pushViewController(main, false);
  main->navigationItem().setHidesBackButton(true);
  auto about = std::make_shared<AboutScreen>();
  main->presentModalViewController(about, true);

  const std::string expected =
      "About [Done]\n"
      "== Zemra  Application ==\n"
      "row 0.0 | Platform | any\n"
      "row 0.1 | Version | 1.6.0\n"
      "row 1.0 |  | one | two | three\n";
  EXPECT_EQ(screenText(), expected);
  about->tableView()->reloadData();
  about->tableView()->scrollToRowAtIndexPath({1, 0}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(screenText(), expected) << "the table fits: nothing scrolls, no line is doubled";
  EXPECT_FALSE(Touch::tapRow(*about->tableView(), {0, 0})) << "selection is off";
  EXPECT_FALSE(Touch::tapBarButton(nullptr)) << "a modal screen has no back button";

  EXPECT_TRUE(Touch::tapBarButton(about->done.get()));
  EXPECT_EQ(navigation->modalViewController(), nullptr);
  EXPECT_EQ(screenText(), "Zemra Telvo\n");
}

TEST_F(Display, BuildingTheListTwiceChangesNothingAndChangesBumpTheGeneration) {
  auto screen = std::make_shared<AboutScreen>();
  showNavigation(screen);
  auto first = screenText();
  auto generation = modelGeneration();
  EXPECT_EQ(screenText(), first);
  EXPECT_EQ(modelGeneration(), generation) << "a renderer must not redraw for nothing";
  screen->done->setTitle("Close");
  EXPECT_GT(modelGeneration(), generation);
  EXPECT_NE(screenText().find("About [Close]\n"), std::string::npos);
}

TEST_F(Display, TextsAreEscapedAndControlsShowTheirState) {
  auto screen = std::make_shared<AboutScreen>();
  showNavigation(screen);
  auto logView = std::make_shared<TextView>(Rect{5, 0, 318, 240});
  logView->setText("\r\n[Received 09:05:07]hello");
  logView->setEditable(false);
  auto cell = screen->tableView()->cellForRowAtIndexPath({0, 0});
  cell->addSubview(logView);
  auto field = std::make_shared<TextField>(Rect{0, 0, 90, 30});
  field->setText("12");
  field->setKeyboardType(KeyboardType::NumberPad);
  cell->setAccessoryView(field);
  EXPECT_TRUE(Touch::tapTextInput(*field));
  Touch::moveCursor(-1);
  auto text = screenText();
  EXPECT_NE(text.find("row 0.0 | Platform | any | [text field: 1|2] | "
                      "[text view (read-only): \\r\\n[Received 09:05:07]hello]\n"),
            std::string::npos)
      << text;
  EXPECT_TRUE(text.ends_with("keyboard: number pad\n"));
  auto list = buildDisplayList(Application::shared());
  auto& row = std::get<DisplayRow>(list.items.at(2));  // after the bar and the header
  EXPECT_TRUE(row.controls.at(0).numeric);
  EXPECT_EQ(row.controls.at(0).cursor, 1u);
  EXPECT_FALSE(row.selectable);
}

}  // namespace
}  // namespace zt::test
