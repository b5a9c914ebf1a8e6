// The dispatcher: carries out the actions that name a Touch call, on the widget model, and
// scrolls a model table to reach rows it has not built. Main thread only, like Touch.
#pragma once

#include <optional>

#include "frontend/terminal/action.h"

namespace zt::term {

// Performs a touch action; false for the actions that are not touches (focus, scroll, quit,
// suspend), which the caller handles.
bool performTouch(const Action& action);
// Scrolls `table` to the row `rows` rows after `from` (before it when negative), counted across
// sections and kept within the table; returns that row, or nothing when there is no other row.
std::optional<IndexPath> scrollTable(TableView& table, IndexPath from, int rows);

}  // namespace zt::term
