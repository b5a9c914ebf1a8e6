#include "frontend/terminal/key_actions.h"

#include <algorithm>
#include <climits>

namespace zt::term {
namespace {

using Code = Key::Code;
using Actions = std::vector<Action>;

Actions activateRow(const DisplayRow& row) {
  if (const DisplayControl* control = activeControl(row)) {
    switch (control->kind) {
      case DisplayControl::Kind::Switch: return {act::ToggleSwitch{control->view}};
      case DisplayControl::Kind::Button: return {act::TapControlButton{control->view}};
      default: return {act::TapTextInput{control->view}};
    }
  }
  return {act::TapRow{row.table, row.path}};
}

Actions activateToolbarEntry(const DisplayToolbar::Entry& entry) {
  if (!isToolbarStop(entry)) return {};
  if (entry.kind == DisplayToolbar::Entry::Kind::Button) return {act::TapBarButton{entry.item}};
  const DisplayControl& control = *entry.control;
  if (control.kind == DisplayControl::Kind::Switch) return {act::ToggleSwitch{control.view}};
  if (control.kind == DisplayControl::Kind::Button) return {act::TapControlButton{control.view}};
  if (isTextInput(control)) return {act::TapTextInput{control.view}};
  return {act::TapBarButton{entry.item}};
}

// Enter in a toolbar field taps the button just to its right (Send) when it is enabled; a
// button further on is never tapped instead.
Actions toolbarReturn(const DisplayList& list, int fieldEntry) {
  if (const DisplayToolbar::Entry* button = buttonAfterField(list, fieldEntry)) {
    return {act::TapBarButton{button->item}};
  }
  return {act::PressReturn{}};
}

}  // namespace

Actions tapBarButton(const std::optional<DisplayBarButton>& button) {
  if (!button || !button->enabled) return {};
  return {act::TapBarButton{button->isBackButton ? nullptr : button->item}};
}

// Focus moves among the focusable rows; beyond the rows the model built, the table scrolls.
Actions moveRow(const Key& key, const Focus& focus, const DisplayList& list, int pageRows) {
  const auto candidates = focusableRows(list);
  if (candidates.empty()) return {};
  const int last = static_cast<int>(candidates.size()) - 1;
  int current = -1;
  for (int i = 0; i <= last; ++i) {
    if (focus.hasRow && candidates[static_cast<std::size_t>(i)]->path == focus.row &&
        candidates[static_cast<std::size_t>(i)]->table.get() == focus.table) {
      current = i;
    }
  }
  int step = 0;
  switch (key.code) {
    case Code::Up: step = -1; break;
    case Code::Down: step = 1; break;
    case Code::PageUp: step = -std::max(pageRows, 1); break;
    case Code::PageDown: step = std::max(pageRows, 1); break;
    case Code::Home: step = INT_MIN / 2; break;
    default: step = INT_MAX / 2; break;
  }
  if (current < 0) current = step > 0 ? -1 : last + 1;
  const long wanted = static_cast<long>(current) + step;
  const int target = static_cast<int>(std::clamp<long>(wanted, 0, last));
  const DisplayRow& row = *candidates[static_cast<std::size_t>(target)];
  Focus moved = focus;
  moved.area = Focus::Area::Table;
  moved.table = row.table.get();
  moved.hasRow = true;
  moved.row = row.path;
  Actions actions{act::SetFocus{moved}};
  const long beyond = wanted - target;
  if (beyond != 0) {
    actions.push_back(act::ScrollTable{row.table, row.path, static_cast<int>(beyond)});
  }
  return actions;
}

Actions moveTab(bool forward, const Focus& focus, const DisplayList& list) {
  std::vector<int> stops{-1};
  const DisplayToolbar* bar = toolbar(list);
  if (bar) {
    for (std::size_t i = 0; i < bar->entries.size(); ++i) {
      if (isToolbarStop(bar->entries[i])) stops.push_back(static_cast<int>(i));
    }
  }
  const int here = focus.area == Focus::Area::Toolbar ? focus.toolbarEntry : -1;
  const auto count = static_cast<int>(stops.size());
  int position = 0;
  for (int i = 0; i < count; ++i) {
    if (stops[static_cast<std::size_t>(i)] <= here) position = i;
  }
  if (forward || stops[static_cast<std::size_t>(position)] == here) {
    position = (position + (forward ? 1 : count - 1)) % count;
  }
  Focus moved = focus;
  const int stop = stops[static_cast<std::size_t>(position)];
  moved.area = stop < 0 ? Focus::Area::Table : Focus::Area::Toolbar;
  moved.toolbarEntry = stop;
  Actions actions{act::SetFocus{moved}};
  if (stop >= 0) {
    const auto& control = bar->entries[static_cast<std::size_t>(stop)].control;
    if (control && isTextInput(*control) && !control->editing) {
      actions.push_back(act::TapTextInput{control->view});
    }
  }
  return actions;
}

Actions activate(const Focus& focus, const DisplayList& list) {
  if (focus.area == Focus::Area::Toolbar) {
    const DisplayToolbar* bar = toolbar(list);
    if (!bar || focus.toolbarEntry < 0 ||
        focus.toolbarEntry >= static_cast<int>(bar->entries.size())) {
      return {};
    }
    return activateToolbarEntry(bar->entries[static_cast<std::size_t>(focus.toolbarEntry)]);
  }
  if (!focus.hasRow) return {};
  const DisplayRow* row = findRow(list, focus.table, focus.row);
  return row ? activateRow(*row) : Actions{};
}

// Enter while a field is edited: in the toolbar the next button; on the number pad, which has
// no Return key, the key laid over it ("Done") or else a touch elsewhere; otherwise Return.
Actions editingReturn(const DisplayList& list, const EditingInfo& edit) {
  if (edit.toolbarEntry >= 0) return toolbarReturn(list, edit.toolbarEntry);
  if (!edit.control->numeric) return {act::PressReturn{}};
  const DisplayKeyboard* keys = keyboard(list);
  if (keys && !keys->extraKeys.empty()) return {act::TapKey{keys->extraKeys.front().second}};
  return {act::TouchElsewhere{}};
}

// Esc while a field is edited is a touch elsewhere, which ends the edit on most screens. On a
// screen that keeps editing through it, the next Esc taps the left bar button (Back), which stays
// within reach above a phone's keyboard too.
Actions editingEscape(const Focus& focus, const DisplayList& list, const EditingInfo& edit) {
  const View* field = edit.control->view.get();
  if (focus.escapedEdit == field) {
    const DisplayNavigationBar* nav = navigationBar(list);
    return tapBarButton(nav ? nav->left : std::nullopt);
  }
  Focus marked = focus;
  marked.escapedEdit = field;
  return {act::SetFocus{marked}, act::TouchElsewhere{}};
}

Actions tapDetail(const Focus& focus, const DisplayList& list) {
  if (!focusOnDetail(focus, list)) return {};
  const DisplayRow* row = findRow(list, focus.table, focus.row);
  return {act::TapDetailButton{row->table, row->path}};
}

Actions moveChoice(const Focus& focus, int index) {
  Focus moved = focus;
  moved.overlayIndex = index;
  return {act::SetFocus{moved}};
}

int digitIndex(const Key& key, int count) {
  if (key.code != Code::Char || key.text.size() != 1) return -1;
  const int index = key.text[0] - '1';
  return index >= 0 && index < std::min(count, 9) ? index : -1;
}

}  // namespace zt::term
