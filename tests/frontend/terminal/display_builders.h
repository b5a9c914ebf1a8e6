// Hand-built display lists for the front end's tests. Model objects are stand-in handles:
// distinct, comparable pointers that are never dereferenced (no touch is dispatched here).
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "frontend/terminal/focus.h"
#include "platform/ui/display_list.h"

namespace zt::term::test {

template <typename T>
std::shared_ptr<T> handle() {
  auto owner = std::make_shared<long>(0);
  return std::shared_ptr<T>(owner, reinterpret_cast<T*>(owner.get()));
}

inline DisplayRow row(const std::shared_ptr<TableView>& table, int section, int index,
                      std::string title, std::string value = "") {
  DisplayRow out;
  out.table = table;
  out.path = IndexPath{section, index};
  out.title = std::move(title);
  out.value = std::move(value);
  return out;
}

// A switch (on when `text` is "on"), a text field or a text view (a read-only log).
inline DisplayControl control(DisplayControl::Kind kind, std::string text, bool editing = false) {
  DisplayControl control;
  control.kind = kind;
  control.view = handle<View>();
  control.on = text == "on";
  control.editable = kind != DisplayControl::Kind::TextView;
  control.editing = editing;
  control.cursor = text.size();
  control.text = std::move(text);
  return control;
}

inline DisplayBarButton barButton(std::string title, bool back = false) {
  DisplayBarButton button;
  button.title = std::move(title);
  button.isBackButton = back;
  if (!back) button.item = handle<BarButtonItem>();
  return button;
}

inline DisplayToolbar::Entry toolbarButton(std::string title, bool enabled = true) {
  DisplayToolbar::Entry entry;
  entry.kind = DisplayToolbar::Entry::Kind::Button;
  entry.title = std::move(title);
  entry.enabled = enabled;
  entry.item = handle<BarButtonItem>();
  return entry;
}

// A screen like the main screen: back button, title, Action menu, three groups.
struct MainLike {
  std::shared_ptr<TableView> table = handle<TableView>();
  DisplayList list;
  MainLike() {
    DisplayNavigationBar bar{"Zemra Telvo", barButton("Back", true), barButton("Action")};
    list.items.emplace_back(bar);
    list.items.emplace_back(DisplaySectionHeader{table, 0, "Accessory Devices"});
    DisplayRow devices = row(table, 0, 0, "Accessory Devices List");
    devices.accessory = DisplayAccessory::DisclosureIndicator;
    list.items.emplace_back(devices);
    list.items.emplace_back(DisplaySectionHeader{table, 1, "Quorvel Service"});
    DisplayRow quorvel = row(table, 1, 0, "Quorvel");
    quorvel.controls.push_back(control(DisplayControl::Kind::Switch, "on"));
    list.items.emplace_back(quorvel);
    DisplayRow detail = row(table, 1, 1, "Demo module");
    detail.accessory = DisplayAccessory::DetailButton;
    list.items.emplace_back(detail);
    list.items.emplace_back(DisplaySectionHeader{table, 2, ""});
    DisplayRow name = row(table, 2, 0, "Name", "host");
    name.selectable = false;
    list.items.emplace_back(name);
  }
};

// A screen like the transfer screen: a log, two counters and a toolbar with field and Send.
struct TransferLike {
  std::shared_ptr<TableView> table = handle<TableView>();
  DisplayList list;
  explicit TransferLike(std::string log = "", bool editing = false) {
    list.items.emplace_back(DisplayNavigationBar{"SN-1", barButton("Back", true),
                                                 barButton("Action")});
    list.items.emplace_back(DisplaySectionHeader{table, 0, ""});
    DisplayRow logRow = row(table, 0, 0, "");
    logRow.heightPoints = 250;
    logRow.selectable = false;
    logRow.controls.push_back(control(DisplayControl::Kind::TextView, std::move(log)));
    list.items.emplace_back(logRow);
    list.items.emplace_back(DisplaySectionHeader{table, 1, ""});
    for (int i = 0; i < 2; ++i) {
      DisplayRow counter = row(table, 1, i, i == 0 ? "Received" : "Sent", "0");
      counter.selectable = false;
      list.items.emplace_back(counter);
    }
    DisplayToolbar bar;
    bar.entries.push_back(toolbarButton(""));
    bar.entries[0].kind = DisplayToolbar::Entry::Kind::Control;
    bar.entries[0].control = control(DisplayControl::Kind::TextField, "", editing);
    bar.entries.push_back(toolbarButton("Send"));
    list.items.emplace_back(bar);
  }
  DisplayToolbar& toolbar() { return std::get<DisplayToolbar>(list.items.back()); }
};

// Gives the screen shown the key commands F3 "History" (always), Up (while editing), "/" "Find"
// and q (not editing).
inline void addKeyCommands(DisplayList& list) {
  using enum KeyCommandScope;
  list.items.emplace_back(DisplayKeyCommands{
      handle<ViewController>(),
      {{"F3", "History", Always}, {"Up", "", WhileEditing}, {"/", "Find", NotEditing},
       {"q", "", NotEditing}}});
}

// The focus a screen gets when it is shown for the first time.
inline Focus initialFocus(const DisplayList& list) {
  FocusTracker tracker;
  tracker.update(list);
  return tracker.focus();
}

}  // namespace zt::term::test
