#include "frontend/terminal/layout.h"

#include <algorithm>
#include <string>

#include "frontend/terminal/display_query.h"
#include "frontend/terminal/layout_parts.h"

namespace zt::term {
namespace {

void centre(CellScreen& screen, int y, const std::string& text, Style style) {
  const GlyphLine line = fitLine(singleLine(text), screen.width());
  screen.put((screen.width() - lineWidth(line)) / 2, y, line, style);
}

void tooSmall(CellScreen& screen, int width, int height) {
  const int y = std::max(height / 2 - 1, 0);
  centre(screen, y, "Terminal too small", Style::BoxTitle);
  centre(screen, y + 1,
         "need " + std::to_string(kMinWidth) + "x" + std::to_string(kMinHeight) + ", have " +
             std::to_string(width) + "x" + std::to_string(height),
         Style::Plain);
}

}  // namespace

int pageRows(int height) { return std::max(height - 4, 1); }

CellScreen splashScreen(int width, int height) {
  CellScreen screen(width, height);
  if (height > 0) centre(screen, (height - 1) / 2, "Zemra Telvo", Style::Splash);
  return screen;
}

void layoutScreen(CellScreen& screen, const DisplayList& list, const Focus& focus, int width,
                  int height, int& scroll) {
  screen.reset(width, height);
  if (width < kMinWidth || height < kMinHeight) {
    tooSmall(screen, width, height);
    return;
  }
  const DisplayNavigationBar* nav = navigationBar(list);
  const DisplayToolbar* bar = toolbar(list);
  const DisplayKeyboard* keys = keyboard(list);
  const bool keyLine = keys && !keys->extraKeys.empty();
  const int hintY = height - 1;
  const int toolbarY = bar ? hintY - 1 : hintY;
  const int keysY = keyLine ? toolbarY - 1 : toolbarY;
  scroll = drawTables(screen, nav ? 1 : 0, keysY, list, focus, scroll);
  if (nav) drawNavigationBar(screen, *nav);
  if (bar) drawToolbar(screen, toolbarY, *bar, focus);
  if (keyLine) drawKeyboardKeys(screen, keysY, *keys);
  drawHints(screen, hintY, list, focus);
  if (const DisplayActionSheet* sheet = actionSheet(list)) {
    screen.cursor.reset();
    drawActionSheet(screen, hintY, *sheet, focus);
  }
  if (const DisplayAlert* shown = alert(list)) {
    screen.cursor.reset();
    drawAlert(screen, *shown, focus);
  }
}

}  // namespace zt::term
