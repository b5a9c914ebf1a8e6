// The hint line: the keys that do something now, with what they do.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "frontend/terminal/display_query.h"
#include "frontend/terminal/layout_parts.h"

namespace zt::term {
namespace {

using Hints = std::vector<std::pair<std::string, std::string>>;

std::string nextButtonTitle(const DisplayList& list, int fieldEntry) {
  const DisplayToolbar* bar = toolbar(list);
  for (auto i = static_cast<std::size_t>(fieldEntry) + 1; bar && i < bar->entries.size(); ++i) {
    const auto& entry = bar->entries[i];
    if (entry.kind == DisplayToolbar::Entry::Kind::Button && entry.enabled) return entry.title;
  }
  return "Return";
}

std::string doneTitle(const DisplayList& list) {
  const DisplayKeyboard* keys = keyboard(list);
  return keys && !keys->extraKeys.empty() ? keys->extraKeys.front().first : "done";
}

// What Enter does to the focused row or toolbar entry, or "" when nothing.
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

void addBarHints(Hints& out, const DisplayList& list) {
  const DisplayNavigationBar* nav = navigationBar(list);
  if (nav && nav->left && nav->left->enabled) out.emplace_back("Esc", nav->left->title);
  if (nav && nav->right && nav->right->enabled) out.emplace_back("F2", nav->right->title);
}

bool hasToolbarStops(const DisplayList& list) {
  const DisplayToolbar* bar = toolbar(list);
  return bar && std::any_of(bar->entries.begin(), bar->entries.end(), isToolbarStop);
}

}  // namespace

Hints hints(const DisplayList& list, const Focus& focus) {
  if (const DisplayAlert* shown = alert(list)) {
    Hints out{{"Enter", "choose"}};
    if (shown->buttons.size() > 1) out.emplace_back("\u2190\u2192", "button");
    if (!shown->buttons.empty()) out.emplace_back("Esc", shown->buttons.front());
    return out;
  }
  if (actionSheet(list)) {
    return {{"\u2191\u2193", "move"}, {"Enter", "choose"}, {"1-9", "entry"}, {"Esc", "Cancel"}};
  }
  if (const EditingInfo edit = editing(list)) {
    const DisplayNavigationBar* nav = navigationBar(list);
    Hints out{{"Enter", edit.toolbarEntry >= 0 ? nextButtonTitle(list, edit.toolbarEntry)
                        : edit.control->numeric ? doneTitle(list)
                                                : "Return"}};
    if (focus.escapedEdit != edit.control->view.get()) {
      out.emplace_back("Esc", "done");
    } else if (nav && nav->left && nav->left->enabled) {
      out.emplace_back("Esc", nav->left->title);
    }
    out.emplace_back("\u2190\u2192", "cursor");
    if (nav && nav->right && nav->right->enabled) out.emplace_back("F2", nav->right->title);
    out.emplace_back("^C", "quit");
    return out;
  }
  Hints out;
  if (!focusableRows(list).empty()) out.emplace_back("\u2191\u2193", "move");
  if (const std::string meaning = enterMeaning(list, focus); !meaning.empty()) {
    out.emplace_back("Enter", meaning);
  }
  const DisplayRow* row = focus.area == Focus::Area::Table && focus.hasRow
                              ? findRow(list, focus.table, focus.row)
                              : nullptr;
  if (row && row->accessory == DisplayAccessory::DetailButton) out.emplace_back("\u2192", "details");
  if (hasToolbarStops(list)) out.emplace_back("Tab", "next");
  addBarHints(out, list);
  out.emplace_back("q", "quit");
  return out;
}

}  // namespace zt::term
