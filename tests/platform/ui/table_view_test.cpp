#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace zt::test {
namespace {

using Paths = std::vector<IndexPath>;

class Tables : public UiTest {
 protected:
  std::shared_ptr<TableScreen> show(std::vector<int> rows, Rect frame,
                                    TableViewStyle style = TableViewStyle::Plain) {
    auto screen = std::make_shared<TableScreen>(std::move(rows), frame, style);
    showNavigation(screen);
    return screen;
  }
};

TEST_F(Tables, OnlyVisibleRowsHaveCellsAndRowsComingBackAreBuiltAgainFromTheQueue) {
  auto screen = show({10}, {0, 0, 320, 100});
  auto& source = *screen->source;
  auto& table = *screen->table;
  EXPECT_EQ(source.built, (Paths{{0, 0}, {0, 1}, {0, 2}})) << "rows 0-2 touch the first 100 points";
  EXPECT_EQ(source.created, 3);
  EXPECT_EQ(table.cellForRowAtIndexPath({0, 5}), nullptr);

  source.built.clear();
  table.scrollToRowAtIndexPath({0, 9}, TableViewScrollPosition::Bottom, true);
  EXPECT_EQ(table.contentOffset().y, 440 - 100);
  EXPECT_EQ(source.built, (Paths{{0, 7}, {0, 8}, {0, 9}}));
  EXPECT_EQ(source.created, 3) << "the cells that left were reused";

  source.built.clear();
  table.scrollToRowAtIndexPath({0, 0}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(source.built, (Paths{{0, 0}, {0, 1}, {0, 2}})) << "rows coming back are rebuilt";
  EXPECT_EQ(source.created, 3);
  EXPECT_EQ(table.cellForRowAtIndexPath({0, 0})->textLabel()->text(), "r0.0");

  table.scrollToRowAtIndexPath({0, 9}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(table.contentOffset().y, 340) << "never past the end of the content";
}

TEST_F(Tables, HeightsHeadersAndReloadsFollowTheDataSource) {
  auto screen = std::make_shared<TableScreen>(std::vector<int>{1, 2}, Rect{0, 0, 320, 416},
                                              TableViewStyle::Grouped);
  screen->source->heights[{0, 0}] = 250;
  screen->source->titles[0] = "";
  screen->source->titles[1] = "Counters";
  showNavigation(screen);
  auto& table = *screen->table;
  EXPECT_EQ(table.rectForRowAtIndexPath({1, 1}), (Rect{0, 348, 320, 44}));
  EXPECT_EQ(screenText(),
            "(no title)\n== ==\nrow 0.0 | r0.0\n== Counters ==\nrow 1.0 | r1.0\nrow 1.1 | r1.1\n");

  screen->source->built.clear();
  table.reloadRowsAtIndexPaths({{1, 0}}, TableViewRowAnimation::Fade);
  EXPECT_EQ(screen->source->built, (Paths{{1, 0}}));

  screen->source->built.clear();
  screen->source->rows = {1, 3};
  table.reloadData();
  EXPECT_TRUE(screen->source->built.empty()) << "reloadData waits for the next layout";
  EXPECT_EQ(table.numberOfRowsInSection(1), 3);
  table.layoutIfNeeded();
  EXPECT_EQ(screen->source->built.size(), 4u) << "row 1.2 ends at 436, still inside 416+";
  EXPECT_EQ(screen->source->created, 4) << "three cells came back from the queue, one is new";
  table.setFrame({0, 0, 320, 320});
  screen->source->built.clear();
  table.layoutIfNeeded();
  EXPECT_EQ(table.indexPathsForVisibleRows(), (Paths{{0, 0}, {1, 0}})) << "rows from 320 on left";
}

TEST_F(Tables, TouchesSelectRowsUnlessSelectionIsOffOrTheRowIsCovered) {
  auto screen = show({3}, {0, 0, 320, 416});
  auto& table = *screen->table;
  EXPECT_TRUE(Touch::tapRow(table, {0, 0}));
  EXPECT_FALSE(Touch::tapRow(table, {0, 7})) << "no such row";
  EXPECT_EQ(screen->source->selected, (Paths{{0, 0}}));

  table.setAllowsSelection(false);
  EXPECT_FALSE(Touch::tapRow(table, {0, 2}));
  table.setAllowsSelection(true);

  // A transparent overlay over the table passes the touch to the screen.
  auto overlay = std::make_shared<View>(table.frame());
  screen->view()->addSubview(overlay);
  EXPECT_FALSE(Touch::tapRow(table, {0, 2}));
  EXPECT_EQ(screen->touches, 1);
  EXPECT_EQ(screen->source->selected.size(), 1u);
  EXPECT_NE(screenText().find("row 0.2 | r0.2 (covered)"), std::string::npos);
  overlay->setHidden(true);
  EXPECT_TRUE(Touch::tapRow(table, {0, 2}));

}

// Rows without a reuse identifier, each with a text field as its accessory.
class FieldRows : public TableViewDataSource {
 public:
  int numberOfRowsInSection(TableView&, int) override { return 6; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath p) override {
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, "");
    auto field = std::make_shared<TextField>(Rect{0, 0, 90, 30});
    field->setText(std::to_string(p.row));
    cell->setAccessoryView(field);
    fields[p.row] = field;
    ++built;
    return cell;
  }
  std::map<int, std::shared_ptr<TextField>> fields;
  int built = 0;
};

TEST_F(Tables, RowsLeavingTheViewTakeTheirControlsOffScreenAndReloadsMoveLaterRows) {
  auto screen = show({1}, {0, 0, 320, 100});
  auto fieldRows = std::make_shared<FieldRows>();
  auto& table = *screen->table;
  table.setDataSource(fieldRows);
  table.layoutIfNeeded();
  EXPECT_EQ(fieldRows->built, 3);
  auto first = fieldRows->fields[0];
  EXPECT_TRUE(Touch::tapTextInput(*first));
  Touch::touchElsewhere();  // this screen does not end editing
  EXPECT_TRUE(first->isFirstResponder());

  table.scrollToRowAtIndexPath({0, 4}, TableViewScrollPosition::None, false);
  EXPECT_EQ(table.contentOffset().y, 5 * 44 - 100) << "the least scroll that shows row 4";
  EXPECT_EQ(first->superview(), nullptr) << "a cell without identifier is dropped, not queued";
  EXPECT_FALSE(first->isFirstResponder()) << "leaving the window ends its editing";
  EXPECT_FALSE(Touch::tapTextInput(*first));
  EXPECT_EQ(table.dequeueReusableCellWithIdentifier(""), nullptr);

  table.setDataSource(screen->source);
  screen->source->rows = {4};
  table.setContentOffset({0, 0});
  table.layoutIfNeeded();
  auto second = table.cellForRowAtIndexPath({0, 1});
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->frame(), (Rect{0, 44, 320, 44}));
  screen->source->heights[{0, 0}] = 20;
  table.reloadRowsAtIndexPaths({{0, 0}}, TableViewRowAnimation::None);
  EXPECT_EQ(second->frame(), (Rect{0, 20, 320, 44})) << "row 1 follows the new height of row 0";
  EXPECT_EQ(table.indexPathsForVisibleRows(), (Paths{{0, 0}, {0, 1}, {0, 2}}));
}

// The transfer screen's case: its table shrinks for the keyboard and shows its last row.
TEST_F(Tables, AShrunkTableScrolledToItsEndKeepsItsTallFirstRowBuiltAndTouchable) {
  auto screen = std::make_shared<TableScreen>(std::vector<int>{1, 2}, Rect{0, 0, 320, 450});
  screen->source->heights[{0, 0}] = 250;
  screen->source->rowHeight = 30;
  showNavigation(screen);
  auto& table = *screen->table;
  const auto logCell = table.cellForRowAtIndexPath({0, 0});
  screen->source->built.clear();
  table.setFrame({0, 0, 320, 155});
  table.scrollToRowAtIndexPath({1, 1}, TableViewScrollPosition::Bottom, true);
  EXPECT_EQ(table.contentOffset().y, 310 - 155);
  EXPECT_TRUE(screen->source->built.empty()) << "every row still touches the visible area";
  EXPECT_EQ(table.cellForRowAtIndexPath({0, 0}), logCell);
  EXPECT_TRUE(Touch::tapRow(table, {0, 0})) << "touched in the part that shows";
}

}  // namespace
}  // namespace zt::test
