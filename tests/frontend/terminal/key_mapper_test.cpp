#include "frontend/terminal/key_mapper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "frontend/terminal/display_builders.h"

namespace zt::term {
namespace {

using test::initialFocus;
using test::MainLike;
using test::TransferLike;

std::string num(int n) { return std::to_string(n); }
std::string spot(IndexPath p) { return num(p.section) + "." + num(p.row); }

// Actions in words, their targets named by what the display list shows: "tap 0.0", "bar Send",
// "toggle 1.0" (the control in row 1.0), "edit toolbar 0", "focus 1.1", "scroll +1 from 1.1".
std::string words(const std::vector<Action>& actions, const DisplayList& list) {
  std::map<const void*, std::string> names;
  for (const auto& item : list.items) {
    if (const auto* nav = std::get_if<DisplayNavigationBar>(&item)) {
      for (const auto& button : {nav->left, nav->right})
        if (button) names[button->item.get()] = button->title;
    } else if (const auto* row = std::get_if<DisplayRow>(&item)) {
      for (const auto& control : row->controls) names[control.view.get()] = spot(row->path);
    } else if (const auto* bar = std::get_if<DisplayToolbar>(&item)) {
      for (std::size_t i = 0; i < bar->entries.size(); ++i) {
        names[bar->entries[i].item.get()] = bar->entries[i].title;
        if (const auto& control = bar->entries[i].control)
          names[control->view.get()] = "toolbar " + std::to_string(i);
      }
    }
  }
  static const char* const kinds[] = {"tap", "detail", "bar", "key", "press", "toggle", "edit",
                                      "type", "delete", "cursor", "return", "elsewhere", "sheet",
                                      "alert", "focus", "scroll", "quit", "suspend", "command"};
  std::string out;
  for (const Action& action : actions) {
    out += (out.empty() ? "" : ", ") + std::string(kinds[action.index()]);
    std::visit(
        [&](const auto& a) {
          const auto name = [&](const auto& handle) { return " " + names[handle.get()]; };
          if constexpr (requires { a.path; }) out += " " + spot(a.path);
          if constexpr (requires { a.item; }) out += name(a.item);
          if constexpr (requires { a.button; }) out += name(a.button);
          if constexpr (requires { a.control; }) out += name(a.control);
          if constexpr (requires { a.input.get(); }) out += name(a.input);
          if constexpr (requires { a.input.size(); }) out += " " + a.input;
          if constexpr (requires { a.text; }) out += " " + a.text;
          if constexpr (requires { a.characters; }) out += " " + num(a.characters);
          if constexpr (requires { a.index; }) out += " " + num(a.index);
          if constexpr (requires { a.rows; }) {
            out += a.rows > 0 ? " +" : " -";
            out += std::abs(a.rows) > 1000 ? "all" : num(std::abs(a.rows));
            out += " from " + spot(a.from);
          }
          if constexpr (requires { a.focus; }) {
            const Focus& f = a.focus;
            if (f.area == Focus::Area::Toolbar) {
              out += " toolbar " + num(f.toolbarEntry);
            } else {
              out += f.overlay ? " entry " + num(f.overlayIndex) : " " + spot(f.row);
            }
            if (f.escapedEdit) out += " escaped";
          }
        },
        action);
  }
  return out;
}

// `focus` moved to `row`, to toolbar entry `toolbar` (unless -1) and to overlay entry `entry`.
Focus at(Focus focus, IndexPath row, int toolbar = -1, int entry = 0) {
  focus.row = row;
  if (toolbar >= 0) focus.area = Focus::Area::Toolbar;
  focus.toolbarEntry = toolbar;
  focus.overlayIndex = entry;
  return focus;
}

struct Case {
  const DisplayList& list;
  Focus focus;
  Key key;
  const char* expected;
};

void check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(words(mapKey(c.key, c.focus, c.list), c.list), c.expected) << "for " << c.expected;
  }
}

using enum Key::Code;

// Rows: (0,0) opens a list, (1,0) a switch, (1,1) a detail button, (2,0) shows a value only;
// (3,0) holds a field, (4,0) is a tall editable text view. Arrows move among the rows that can
// be acted on and scroll past the others; Enter activates what the row holds, Right taps a
// detail button, Esc the left and F2 the right bar button (none when disabled).
TEST(KeyMapper, RowsMoveAndActivate) {
  MainLike main;
  const Focus top = initialFocus(main.list);
  EXPECT_EQ(words({act::SetFocus{top}}, main.list), "focus 0.0");
  MainLike fields;
  DisplayRow keyRow = test::row(fields.table, 3, 0, "Key");
  keyRow.selectable = false;  // its field makes it a stop all the same
  keyRow.controls.push_back(test::control(DisplayControl::Kind::TextField, "abc"));
  fields.list.items.emplace_back(keyRow);
  DisplayRow tall = test::row(fields.table, 4, 0, "Line");
  tall.heightPoints = 120;
  tall.controls.push_back(test::control(DisplayControl::Kind::TextView, "abc"));
  tall.controls.back().editable = true;  // an editable text view is a field, however tall
  fields.list.items.emplace_back(tall);
  DisplayList bare;  // a bar whose only button is disabled
  bare.items.emplace_back(DisplayNavigationBar{"x", test::barButton("Cancel"), std::nullopt});
  std::get<DisplayNavigationBar>(bare.items[0]).left->enabled = false;
  const Focus fieldsTop = initialFocus(fields.list);
  MainLike covered;
  std::get<DisplayRow>(covered.list.items[4]).covered = true;  // the switch row (1, 0)
  MainLike commands;  // the screen's own commands come first, where their scope allows
  test::addKeyCommands(commands.list);
  const Focus commandsTop = initialFocus(commands.list);
  check({
      {main.list, top, Key::of(Down), "focus 1.0"},
      {main.list, at(top, {1, 0}), Key::of(Down), "focus 1.1"},
      {main.list, at(top, {1, 1}), Key::of(Down), "focus 1.1, scroll +1 from 1.1"},
      {main.list, at(top, {1, 1}), Key::of(Up), "focus 1.0"},
      {main.list, at(top, {1, 1}), Key::of(PageUp), "focus 0.0, scroll -8 from 0.0"},
      {main.list, at(top, {1, 0}), Key::of(Enter), "toggle 1.0"},
      {bare, top, Key::of(Escape), ""},
      {bare, top, Key::of(F2), ""},
      {fields.list, at(fieldsTop, {3, 0}), Key::of(End), "focus 4.0, scroll +all from 4.0"},
      {fields.list, at(fieldsTop, {3, 0}), Key::of(Enter), "edit 3.0"},
      {fields.list, at(fieldsTop, {4, 0}), Key::of(Enter), "edit 4.0"},
      {covered.list, initialFocus(covered.list), Key::of(Down), "focus 1.1"},  // covered: no stop
      {commands.list, commandsTop, Key::of(F3), "command F3"},
      {commands.list, commandsTop, Key::of(Down), "focus 1.0"},
      {commands.list, commandsTop, Key::of(Up), "focus 0.0, scroll -1 from 0.0"},  // not editing
      {commands.list, commandsTop, Key::character("/"), "command /"},
      {commands.list, commandsTop, Key::character("q"), "command q"},
  });
}

// Tab visits the table, then the enabled toolbar items, and begins editing a field it lands on.
// While a field is edited keys edit it, Enter is the toolbar's next button when enabled (else the
// field's Return), Esc ends the edit; an Esc that finds that edit still going taps the left button.
TEST(KeyMapper, ToolbarAndEditing) {
  TransferLike transfer;
  transfer.toolbar().entries.insert(transfer.toolbar().entries.begin() + 1,
                                    test::toolbarButton("Off", false));
  const Focus table = initialFocus(transfer.list);
  TransferLike disabled;  // its Send became disabled while focused
  disabled.toolbar().entries[1].enabled = false;
  TransferLike editing("", true);
  const Focus edit = initialFocus(editing.list);
  TransferLike returning("", true);
  returning.toolbar().entries[1].enabled = false;
  returning.toolbar().entries.push_back(test::toolbarButton("EOL none"));  // never Enter's
  MainLike pad;
  DisplayRow countRow = test::row(pad.table, 3, 0, "Repetitions");
  countRow.controls.push_back(test::control(DisplayControl::Kind::TextField, "12", true));
  countRow.controls.back().numeric = true;
  pad.list.items.emplace_back(countRow);
  const Focus escaped =
      std::get<act::SetFocus>(mapKey(Key::of(Escape), edit, editing.list)[0]).focus;
  TransferLike commands("", true);  // while editing, characters are typed whatever the screen says
  test::addKeyCommands(commands.list);
  check({
      {transfer.list, table, Key::of(Tab), "focus toolbar 0, edit toolbar 0"},
      {transfer.list, at(table, {}, 0), Key::of(Tab), "focus toolbar 2"},
      {transfer.list, at(table, {}, 2), Key::of(Tab), "focus 0.0"},
      {transfer.list, table, Key::of(BackTab), "focus toolbar 2"},
      {transfer.list, at(table, {}, 2), Key::of(Enter), "bar Send"},
      {disabled.list, at(table, {}, 1), Key::of(Tab), "focus 0.0"},
      {disabled.list, at(table, {}, 1), Key::of(Enter), ""},
      {editing.list, edit, Key::character("q"), "type q"},
      {editing.list, edit, Key::of(Backspace), "delete"},
      {editing.list, edit, Key::of(Left), "cursor -1"},
      {editing.list, edit, Key::of(Right), "cursor 1"},
      {editing.list, edit, Key::of(Down), ""},
      {editing.list, edit, Key::of(Enter), "bar Send"},
      {editing.list, edit, Key::of(Escape), "focus 0.0 escaped, elsewhere"},
      {editing.list, escaped, Key::of(Escape), "bar Back"},
      {editing.list, edit, Key::of(F2), "elsewhere, bar Action"},
      {editing.list, edit, Key::of(Interrupt), "quit"},
      {returning.list, edit, Key::of(Enter), "return"},
      {pad.list, edit, Key::of(Enter), "elsewhere"},  // as a touch elsewhere would
      {commands.list, edit, Key::of(F3), "command F3"},
      {commands.list, edit, Key::of(Up), "command Up"},
      {commands.list, edit, Key::character("/"), "type /"},
      {commands.list, edit, Key::character("q"), "type q"},
  });
}

// With an action sheet up, arrows, Enter and 1..9 choose its entries and Esc its Cancel; with an
// alert up, keys choose its buttons and Esc the first. Nothing reaches the screen beneath.
TEST(KeyMapper, SheetsAndAlertsTakeTheKeys) {
  MainLike sheet;
  sheet.list.items.emplace_back(
      DisplayActionSheet{test::handle<ActionSheet>(), "", {"Settings", "Clear", "Cancel"}, 2});
  const Focus onSheet = initialFocus(sheet.list);
  MainLike alert;
  test::addKeyCommands(alert.list);  // not while an alert is up
  alert.list.items.emplace_back(DisplayAlert{test::handle<AlertView>(), "", "m", {"Cancel", "OK"}});
  const Focus onAlert = initialFocus(alert.list);
  check({
      {sheet.list, onSheet, Key::character("4"), ""},
      {sheet.list, onSheet, Key::of(Down), "focus entry 1"},
      {sheet.list, at(onSheet, {}, -1, 2), Key::of(Down), "focus entry 2"},
      {sheet.list, at(onSheet, {}, -1, 2), Key::of(Enter), "sheet 2"},
      {sheet.list, onSheet, Key::of(Escape), "sheet 2"},
      {sheet.list, onSheet, Key::character("q"), "quit"},
      {alert.list, onAlert, Key::of(Right), "focus entry 1"},
      {alert.list, at(onAlert, {}, -1, 1), Key::of(Enter), "alert 1"},
      {alert.list, at(onAlert, {}, -1, 1), Key::character("1"), "alert 0"},
      {alert.list, at(onAlert, {}, -1, 1), Key::of(Escape), "alert 0"},
      {alert.list, onAlert, Key::of(F3), ""},
  });
}

TEST(KeyMapper, ClicksTapWhatLiesUnderThemAndRespectOverlays) {
  MainLike main;
  const Focus focus = initialFocus(main.list);
  Target onRow(Target::Kind::Row);
  onRow.table = main.table;
  onRow.path = IndexPath{0, 0};
  TransferLike editing("", true);
  MainLike alert;
  alert.list.items.emplace_back(DisplayAlert{test::handle<AlertView>(), "", "m", {"OK"}});
  Target okButton(Target::Kind::AlertButton);
  okButton.alert = std::get<DisplayAlert>(alert.list.items.back()).alert;
  okButton.index = 0;
  const struct {
    const DisplayList& list;
    const Target* target;
    const char* expected;
  } cases[] = {
      {main.list, &onRow, "focus 0.0, tap 0.0"},
      {main.list, nullptr, ""},
      {editing.list, nullptr, "elsewhere"},
      {alert.list, &onRow, ""},
      {alert.list, &okButton, "alert 0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(words(mapClick(c.target, focus, c.list), c.list), c.expected) << c.expected;
  }
}

}  // namespace
}  // namespace zt::term
