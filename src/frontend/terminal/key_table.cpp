#include "frontend/terminal/key_table.h"

#include <algorithm>
#include <iterator>

#include "frontend/terminal/key_actions.h"

namespace zt::term {
namespace {

using Code = Key::Code;
using Actions = std::vector<Action>;
using Context = KeyContext;

std::string word(const char* text) { return text; }

Actions quitUnlessEditing(const Key&, const Context& c) {
  return c.edit ? Actions{} : Actions{act::Quit{}};
}

// Alerts: the button chosen is the focus's overlay entry.
int alertButtons(const Context& c) { return static_cast<int>(alert(c.list)->buttons.size()); }
int chosen(const Context& c, int count) {
  return std::clamp(c.focus.overlayIndex, 0, std::max(count - 1, 0));
}
Actions tapAlert(const Context& c, int index) {
  if (index < 0 || alertButtons(c) == 0) return {};
  return {act::TapAlertButton{alert(c.list)->alert, index}};
}
bool backwards(const Key& key) {
  return key.code == Code::Left || key.code == Code::Up || key.code == Code::BackTab;
}

const std::vector<KeyRow> kAlertRows = {
    {{Code::Enter}, "", "Enter",
     [](const Key&, const Context& c) { return tapAlert(c, chosen(c, alertButtons(c))); },
     [](const Context&) { return word("choose"); }},
    {{Code::Left, Code::Up, Code::BackTab, Code::Right, Code::Down, Code::Tab}, "", "\u2190\u2192",
     [](const Key& key, const Context& c) {
       const int count = alertButtons(c);
       if (count == 0) return Actions{};
       return moveChoice(c.focus, (chosen(c, count) + (backwards(key) ? count - 1 : 1)) % count);
     },
     [](const Context& c) { return word(alertButtons(c) > 1 ? "button" : ""); }},
    {{Code::Escape}, "", "Esc", [](const Key&, const Context& c) { return tapAlert(c, 0); },
     [](const Context& c) {
       return alertButtons(c) > 0 ? alert(c.list)->buttons.front() : std::string();
     }},
    {{Code::Char}, "123456789", "1-9",
     [](const Key& key, const Context& c) { return tapAlert(c, digitIndex(key, alertButtons(c))); },
     nullptr},
    {{Code::Char}, "q", "q", quitUnlessEditing, nullptr},
};

// Menus (action sheets): the entry chosen is the focus's overlay entry.
int sheetEntries(const Context& c) {
  return static_cast<int>(actionSheet(c.list)->buttons.size());
}
Actions chooseEntry(const Context& c, int index) {
  if (index < 0 || sheetEntries(c) == 0) return {};
  return {act::ChooseSheetEntry{actionSheet(c.list)->sheet, index}};
}
int cancelEntry(const Context& c) {
  const int index = actionSheet(c.list)->cancelIndex;
  return index >= 0 && index < sheetEntries(c) ? index : sheetEntries(c) - 1;
}
Actions moveInSheet(const Key& key, const Context& c) {
  const int count = sheetEntries(c);
  if (count == 0) return {};
  const int current = chosen(c, count);
  switch (key.code) {
    case Code::Home: return moveChoice(c.focus, 0);
    case Code::End: return moveChoice(c.focus, count - 1);
    case Code::Up:
    case Code::BackTab: return moveChoice(c.focus, std::max(current - 1, 0));
    default: return moveChoice(c.focus, std::min(current + 1, count - 1));
  }
}

const std::vector<KeyRow> kMenuRows = {
    {{Code::Up, Code::Down, Code::Tab, Code::BackTab, Code::Home, Code::End}, "", "\u2191\u2193",
     moveInSheet, [](const Context&) { return word("move"); }},
    {{Code::Enter}, "", "Enter",
     [](const Key&, const Context& c) { return chooseEntry(c, chosen(c, sheetEntries(c))); },
     [](const Context&) { return word("choose"); }},
    {{Code::Char}, "123456789", "1-9",
     [](const Key& key, const Context& c) {
       return chooseEntry(c, digitIndex(key, sheetEntries(c)));
     },
     [](const Context&) { return word("entry"); }},
    {{Code::Escape}, "", "Esc",
     [](const Key&, const Context& c) { return chooseEntry(c, cancelEntry(c)); },
     [](const Context&) { return word("Cancel"); }},
    {{Code::Char}, "q", "q", quitUnlessEditing, nullptr},
};

const std::optional<DisplayBarButton>& leftButton(const Context& c) {
  static const std::optional<DisplayBarButton> none;
  const DisplayNavigationBar* nav = navigationBar(c.list);
  return nav ? nav->left : none;
}
const std::optional<DisplayBarButton>& rightButton(const Context& c) {
  static const std::optional<DisplayBarButton> none;
  const DisplayNavigationBar* nav = navigationBar(c.list);
  return nav ? nav->right : none;
}

// What Esc is named for the left bar button: its title, or "back" for the back button when the
// hint line is short of room (its title is the screen before's, which may be long).
std::string leftTitle(const Context& c) {
  const auto& left = leftButton(c);
  if (c.brief && left && left->enabled && left->isBackButton) return "back";
  return barTitle(left);
}

const std::vector<KeyRow> kEditingRows = {
    {{Code::Enter}, "", "Enter",
     [](const Key&, const Context& c) { return editingReturn(c.list, c.edit); },
     [](const Context& c) { return editingEnterMeaning(c.list, c.edit); }},
    {{Code::Escape}, "", "Esc",
     [](const Key&, const Context& c) { return editingEscape(c.focus, c.list, c.edit); },
     [](const Context& c) {
       const bool escaped = c.focus.escapedEdit == c.edit.control->view.get();
       return escaped ? leftTitle(c) : word("done");
     }},
    {{Code::Left, Code::Right}, "", "\u2190\u2192",
     [](const Key& key, const Context&) {
       return Actions{act::MoveCursor{key.code == Code::Left ? -1 : 1}};
     },
     [](const Context&) { return word("cursor"); }},
    {{Code::F2}, "", "F2",
     [](const Key&, const Context& c) {
       Actions actions{act::TouchElsewhere{}};
       for (Action& action : tapBarButton(rightButton(c))) actions.push_back(std::move(action));
       return actions;
     },
     [](const Context& c) { return barTitle(rightButton(c)); }},
    {{Code::Char}, "", "", [](const Key& key, const Context&) {
       return Actions{act::TypeText{key.text}};
     }, nullptr},
    {{Code::Backspace}, "", "Backspace",
     [](const Key&, const Context&) { return Actions{act::DeleteBackward{}}; }, nullptr},
    {{Code::Tab, Code::BackTab}, "", "Tab",
     [](const Key& key, const Context& c) {
       return moveTab(key.code == Code::Tab, c.focus, c.list);
     },
     nullptr},
};

const std::vector<KeyRow> kNormalRows = {
    {{Code::Up, Code::Down, Code::PageUp, Code::PageDown, Code::Home, Code::End}, "",
     "\u2191\u2193",
     [](const Key& key, const Context& c) { return moveRow(key, c.focus, c.list, c.pageRows); },
     [](const Context& c) { return word(focusableRows(c.list).empty() ? "" : "move"); }},
    {{Code::Enter}, "", "Enter",
     [](const Key&, const Context& c) { return activate(c.focus, c.list); },
     [](const Context& c) { return enterMeaning(c.list, c.focus); }},
    {{Code::Right}, "", "\u2192",
     [](const Key&, const Context& c) { return tapDetail(c.focus, c.list); },
     [](const Context& c) { return word(focusOnDetail(c.focus, c.list) ? "details" : ""); }},
    {{Code::Tab, Code::BackTab}, "", "Tab",
     [](const Key& key, const Context& c) {
       return moveTab(key.code == Code::Tab, c.focus, c.list);
     },
     [](const Context& c) { return word(hasToolbarStops(c.list) ? "next" : ""); }},
    {{Code::Escape}, "", "Esc",
     [](const Key&, const Context& c) { return tapBarButton(leftButton(c)); }, leftTitle},
    {{Code::F2}, "", "F2",
     [](const Key&, const Context& c) { return tapBarButton(rightButton(c)); },
     [](const Context& c) { return barTitle(rightButton(c)); }},
    {{Code::Char}, "q", "q", [](const Key&, const Context&) { return Actions{act::Quit{}}; },
     [](const Context&) { return word("quit"); }},
};

// Ctrl-C is named only while a field is edited, where `q` types.
const std::vector<KeyRow> kSharedRows = {
    {{Code::Interrupt}, "", "^C", [](const Key&, const Context&) { return Actions{act::Quit{}}; },
     [](const Context& c) { return word(c.state == KeyState::Editing ? "quit" : ""); }},
    {{Code::Suspend}, "", "^Z",
     [](const Key&, const Context&) { return Actions{act::Suspend{}}; }, nullptr},
};

const std::vector<KeyRow>& stateRows(KeyState state) {
  switch (state) {
    case KeyState::Alert: return kAlertRows;
    case KeyState::Menu: return kMenuRows;
    case KeyState::Editing: return kEditingRows;
    case KeyState::Normal: break;
  }
  return kNormalRows;
}

}  // namespace

KeyContext keyContext(const DisplayList& list, const Focus& focus, int pageRows) {
  KeyContext context{list, focus, KeyState::Normal, editing(list), pageRows, false};
  if (alert(list)) {
    context.state = KeyState::Alert;
  } else if (actionSheet(list)) {
    context.state = KeyState::Menu;
  } else if (context.edit) {
    context.state = KeyState::Editing;
  }
  return context;
}

std::vector<const KeyRow*> keyRows(KeyState state) {
  std::vector<const KeyRow*> out;
  for (const auto* table : {&stateRows(state), &kSharedRows}) {
    std::transform(table->begin(), table->end(), std::back_inserter(out),
                   [](const KeyRow& row) { return &row; });
  }
  return out;
}

bool takes(const KeyRow& row, const Key& key) {
  if (std::find(row.codes.begin(), row.codes.end(), key.code) == row.codes.end()) return false;
  if (key.code != Code::Char || row.chars.empty()) return true;
  return key.text.size() == 1 && row.chars.find(key.text[0]) != std::string_view::npos;
}

std::vector<const DisplayKeyCommands::Command*> applicableCommands(const KeyContext& context) {
  std::vector<const DisplayKeyCommands::Command*> out;
  const DisplayKeyCommands* keys = keyCommands(context.list);
  if (!keys || context.state == KeyState::Alert || context.state == KeyState::Menu) return out;
  for (const auto& command : keys->commands) {
    if (keyCommandApplies(command.input, command.scope, context.state == KeyState::Editing)) {
      out.push_back(&command);
    }
  }
  return out;
}

std::string keyName(const Key& key) {
  static const char* const names[] = {
      "",    "Up",  "Down", "Left", "Right", "PgUp", "PgDn", "Home", "End", "Tab",
      "Shift-Tab", "Enter", "Esc", "Backspace", "F1", "F2", "F3", "F4", "F5", "F6", "F7",
      "F8",  "F9",  "F10", "F11",  "F12",   "Ctrl-C", "Ctrl-Z", ""};
  static_assert(std::size(names) == static_cast<std::size_t>(Code::Other) + 1);
  if (key.code == Code::Char) return key.text;
  return names[static_cast<std::size_t>(key.code)];
}

std::vector<std::string> documentedKeys() {
  std::vector<std::string> names;
  for (const auto state : {KeyState::Alert, KeyState::Menu, KeyState::Editing, KeyState::Normal}) {
    for (const KeyRow* row : keyRows(state)) {
      for (const Code code : row->codes) {
        std::string name = keyName(Key::of(code));
        if (code == Code::Char && !row->chars.empty()) {
          name = row->chars.size() == 1 ? std::string(row->chars)
                                        : row->chars.front() + std::string("..") +
                                              row->chars.back();
        }
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
          names.push_back(name);
        }
      }
    }
  }
  return names;
}

}  // namespace zt::term
