// The key mapper: turns a key press or a click, with the focus and the display list shown, into
// the actions it means. Pure: it touches nothing, so every rule of the keyboard contract can be
// tested on hand-built display lists.
//
// In short: with an alert up, keys choose its buttons (Esc its first); with an action sheet up,
// Up/Down/Enter or 1..9 choose an entry (Esc "Cancel"); while a field is edited, keys edit it,
// Enter is its Return key (in a toolbar: the toolbar's next button) and Esc ends the edit (a
// second Esc, when the screen kept editing, taps the left bar button);
// otherwise Up/Down move among rows (those of a table shown on top, while one is), Tab among
// the table and the toolbar, Enter activates, Right taps a detail button, Esc the left and F2
// the right bar button, q quits.
#pragma once

#include <vector>

#include "frontend/terminal/action.h"
#include "frontend/terminal/cell_screen.h"
#include "frontend/terminal/focus.h"
#include "frontend/terminal/key.h"
#include "platform/ui/display_list.h"

namespace zt::term {

// `pageRows`: how many rows PageUp/PageDown move.
std::vector<Action> mapKey(const Key& key, const Focus& focus, const DisplayList& list,
                           int pageRows = 10);
// A click on `target` (null: on nothing).
std::vector<Action> mapClick(const Target* target, const Focus& focus, const DisplayList& list);
// What Enter or a click does to a row: toggles its switch, edits its field, or taps it.
std::vector<Action> activateRow(const DisplayRow& row);

}  // namespace zt::term
