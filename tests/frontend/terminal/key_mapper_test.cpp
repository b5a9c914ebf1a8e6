#include "frontend/terminal/key_mapper.h"

#include <gtest/gtest.h>

#include "frontend/terminal/display_builders.h"
#include "frontend/terminal/display_query.h"

namespace zt::term {
namespace {

using Code = Key::Code;
using test::initialFocus;
using test::MainLike;
using test::TransferLike;

template <typename T>
const T& only(const std::vector<Action>& actions, std::size_t index = 0) {
  EXPECT_GT(actions.size(), index);
  static const T empty{};
  if (actions.size() <= index) return empty;
  const T* found = std::get_if<T>(&actions[index]);
  EXPECT_TRUE(found) << "action " << index << " has another kind: " << actions[index].index();
  return found ? *found : empty;
}

Focus afterKey(Code code, const Focus& focus, const DisplayList& list) {
  return only<act::SetFocus>(mapKey(Key::of(code), focus, list)).focus;
}

TEST(KeyMapper, UpAndDownMoveAmongFocusableRowsAndScrollBeyondThem) {
  MainLike main;
  Focus focus = initialFocus(main.list);
  EXPECT_EQ(focus.row, (IndexPath{0, 0}));
  focus = afterKey(Code::Down, focus, main.list);
  EXPECT_EQ(focus.row, (IndexPath{1, 0}));
  focus = afterKey(Code::Down, focus, main.list);
  EXPECT_EQ(focus.row, (IndexPath{1, 1}));
  // The "Name" row cannot be acted on: Down stays on the last focusable row and asks the
  // table to scroll further.
  const auto down = mapKey(Key::of(Code::Down), focus, main.list);
  ASSERT_EQ(down.size(), 2u);
  EXPECT_EQ(only<act::SetFocus>(down).focus.row, (IndexPath{1, 1}));
  EXPECT_EQ(only<act::ScrollTable>(down, 1).rows, 1);
  EXPECT_EQ(only<act::ScrollTable>(down, 1).from, (IndexPath{1, 1}));
  EXPECT_EQ(afterKey(Code::Home, focus, main.list).row, (IndexPath{0, 0}));
  EXPECT_EQ(afterKey(Code::Up, focus, main.list).row, (IndexPath{1, 0}));
  const auto pageUp = mapKey(Key::of(Code::PageUp), focus, main.list, 10);
  EXPECT_EQ(only<act::SetFocus>(pageUp).focus.row, (IndexPath{0, 0}));
  EXPECT_EQ(only<act::ScrollTable>(pageUp, 1).rows, -8);
}

TEST(KeyMapper, TabVisitsTheTableThenEnabledToolbarItemsAndBeginsEditingFields) {
  TransferLike transfer;
  transfer.toolbar().entries.insert(transfer.toolbar().entries.begin() + 1,
                                    test::toolbarButton("Off", false));
  Focus focus = initialFocus(transfer.list);
  EXPECT_EQ(focus.area, Focus::Area::Table);
  auto actions = mapKey(Key::of(Code::Tab), focus, transfer.list);
  ASSERT_EQ(actions.size(), 2u);
  focus = only<act::SetFocus>(actions).focus;
  EXPECT_EQ(focus.area, Focus::Area::Toolbar);
  EXPECT_EQ(focus.toolbarEntry, 0);
  EXPECT_EQ(only<act::TapTextInput>(actions, 1).input,
            transfer.toolbar().entries[0].control->view);
  focus = afterKey(Code::Tab, focus, transfer.list);
  EXPECT_EQ(focus.toolbarEntry, 2);  // the disabled item is skipped
  focus = afterKey(Code::Tab, focus, transfer.list);
  EXPECT_EQ(focus.area, Focus::Area::Table);
  focus = afterKey(Code::BackTab, focus, transfer.list);
  EXPECT_EQ(focus.toolbarEntry, 2);
  actions = mapKey(Key::of(Code::Enter), focus, transfer.list);
  EXPECT_EQ(only<act::TapBarButton>(actions).item, transfer.toolbar().entries[2].item);
  // An item that became disabled while focused: Tab goes on to the next stop.
  transfer.toolbar().entries[2].enabled = false;
  EXPECT_EQ(afterKey(Code::Tab, focus, transfer.list).area, Focus::Area::Table);
  EXPECT_TRUE(mapKey(Key::of(Code::Enter), focus, transfer.list).empty());
}

TEST(KeyMapper, EnterActivatesWhatTheRowHolds) {
  MainLike main;
  auto table = main.table;
  DisplayRow keyRow = test::row(table, 3, 0, "Key");
  keyRow.selectable = false;
  keyRow.controls.push_back(test::textField("abc"));
  main.list.items.emplace_back(keyRow);
  const auto rows = zt::term::rows(main.list);
  Focus focus = initialFocus(main.list);
  auto actions = mapKey(Key::of(Code::Enter), focus, main.list);
  EXPECT_EQ(only<act::TapRow>(actions).path, (IndexPath{0, 0}));
  EXPECT_EQ(only<act::TapRow>(actions).table, table);
  focus.row = IndexPath{1, 0};
  actions = mapKey(Key::of(Code::Enter), focus, main.list);
  EXPECT_EQ(only<act::ToggleSwitch>(actions).control, rows[1]->controls[0].view);
  DisplayRow tall = test::row(table, 4, 0, "Line");
  tall.heightPoints = 120;
  tall.controls.push_back(test::logView("abc"));
  tall.controls.back().editable = true;  // an editable text view is a field, however tall
  main.list.items.emplace_back(tall);
  focus.row = IndexPath{4, 0};
  EXPECT_EQ(only<act::TapTextInput>(mapKey(Key::of(Code::Enter), focus, main.list)).input,
            tall.controls.back().view);
  focus.row = IndexPath{3, 0};  // not selectable, but its field makes it a stop
  EXPECT_EQ(afterKey(Code::End, focus, main.list).row, (IndexPath{4, 0}));
  actions = mapKey(Key::of(Code::Enter), focus, main.list);
  EXPECT_EQ(only<act::TapTextInput>(actions).input, rows.back()->controls[0].view);
  // Right taps a detail button, and only on a row that has one.
  focus.row = IndexPath{1, 1};
  EXPECT_EQ(only<act::TapDetailButton>(mapKey(Key::of(Code::Right), focus, main.list)).path,
            (IndexPath{1, 1}));
  focus.row = IndexPath{0, 0};
  EXPECT_TRUE(mapKey(Key::of(Code::Right), focus, main.list).empty());
}

TEST(KeyMapper, EscapeAndF2InEveryState) {
  MainLike main;
  const Focus focus = initialFocus(main.list);
  const auto& nav = std::get<DisplayNavigationBar>(main.list.items[0]);
  EXPECT_EQ(only<act::TapBarButton>(mapKey(Key::of(Code::Escape), focus, main.list)).item,
            nullptr);  // the back button
  EXPECT_EQ(only<act::TapBarButton>(mapKey(Key::of(Code::F2), focus, main.list)).item,
            nav.right->item);
  // A bar without buttons, or disabled ones: nothing.
  DisplayList bare;
  bare.items.emplace_back(DisplayNavigationBar{"x", test::barButton("Cancel"), std::nullopt});
  std::get<DisplayNavigationBar>(bare.items[0]).left->enabled = false;
  EXPECT_TRUE(mapKey(Key::of(Code::Escape), focus, bare).empty());
  EXPECT_TRUE(mapKey(Key::of(Code::F2), focus, bare).empty());
  // While editing: Esc ends the edit and remembers it; an Esc that finds that edit still going
  // taps the left button (Back), and the tracker forgets the Esc once the edit ends. F2 ends
  // the edit, then taps the right button.
  TransferLike editing("", true);
  const Focus editFocus = initialFocus(editing.list);
  const auto escape = mapKey(Key::of(Code::Escape), editFocus, editing.list);
  EXPECT_EQ(escape.size(), 2u);
  const Focus escaped = only<act::SetFocus>(escape).focus;
  only<act::TouchElsewhere>(escape, 1);
  EXPECT_EQ(only<act::TapBarButton>(mapKey(Key::of(Code::Escape), escaped, editing.list)).item,
            nullptr);
  FocusTracker tracker;
  tracker.update(editing.list);
  tracker.set(escaped);
  editing.toolbar().entries[0].control->editing = false;
  tracker.update(editing.list);
  EXPECT_EQ(tracker.focus().escapedEdit, nullptr);
  editing.toolbar().entries[0].control->editing = true;
  const auto f2 = mapKey(Key::of(Code::F2), editFocus, editing.list);
  only<act::TouchElsewhere>(f2);
  only<act::TapBarButton>(f2, 1);
  // With an alert up Esc taps its first button; with a sheet up it chooses Cancel.
  DisplayList withAlert = main.list;
  withAlert.items.emplace_back(DisplayAlert{test::handle<AlertView>(), "Warning", "m", {"OK", "No"}});
  const auto alertEsc = only<act::TapAlertButton>(mapKey(Key::of(Code::Escape), focus, withAlert));
  EXPECT_EQ(alertEsc.index, 0);
  DisplayList withSheet = main.list;
  withSheet.items.emplace_back(DisplayActionSheet{test::handle<ActionSheet>(), "", {"About", "Cancel"}, 1});
  EXPECT_EQ(only<act::ChooseSheetEntry>(mapKey(Key::of(Code::Escape), focus, withSheet)).index, 1);
}

TEST(KeyMapper, ActionSheetAndAlertChoices) {
  MainLike main;
  main.list.items.emplace_back(
      DisplayActionSheet{test::handle<ActionSheet>(), "", {"Settings", "Clear", "Cancel"}, 2});
  Focus focus = initialFocus(main.list);
  EXPECT_EQ(only<act::ChooseSheetEntry>(mapKey(Key::character("2"), focus, main.list)).index, 1);
  EXPECT_TRUE(mapKey(Key::character("4"), focus, main.list).empty());
  EXPECT_TRUE(mapKey(Key::character("0"), focus, main.list).empty());
  focus = afterKey(Code::Down, focus, main.list);
  focus = afterKey(Code::Down, focus, main.list);
  EXPECT_EQ(afterKey(Code::Down, focus, main.list).overlayIndex, 2);
  EXPECT_EQ(only<act::ChooseSheetEntry>(mapKey(Key::of(Code::Enter), focus, main.list)).index, 2);
  focus = afterKey(Code::Up, focus, main.list);
  EXPECT_EQ(only<act::ChooseSheetEntry>(mapKey(Key::of(Code::Enter), focus, main.list)).index, 1);
  // Row keys do not reach the screen beneath.
  EXPECT_TRUE(mapKey(Key::of(Code::F2), focus, main.list).empty());
  MainLike other;
  other.list.items.emplace_back(DisplayAlert{test::handle<AlertView>(), "", "m", {"Cancel", "OK"}});
  Focus alertFocus = initialFocus(other.list);
  alertFocus = afterKey(Code::Right, alertFocus, other.list);
  EXPECT_EQ(only<act::TapAlertButton>(mapKey(Key::of(Code::Enter), alertFocus, other.list)).index, 1);
  EXPECT_EQ(only<act::TapAlertButton>(mapKey(Key::character("1"), alertFocus, other.list)).index, 0);
}

TEST(KeyMapper, EditingKeysGoToTheFieldAndEnterSendsFromTheToolbar) {
  TransferLike transfer("", true);
  const Focus focus = initialFocus(transfer.list);
  EXPECT_EQ(only<act::TypeText>(mapKey(Key::character("q"), focus, transfer.list)).text, "q");
  EXPECT_EQ(only<act::TypeText>(mapKey(Key::character("é"), focus, transfer.list)).text, "é");
  only<act::DeleteBackward>(mapKey(Key::of(Code::Backspace), focus, transfer.list));
  EXPECT_EQ(only<act::MoveCursor>(mapKey(Key::of(Code::Left), focus, transfer.list)).characters, -1);
  EXPECT_EQ(only<act::MoveCursor>(mapKey(Key::of(Code::Right), focus, transfer.list)).characters, 1);
  EXPECT_TRUE(mapKey(Key::of(Code::Down), focus, transfer.list).empty());
  EXPECT_EQ(only<act::TapBarButton>(mapKey(Key::of(Code::Enter), focus, transfer.list)).item,
            transfer.toolbar().entries[1].item);
  // With Send disabled, Enter is the field's own Return key; so it is in a row's field.
  transfer.toolbar().entries[1].enabled = false;
  only<act::PressReturn>(mapKey(Key::of(Code::Enter), focus, transfer.list));
  MainLike main;
  DisplayRow keyRow = test::row(main.table, 3, 0, "Key");
  keyRow.controls.push_back(test::textField("abc", true));
  main.list.items.emplace_back(keyRow);
  only<act::PressReturn>(mapKey(Key::of(Code::Enter), focus, main.list));
  // Quitting: q only when nothing is edited, Ctrl-C always; Ctrl-Z suspends.
  only<act::Quit>(mapKey(Key::of(Code::Interrupt), focus, main.list));
  only<act::Suspend>(mapKey(Key::of(Code::Suspend), focus, main.list));
  MainLike idle;
  only<act::Quit>(mapKey(Key::character("q"), initialFocus(idle.list), idle.list));
}

TEST(KeyMapper, NumberPadEnterTapsTheKeyOverItAndCoveredRowsAreSkipped) {
  MainLike main;
  DisplayRow countRow = test::row(main.table, 3, 0, "Repetitions");
  DisplayControl count = test::textField("12", true);
  count.numeric = true;
  countRow.controls.push_back(count);
  main.list.items.emplace_back(countRow);
  const Focus focus = initialFocus(main.list);
  // Without a key laid over the pad, Enter ends the edit as a touch elsewhere would.
  only<act::TouchElsewhere>(mapKey(Key::of(Code::Enter), focus, main.list));
  DisplayKeyboard pad;
  pad.numeric = true;
  pad.extraKeys.emplace_back("Done", test::handle<Button>());
  main.list.items.emplace_back(pad);
  EXPECT_EQ(only<act::TapKey>(mapKey(Key::of(Code::Enter), focus, main.list)).button,
            pad.extraKeys.front().second);
  // Rows under an overlay are no stops: the focus moves past them and leaves them.
  MainLike covered;
  std::get<DisplayRow>(covered.list.items[4]).covered = true;  // the switch row (1, 0)
  Focus start = initialFocus(covered.list);
  EXPECT_EQ(afterKey(Code::Down, start, covered.list).row, (IndexPath{1, 1}));
  FocusTracker tracker;
  tracker.update(covered.list);
  start.row = IndexPath{1, 0};
  tracker.set(start);
  tracker.update(covered.list);
  EXPECT_EQ(tracker.focus().row, (IndexPath{1, 1}));
}

TEST(KeyMapper, ClicksTapWhatLiesUnderThemAndRespectOverlays) {
  MainLike main;
  const Focus focus = initialFocus(main.list);
  Target onSwitch(Target::Kind::Switch);
  onSwitch.table = main.table;
  onSwitch.path = IndexPath{1, 0};
  onSwitch.view = test::handle<View>();
  auto actions = mapClick(&onSwitch, focus, main.list);
  EXPECT_EQ(only<act::SetFocus>(actions).focus.row, (IndexPath{1, 0}));
  EXPECT_EQ(only<act::ToggleSwitch>(actions, 1).control, onSwitch.view);
  Target onRow(Target::Kind::Row);
  onRow.table = main.table;
  onRow.path = IndexPath{0, 0};
  EXPECT_EQ(only<act::TapRow>(mapClick(&onRow, focus, main.list), 1).path, (IndexPath{0, 0}));
  EXPECT_TRUE(mapClick(nullptr, focus, main.list).empty());
  TransferLike editing("", true);
  only<act::TouchElsewhere>(mapClick(nullptr, focus, editing.list));
  main.list.items.emplace_back(DisplayAlert{test::handle<AlertView>(), "", "m", {"OK"}});
  EXPECT_TRUE(mapClick(&onRow, focus, main.list).empty());
  Target okButton(Target::Kind::AlertButton);
  okButton.alert = std::get<DisplayAlert>(main.list.items.back()).alert;
  okButton.index = 0;
  EXPECT_EQ(only<act::TapAlertButton>(mapClick(&okButton, focus, main.list)).alert, okButton.alert);
}

}  // namespace
}  // namespace zt::term
