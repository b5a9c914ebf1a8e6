// The key mapper: turns a key press or a click, with the focus and the display list shown, into
// the actions it means. A key goes to the first of the screen's key commands or of the rows of
// the key table (key_table.h) that takes it. Pure: it touches nothing, so the whole keyboard
// contract can be tested on hand-built display lists.
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
// A click on `target` (null: on nothing); while an alert or a menu is up, only on it.
std::vector<Action> mapClick(const Target* target, const Focus& focus, const DisplayList& list);

}  // namespace zt::term
