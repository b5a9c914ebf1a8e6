// The pieces of the layout step (layout.h), one per region of the screen. Internal to the
// front end; pure, like the layout step itself.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "frontend/terminal/cell_screen.h"
#include "frontend/terminal/focus.h"
#include "platform/ui/display_list.h"

namespace zt::term {

void drawNavigationBar(CellScreen& screen, const DisplayNavigationBar& bar);
void drawToolbar(CellScreen& screen, int y, const DisplayToolbar& bar, const Focus& focus);
void drawKeyboardKeys(CellScreen& screen, int y, const DisplayKeyboard& keyboard);
// The keys that apply now, as (key, meaning) pairs; `brief`: in their shorter words.
std::vector<std::pair<std::string, std::string>> hints(const DisplayList& list,
                                                       const Focus& focus, bool brief = false);
void drawHints(CellScreen& screen, int y, const DisplayList& list, const Focus& focus);
// A one-line text input "[text]" in [x, x + width); sets the screen's cursor while editing.
void drawField(CellScreen& screen, int x, int y, int width, const DisplayControl& field,
               bool focus);
// The tables' groups and rows in lines [top, bottom); returns the scroll offset used.
int drawTables(CellScreen& screen, int top, int bottom, const DisplayList& list,
               const Focus& focus, int scroll);
void drawAlert(CellScreen& screen, const DisplayAlert& alert, const Focus& focus);
// The menu rises from line `bottom` (exclusive).
void drawActionSheet(CellScreen& screen, int bottom, const DisplayActionSheet& sheet,
                     const Focus& focus);
// A frame of box-drawing characters around [x, x + width) x [y, y + height), inside filled.
void drawBox(CellScreen& screen, int x, int y, int width, int height);

}  // namespace zt::term
