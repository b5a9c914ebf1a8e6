// The hint line: the keys that do something now, with what they do, read from the key table in
// its order; and the words its rows give.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "frontend/terminal/key_actions.h"
#include "frontend/terminal/key_table.h"
#include "frontend/terminal/layout_parts.h"

namespace zt::term {
namespace {

std::string nextButtonTitle(const DisplayList& list, int fieldEntry) {
  const DisplayToolbar::Entry* button = buttonAfterField(list, fieldEntry);
  return button ? button->title : "Return";
}

std::string doneTitle(const DisplayList& list) {
  const DisplayKeyboard* keys = keyboard(list);
  return keys && !keys->extraKeys.empty() ? keys->extraKeys.front().first : "done";
}

}  // namespace

std::string enterMeaning(const DisplayList& list, const Focus& focus) {
  if (focus.area == Focus::Area::Toolbar) {
    const DisplayToolbar* bar = toolbar(list);
    if (!bar || focus.toolbarEntry < 0 ||
        focus.toolbarEntry >= static_cast<int>(bar->entries.size())) {
      return "";
    }
    const auto& entry = bar->entries[static_cast<std::size_t>(focus.toolbarEntry)];
    if (!isToolbarStop(entry)) return "";
    return entry.kind == DisplayToolbar::Entry::Kind::Button ? entry.title : "edit";
  }
  const DisplayRow* row = focus.hasRow ? findRow(list, focus.table, focus.row) : nullptr;
  if (!row) return "";
  if (const DisplayControl* control = activeControl(*row)) {
    if (control->kind == DisplayControl::Kind::Switch) return "toggle";
    return control->kind == DisplayControl::Kind::Button ? control->text : "edit";
  }
  if (!row->selectable) return "";
  return row->table == tableOnTop(list) ? "choose" : "open";
}

std::string editingEnterMeaning(const DisplayList& list, const EditingInfo& edit) {
  if (edit.toolbarEntry >= 0) return nextButtonTitle(list, edit.toolbarEntry);
  return edit.control->numeric ? doneTitle(list) : "Return";
}

bool focusOnDetail(const Focus& focus, const DisplayList& list) {
  const DisplayRow* row = focus.area == Focus::Area::Table && focus.hasRow
                              ? findRow(list, focus.table, focus.row)
                              : nullptr;
  return row && row->accessory == DisplayAccessory::DetailButton;
}

bool hasToolbarStops(const DisplayList& list) {
  const DisplayToolbar* bar = toolbar(list);
  return bar && std::any_of(bar->entries.begin(), bar->entries.end(), isToolbarStop);
}

std::string barTitle(const std::optional<DisplayBarButton>& button) {
  return button && button->enabled ? button->title : "";
}

std::vector<std::pair<std::string, std::string>> hints(const DisplayList& list,
                                                       const Focus& focus, bool brief) {
  KeyContext context = keyContext(list, focus);
  context.brief = brief;
  std::vector<std::pair<std::string, std::string>> out;
  for (const DisplayKeyCommands::Command* command : applicableCommands(context)) {
    if (!command->title.empty()) out.emplace_back(command->input, command->title);
  }
  for (const KeyRow* row : keyRows(context.state)) {
    if (!row->hint) continue;
    if (std::string word = row->hint(context); !word.empty()) {
      out.emplace_back(row->label, std::move(word));
    }
  }
  return out;
}

}  // namespace zt::term
