#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace zt::test {
namespace {

class Display : public UiTest {};

TEST_F(Display, BuildingTheListTwiceChangesNothingAndChangesBumpTheGeneration) {
  auto screen = std::make_shared<TableScreen>(std::vector<int>{2}, Rect{0, 0, 320, 416});
  screen->setTitle("About");
  showNavigation(screen);
  auto done = std::make_shared<BarButtonItem>(BarButtonSystemItem::Done, [] {});
  screen->navigationItem().setRightBarButtonItem(done);
  const auto first = screenText();
  const auto generation = modelGeneration();
  EXPECT_EQ(screenText(), first);
  EXPECT_EQ(modelGeneration(), generation) << "a renderer must not redraw for nothing";
  done->setTitle("Close");
  EXPECT_GT(modelGeneration(), generation);
  EXPECT_EQ(screenText(), "About [Close]\nrow 0.0 | r0.0\nrow 0.1 | r0.1\n");
}

TEST_F(Display, TextsAreEscapedAndControlsShowTheirState) {
  auto screen = std::make_shared<TableScreen>(std::vector<int>{1}, Rect{0, 0, 320, 416});
  showNavigation(screen);
  screen->table->setAllowsSelection(false);
  auto cell = screen->table->cellForRowAtIndexPath({0, 0});
  auto logView = std::make_shared<TextView>(Rect{5, 0, 318, 240});
  logView->setText("\r\n[Received 09:05:07]hello");
  logView->setEditable(false);
  cell->addSubview(logView);
  auto field = std::make_shared<TextField>(Rect{0, 0, 90, 30});
  field->setText("12");
  field->setKeyboardType(KeyboardType::NumberPad);
  cell->setAccessoryView(field);
  EXPECT_TRUE(Touch::tapTextInput(*field));
  Touch::moveCursor(-1);
  EXPECT_EQ(screenText(),
            "(no title)\nrow 0.0 | r0.0 | [text field: 1|2] | "
            "[text view (read-only): \\r\\n[Received 09:05:07]hello]\nkeyboard: number pad\n");
  const auto list = buildDisplayList(Application::shared());
  const auto& row = std::get<DisplayRow>(list.items.at(1));
  EXPECT_TRUE(row.controls.at(0).numeric);
  EXPECT_FALSE(row.selectable);
}

}  // namespace
}  // namespace zt::test
