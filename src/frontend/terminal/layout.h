// The layout step: a display list and a terminal size become a screen of styled cells with its
// hit map. Order and roles decide where things go: the navigation bar on the first line (left
// button, centred title, right button), the tables' groups and rows below it, the toolbar and
// the hint line (the keys that apply now) at the bottom, an action sheet as a menu from the
// bottom and an alert as a centred box over everything.
//
// Pure; the only state it carries from one frame to the next is the scroll offset of the rows
// (in lines), which the caller keeps.
#pragma once

#include "frontend/terminal/cell_screen.h"
#include "frontend/terminal/focus.h"
#include "platform/ui/display_list.h"

namespace zt::term {

// Below this size the screen shows a short message instead of the layout.
inline constexpr int kMinWidth = 32;
inline constexpr int kMinHeight = 10;

// Draws into `screen`, blanked at the size first (a screen kept from the last frame keeps its
// memory). `scroll`: in, the first line of the rows shown last time; out, the one used now,
// moved just enough to keep the focused row in view.
void layoutScreen(CellScreen& screen, const DisplayList& list, const Focus& focus, int width,
                  int height, int& scroll);
// The centred product name shown while the application launches.
CellScreen splashScreen(int width, int height);
// How many rows fit in the table area (for PageUp/PageDown).
int pageRows(int height);

}  // namespace zt::term
