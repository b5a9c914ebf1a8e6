#include <algorithm>
#include <sstream>

#include "platform/ui/display_list.h"
#include "platform/ui/text_cells.h"

namespace zt {

namespace {

// Text as the screen shows it (control characters in their visible forms), with "\r" and "\n"
// written as backslash-r and -n so that a line break stays visible in one line.
std::string escaped(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    const std::size_t brk = text.find_first_of("\r\n");
    out += visibleText(text.substr(0, brk));
    if (brk == std::string_view::npos) break;
    out += text[brk] == '\r' ? "\\r" : "\\n";
    text.remove_prefix(brk + 1);
  }
  return out;
}

std::string barButton(const DisplayBarButton& button) {
  if (button.isBackButton) return "[< " + button.title + "]";
  return button.enabled ? "[" + button.title + "]" : "[(" + button.title + ")]";
}

std::string control(const DisplayControl& c) {
  if (c.kind == DisplayControl::Kind::Switch) return c.on ? "[ON ]" : "[OFF]";
  std::string kind = c.kind == DisplayControl::Kind::Button      ? "button"
                     : c.kind == DisplayControl::Kind::TextField ? "text field"
                                                                 : "text view";
  if (!c.enabled) kind += " (disabled)";
  if (c.enabled && !c.editable) kind += " (read-only)";
  // An empty field shows its placeholder, as the terminal draws it.
  const bool placeholder = c.text.empty() && !c.editing && !c.placeholder.empty();
  if (placeholder) kind += " (placeholder)";
  std::string text = placeholder ? c.placeholder : c.text;
  // A character, not a one-character string: g++ 12 at -O3 warns falsely on the latter.
  if (c.editing) text.insert(std::min(c.cursor, text.size()), 1, '|');
  if (c.marked.empty()) return "[" + kind + ": " + escaped(text) + "]";
  std::string shown;
  std::size_t at = 0;
  for (const Range& mark : c.marked) {
    const std::size_t from = std::clamp(mark.location, at, text.size());
    const std::size_t to = std::min(from + mark.length, text.size());
    shown += escaped(std::string_view(text).substr(at, from - at)) + "\u00AB" +
             escaped(std::string_view(text).substr(from, to - from)) + "\u00BB";
    at = to;
  }
  return "[" + kind + ": " + shown + escaped(std::string_view(text).substr(at)) + "]";
}

std::string mark(DisplayAccessory accessory) {
  switch (accessory) {
    case DisplayAccessory::None:
      return "";
    case DisplayAccessory::DisclosureIndicator:
      return ">";
    case DisplayAccessory::Checkmark:
      return "(v)";
    case DisplayAccessory::DetailButton:
      return "(i)";
  }
  return "";
}

void write(std::ostream& out, const DisplayNavigationBar& bar) {
  std::string line;
  auto add = [&](const std::string& part) {
    if (part.empty()) return;
    if (!line.empty()) line += ' ';
    line += part;
  };
  if (bar.left) add(barButton(*bar.left));
  add(bar.title);
  if (bar.right) add(barButton(*bar.right));
  out << (line.empty() ? "(no title)" : line) << '\n';
}

void write(std::ostream& out, const DisplaySectionHeader& header) {
  out << (header.text.empty() ? "== ==" : "== " + header.text + " ==") << '\n';
}

void write(std::ostream& out, const DisplayRow& row) {
  out << "row " << row.path.section << '.' << row.path.row << " | " << escaped(row.title);
  if (!row.value.empty()) out << " | " << escaped(row.value);
  if (auto m = mark(row.accessory); !m.empty()) out << " | " << m;
  for (const auto& c : row.controls) out << " | " << control(c);
  for (const auto& line : row.lines) out << " | " << escaped(line);
  if (row.covered) out << " (covered)";
  out << '\n';
}

void write(std::ostream& out, const DisplayToolbar& toolbar) {
  out << "toolbar:";
  for (const auto& entry : toolbar.entries) {
    if (entry.kind == DisplayToolbar::Entry::Kind::FlexibleSpace) continue;
    if (entry.control) {
      out << ' ' << control(*entry.control);
    } else {
      out << ' ' << (entry.enabled ? "[" + entry.title + "]" : "[(" + entry.title + ")]");
    }
  }
  out << '\n';
}

void write(std::ostream& out, const DisplayKeyboard& keyboard) {
  out << "keyboard: " << (keyboard.numeric ? "number pad" : "standard");
  for (const auto& [title, button] : keyboard.extraKeys) out << " [" << title << ']';
  out << '\n';
}

void write(std::ostream& out, const DisplayKeyCommands& keys) {
  out << "key commands:";
  for (const auto& command : keys.commands) {
    out << " [" << command.input;
    if (!command.title.empty()) out << ' ' << command.title;
    if (command.scope == KeyCommandScope::WhileEditing) out << " (while editing)";
    if (command.scope == KeyCommandScope::NotEditing) out << " (not editing)";
    out << ']';
  }
  out << '\n';
}

std::string buttons(const std::vector<std::string>& titles) {
  std::string out;
  for (const auto& title : titles) out += (out.empty() ? "[" : " [") + title + "]";
  return out;
}

void write(std::ostream& out, const DisplayAlert& alert) {
  out << "alert: ";
  if (!alert.title.empty()) out << escaped(alert.title) << " | ";
  out << escaped(alert.message) << " | " << buttons(alert.buttons) << '\n';
}

void write(std::ostream& out, const DisplayActionSheet& sheet) {
  out << "action sheet: ";
  if (!sheet.title.empty()) out << escaped(sheet.title) << " | ";
  out << buttons(sheet.buttons) << '\n';
}

}  // namespace

std::string DisplayList::toText() const {
  std::ostringstream out;
  for (const auto& item : items) std::visit([&](const auto& i) { write(out, i); }, item);
  return out.str();
}

}  // namespace zt
