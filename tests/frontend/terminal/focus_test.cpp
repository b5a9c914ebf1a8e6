#include "frontend/terminal/focus.h"

#include <gtest/gtest.h>

#include "frontend/terminal/display_builders.h"

namespace zt::term {
namespace {

using test::MainLike;

TEST(FocusTracker, EachScreenStartsOnItsFirstRowAndGetsItsFocusBackWhenShownAgain) {
  MainLike main;
  FocusTracker tracker;
  tracker.update(main.list);
  EXPECT_EQ(tracker.focus().row, (IndexPath{0, 0}));
  Focus moved = tracker.focus();
  moved.row = IndexPath{1, 1};
  tracker.set(moved);
  tracker.update(main.list);
  EXPECT_EQ(tracker.focus().row, (IndexPath{1, 1}));
  {
    MainLike pushed;  // another screen with its own table
    tracker.update(pushed.list);
    EXPECT_EQ(tracker.focus().row, (IndexPath{0, 0}));
    EXPECT_EQ(tracker.focus().table, pushed.table.get());
  }
  tracker.update(main.list);
  EXPECT_EQ(tracker.focus().row, (IndexPath{1, 1}));
  // A screen opened again is a new screen: it starts at the top.
  MainLike reopened;
  tracker.update(reopened.list);
  EXPECT_EQ(tracker.focus().row, (IndexPath{0, 0}));
}

TEST(FocusTracker, FocusLeavesRowsThatWentAwayOrAreCoveredAndOverlaysStartAtTheirFirstEntry) {
  MainLike main;
  FocusTracker tracker;
  tracker.update(main.list);
  Focus moved = tracker.focus();
  moved.row = IndexPath{1, 1};
  moved.overlayIndex = 3;
  tracker.set(moved);
  main.list.items.erase(main.list.items.begin() + 5);  // the row (1, 1)
  tracker.update(main.list);
  EXPECT_EQ(tracker.focus().row, (IndexPath{1, 0}));  // the nearest row left
  main.list.items.emplace_back(DisplayActionSheet{test::handle<ActionSheet>(), "", {"A", "Cancel"}, 1});
  tracker.update(main.list);
  EXPECT_EQ(tracker.focus().overlayIndex, 0);
  // Toolbar focus falls back to the table when the toolbar goes.
  moved.area = Focus::Area::Toolbar;
  moved.toolbarEntry = 1;
  tracker.set(moved);
  tracker.update(main.list);
  EXPECT_EQ(tracker.focus().area, Focus::Area::Table);
  // A row something now covers hands the focus on.
  MainLike covered;
  tracker.update(covered.list);
  moved = tracker.focus();
  moved.row = IndexPath{1, 0};
  tracker.set(moved);
  std::get<DisplayRow>(covered.list.items[4]).covered = true;  // the switch row (1, 0)
  tracker.update(covered.list);
  EXPECT_EQ(tracker.focus().row, (IndexPath{1, 1}));
  // An Esc that did not end an edit is forgotten once the edit ends.
  test::TransferLike editing("", true);
  tracker.update(editing.list);
  moved = tracker.focus();
  moved.escapedEdit = editing.toolbar().entries[0].control->view.get();
  tracker.set(moved);
  tracker.update(editing.list);
  EXPECT_NE(tracker.focus().escapedEdit, nullptr) << "still editing";
  editing.toolbar().entries[0].control->editing = false;
  tracker.update(editing.list);
  EXPECT_EQ(tracker.focus().escapedEdit, nullptr);
}

}  // namespace
}  // namespace zt::term
