// What the rows of the key table (key_table.h) do and say: the actions a key asks for and the
// words the hint line gives them, over the display list shown. Internal to the front end; pure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontend/terminal/action.h"
#include "frontend/terminal/display_query.h"
#include "frontend/terminal/focus.h"
#include "frontend/terminal/key.h"

namespace zt::term {

// Nothing when the button is missing or disabled.
std::vector<Action> tapBarButton(const std::optional<DisplayBarButton>& button);
// Up/Down/PgUp/PgDn/Home/End among the focusable rows, scrolling past the rows the model built.
std::vector<Action> moveRow(const Key& key, const Focus& focus, const DisplayList& list,
                            int pageRows);
// Tab order: the table, then the toolbar's enabled items left to right, then the table again.
std::vector<Action> moveTab(bool forward, const Focus& focus, const DisplayList& list);
// Enter on the focused row or toolbar entry.
std::vector<Action> activate(const Focus& focus, const DisplayList& list);
// Right on a row with a detail button.
std::vector<Action> tapDetail(const Focus& focus, const DisplayList& list);
std::vector<Action> editingReturn(const DisplayList& list, const EditingInfo& edit);
std::vector<Action> editingEscape(const Focus& focus, const DisplayList& list,
                                  const EditingInfo& edit);
// The chosen entry of an alert or a sheet moves to `index`.
std::vector<Action> moveChoice(const Focus& focus, int index);
// 1..9 as an index from 0 below `count`, or -1.
int digitIndex(const Key& key, int count);

// What Enter does now: to the focused row or toolbar entry ("" when nothing), and while a
// field is edited.
std::string enterMeaning(const DisplayList& list, const Focus& focus);
std::string editingEnterMeaning(const DisplayList& list, const EditingInfo& edit);
// The focused row shows a detail button.
bool focusOnDetail(const Focus& focus, const DisplayList& list);
bool hasToolbarStops(const DisplayList& list);
// The title of an enabled bar button, else "".
std::string barTitle(const std::optional<DisplayBarButton>& button);

}  // namespace zt::term
