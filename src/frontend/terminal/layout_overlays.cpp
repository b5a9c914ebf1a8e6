// Alerts, action sheets and the box around them.
#include <algorithm>
#include <string>

#include "frontend/terminal/layout_parts.h"

namespace zt::term {
namespace {

int widest(const std::vector<std::string>& texts) {
  int width = 0;
  for (const std::string& text : texts) width = std::max(width, lineWidth(singleLine(text)));
  return width;
}

std::vector<GlyphLine> wrapped(const std::string& text, int width) {
  if (text.empty()) return {};
  return wrapText(text, width, Wrap::Words);
}

void putCentred(CellScreen& screen, int x, int width, int y, const GlyphLine& line,
                Style style) {
  const GlyphLine fitted = fitLine(line, width);
  screen.put(x + (width - lineWidth(fitted)) / 2, y, fitted, style);
}

std::string buttonLabel(const std::string& title) { return "[ " + title + " ]"; }

}  // namespace

void drawBox(CellScreen& screen, int x, int y, int width, int height) {
  for (int row = y; row < y + height; ++row) screen.fill(row, x, width, Style::Box);
  const auto glyph = [](const char* text) { return GlyphLine{Glyph{text, 1, false, 0}}; };
  for (int i = x + 1; i < x + width - 1; ++i) {
    screen.put(i, y, glyph("\u2500"), Style::Box);
    screen.put(i, y + height - 1, glyph("\u2500"), Style::Box);
  }
  for (int row = y + 1; row < y + height - 1; ++row) {
    screen.put(x, row, glyph("\u2502"), Style::Box);
    screen.put(x + width - 1, row, glyph("\u2502"), Style::Box);
  }
  screen.put(x, y, glyph("\u250C"), Style::Box);
  screen.put(x + width - 1, y, glyph("\u2510"), Style::Box);
  screen.put(x, y + height - 1, glyph("\u2514"), Style::Box);
  screen.put(x + width - 1, y + height - 1, glyph("\u2518"), Style::Box);
}

void drawAlert(CellScreen& screen, const DisplayAlert& alert, const Focus& focus) {
  std::string buttons;
  for (const std::string& title : alert.buttons) buttons += buttonLabel(title) + "  ";
  const int wanted = std::max({widest({alert.title}), widest({alert.message}),
                               lineWidth(singleLine(buttons)), 20}) + 4;
  const int width = std::min(wanted, screen.width() - 2);
  const int inner = width - 4;
  const auto title = wrapped(alert.title, inner);
  auto message = wrapped(alert.message, inner);
  const int spare = screen.height() - 4 - static_cast<int>(title.size()) - 2;
  if (static_cast<int>(message.size()) > spare) message.resize(static_cast<std::size_t>(std::max(spare, 0)));
  const int height = static_cast<int>(title.size() + message.size()) + 4;
  const int x = (screen.width() - width) / 2;
  int y = std::max((screen.height() - height) / 2, 0);
  drawBox(screen, x, y, width, height);
  for (const GlyphLine& line : title) putCentred(screen, x + 2, inner, ++y, line, Style::BoxTitle);
  for (const GlyphLine& line : message) putCentred(screen, x + 2, inner, ++y, line, Style::Box);
  y += 2;
  const int count = static_cast<int>(alert.buttons.size());
  const int selected = std::clamp(focus.overlayIndex, 0, std::max(count - 1, 0));
  int bx = x + 2 + std::max((inner - lineWidth(singleLine(buttons)) + 2) / 2, 0);
  for (int i = 0; i < count; ++i) {
    const int start = bx;
    bx = screen.putText(bx, y, buttonLabel(alert.buttons[static_cast<std::size_t>(i)]),
                        x + width - 2 - bx, Style::BoxTitle, i == selected);
    Target target{Target::Kind::AlertButton};
    target.alert = alert.alert;
    target.index = i;
    screen.mark(start, y, bx - start, target);
    bx += 2;
  }
}

void drawActionSheet(CellScreen& screen, int bottom, const DisplayActionSheet& sheet,
                     const Focus& focus) {
  const int count = static_cast<int>(sheet.buttons.size());
  const int cancel = sheet.cancelIndex >= 0 ? sheet.cancelIndex : count - 1;
  const bool separated = count > 1 && cancel == count - 1;
  const int width = std::min(std::max({widest(sheet.buttons) + 8, widest({sheet.title}) + 4, 28}),
                             screen.width() - 2);
  const int titleLines = sheet.title.empty() ? 0 : 1;
  const int height = std::min(count + titleLines + (separated ? 1 : 0) + 2, bottom);
  const int x = (screen.width() - width) / 2;
  int y = bottom - height;
  drawBox(screen, x, y, width, height);
  if (titleLines) putCentred(screen, x + 2, width - 4, ++y, singleLine(sheet.title), Style::Box);
  const int selected = std::clamp(focus.overlayIndex, 0, std::max(count - 1, 0));
  for (int i = 0; i < count && y + 2 < bottom; ++i) {
    if (separated && i == cancel) {
      ++y;
      for (int c = x + 1; c < x + width - 1; ++c) {
        screen.put(c, y, GlyphLine{Glyph{"\u2500", 1, false, 0}}, Style::Box);
      }
      screen.put(x, y, GlyphLine{Glyph{"\u251C", 1, false, 0}}, Style::Box);
      screen.put(x + width - 1, y, GlyphLine{Glyph{"\u2524", 1, false, 0}}, Style::Box);
    }
    ++y;
    const bool chosen = i == selected;
    screen.fill(y, x + 1, width - 2, Style::Box, chosen);
    const std::string number = i < 9 ? std::to_string(i + 1) + "  " : "   ";
    screen.putText(x + 2, y, number + sheet.buttons[static_cast<std::size_t>(i)], width - 4,
                   i == cancel ? Style::BoxTitle : Style::Box, chosen);
    Target target{Target::Kind::SheetEntry};
    target.sheet = sheet.sheet;
    target.index = i;
    screen.mark(x + 1, y, width - 2, target);
  }
}

}  // namespace zt::term
