// Keys while an alert or an action sheet is up, and clicks: parts of the key mapper
// (key_mapper.h), kept apart to keep each file short. Pure.
#pragma once

#include <vector>

#include "frontend/terminal/action.h"
#include "frontend/terminal/focus.h"
#include "frontend/terminal/key.h"

namespace zt::term {

// `editing`: a field is being edited beneath the overlay (then `q` does not quit).
std::vector<Action> alertKey(const Key& key, const Focus& focus, const DisplayAlert& alert,
                             bool editing);
std::vector<Action> sheetKey(const Key& key, const Focus& focus, const DisplayActionSheet& sheet,
                             bool editing);

}  // namespace zt::term
