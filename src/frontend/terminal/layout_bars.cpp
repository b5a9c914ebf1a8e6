// The navigation bar, the toolbar, the keys over the keyboard and text fields.
#include <algorithm>
#include <string>

#include "frontend/terminal/display_query.h"
#include "frontend/terminal/layout_parts.h"

namespace zt::term {
namespace {

std::string barLabel(const DisplayBarButton& button) {
  return button.isBackButton ? "\u2039 " + button.title : "[" + button.title + "]";
}

// Draws a bar button at x; returns the cells it took.
int drawBarButton(CellScreen& screen, int x, int y, const DisplayBarButton& button, int room) {
  const int end = screen.putText(x, y, barLabel(button), room,
                                 button.enabled ? Style::BarButton : Style::Disabled);
  Target target{Target::Kind::BarButton};
  target.item = button.isBackButton ? nullptr : button.item;
  if (button.enabled) screen.mark(x, y, end - x, target);
  return end - x;
}

int labelWidth(const std::string& label) { return lineWidth(singleLine(label)); }

std::string entryLabel(const DisplayToolbar::Entry& entry) { return "[ " + entry.title + " ]"; }

}  // namespace

void drawNavigationBar(CellScreen& screen, const DisplayNavigationBar& bar) {
  const int width = screen.width();
  screen.fill(0, 0, width, Style::Bar);
  int leftEnd = 1;
  int rightStart = width - 1;
  if (bar.right) {
    const int wanted = std::min(labelWidth(barLabel(*bar.right)), width / 3);
    rightStart = width - 1 - wanted;
    drawBarButton(screen, rightStart, 0, *bar.right, wanted);
  }
  if (bar.left) leftEnd = 1 + drawBarButton(screen, 1, 0, *bar.left, width / 3);
  const GlyphLine title = singleLine(bar.title);
  const int room = rightStart - leftEnd - 2;
  if (room <= 0) return;
  const GlyphLine fitted = fitLine(title, room);
  const int centred = (width - lineWidth(fitted)) / 2;
  const int x = std::clamp(centred, leftEnd + 1, rightStart - 1 - lineWidth(fitted));
  screen.put(x, 0, fitted, Style::BarTitle);
}

// A side inset of a text view keeps one blank cell between its bracket and its text where the
// field has room for it.
void drawField(CellScreen& screen, int x, int y, int width, const DisplayControl& field,
               bool focus) {
  if (width < 3) return;
  const int left = field.inset.left > 0 && width > 4 ? 1 : 0;
  const int right = field.inset.right > 0 && width > 4 ? 1 : 0;
  const Style frame = field.enabled ? Style::Field : Style::Disabled;
  screen.fill(y, x, width, frame, focus);
  screen.putText(x, y, "[", 1, frame, focus);
  screen.putText(x + width - 1, y, "]", 1, frame, focus);
  x += left;
  const int inner = width - 2 - left - right;
  const GlyphLine text = singleLine(field.text);
  if (text.empty() && !field.editing) {
    screen.put(x + 1, y, fitLine(singleLine(field.placeholder), inner), Style::Placeholder, focus);
    return;
  }
  if (!field.editing) {
    const GlyphLine shown = fitLine(text, inner);
    const int pad = field.alignment == TextAlignment::Right ? inner - lineWidth(shown) : 0;
    screen.put(x + 1 + pad, y, shown, frame, focus);
    return;
  }
  std::size_t cursor = 0;
  while (cursor < text.size() && text[cursor].offset < field.cursor) ++cursor;
  // Scroll the text sideways so that the cursor and the cell after it stay in the field.
  std::size_t start = 0;
  int before = lineWidth(GlyphLine(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(cursor)));
  while (start < cursor && before + 1 > inner) before -= text[start++].width;
  const GlyphLine tail(text.begin() + static_cast<std::ptrdiff_t>(start), text.end());
  screen.put(x + 1, y, fitLine(tail, inner, false), frame, focus);
  screen.cursor = std::pair{x + 1 + before, y};
}

// Draws a toolbar entry that holds a control at `x` (a field takes `fieldWidth`) and makes
// `target` its; returns where the next entry starts.
int drawToolbarControl(CellScreen& screen, int x, int y, int fieldWidth,
                       const DisplayControl& control, bool focused, Target& target) {
  const int start = x;
  if (isTextInput(control)) {
    drawField(screen, x, y, fieldWidth, control, focused);
    target.kind = Target::Kind::TextInput;
    x += fieldWidth;
  } else {
    const std::string label =
        control.kind == DisplayControl::Kind::Switch ? (control.on ? "[ON ]" : "[OFF]")
                                                     : "[ " + control.text + " ]";
    x = screen.putText(x, y, label, screen.width() - x, Style::Control, focused);
    target.kind = control.kind == DisplayControl::Kind::Switch ? Target::Kind::Switch
                                                               : Target::Kind::ControlButton;
  }
  target.view = control.view;
  if (control.enabled) screen.mark(start, y, x - start, target);
  return x + 1;
}

void drawToolbar(CellScreen& screen, int y, const DisplayToolbar& bar, const Focus& focus) {
  using Kind = DisplayToolbar::Entry::Kind;
  screen.fill(y, 0, screen.width(), Style::Toolbar);
  int fixed = 0, fields = 0, spaces = 0;
  for (const auto& entry : bar.entries) {
    if (entry.kind == Kind::Button) fixed += labelWidth(entryLabel(entry)) + 1;
    if (entry.kind == Kind::Control) ++fields;
    if (entry.kind == Kind::FlexibleSpace) ++spaces;
  }
  const int spare = std::max(screen.width() - 2 - fixed - spaces, 0);
  const int fieldWidth = fields ? std::max(spare / fields - 1, 3) : 0;
  int x = 1;
  for (std::size_t i = 0; i < bar.entries.size(); ++i) {
    const auto& entry = bar.entries[i];
    const bool focused = focus.area == Focus::Area::Toolbar &&
                         focus.toolbarEntry == static_cast<int>(i);
    Target target{Target::Kind::ToolbarEntry};
    target.index = static_cast<int>(i);
    target.item = entry.item;
    const int start = x;
    if (entry.kind == Kind::FlexibleSpace) {
      x += fields ? 1 : 1 + spare / std::max(spaces, 1);
      continue;
    }
    if (entry.kind == Kind::Button) {
      x = screen.putText(x, y, entryLabel(entry), screen.width() - x,
                         entry.enabled ? Style::BarButton : Style::Disabled, focused) + 1;
      if (entry.enabled) screen.mark(start, y, x - 1 - start, target);
      continue;
    }
    if (entry.control) {
      x = drawToolbarControl(screen, x, y, fieldWidth, *entry.control, focused, target);
    }
  }
}

void drawKeyboardKeys(CellScreen& screen, int y, const DisplayKeyboard& keyboard) {
  screen.fill(y, 0, screen.width(), Style::Toolbar);
  int x = 1;
  for (const auto& [title, button] : keyboard.extraKeys) {
    const int start = x;
    x = screen.putText(x, y, "[ " + title + " ]", screen.width() - x, Style::BarButton);
    Target target{Target::Kind::KeyboardKey};
    target.key = button;
    screen.mark(start, y, x - start, target);
    x += 2;
  }
}

// The hints drawn one cell in and two apart; where they do not all fit, in their shorter words,
// so that the last ("q quit") stays readable.
void drawHints(CellScreen& screen, int y, const DisplayList& list, const Focus& focus) {
  screen.fill(y, 0, screen.width(), Style::Hint);
  auto shown = hints(list, focus);
  int end = -1;  // where the last hint would end
  for (const auto& [key, meaning] : shown) end += labelWidth(key) + 1 + labelWidth(meaning) + 2;
  if (end >= screen.width()) shown = hints(list, focus, true);
  int x = 1;
  for (const auto& [key, meaning] : shown) {
    const int need = labelWidth(key) + 1 + labelWidth(meaning);
    if (x + need >= screen.width()) break;
    x = screen.putText(x, y, key, screen.width() - x, Style::HintKey);
    x = screen.putText(x + 1, y, meaning, screen.width() - x - 1, Style::Hint) + 2;
  }
}

}  // namespace zt::term
