#include "frontend/terminal/display_query.h"

namespace zt::term {
namespace {

template <typename T>
const T* firstOf(const DisplayList& list) {
  for (const DisplayItem& item : list.items) {
    if (const T* found = std::get_if<T>(&item)) return found;
  }
  return nullptr;
}

template <typename T>
const T* lastOf(const DisplayList& list) {
  const T* last = nullptr;
  for (const DisplayItem& item : list.items) {
    if (const T* found = std::get_if<T>(&item)) last = found;
  }
  return last;
}

}  // namespace

const DisplayNavigationBar* navigationBar(const DisplayList& list) {
  return firstOf<DisplayNavigationBar>(list);
}
const DisplayToolbar* toolbar(const DisplayList& list) { return lastOf<DisplayToolbar>(list); }
const DisplayKeyboard* keyboard(const DisplayList& list) { return lastOf<DisplayKeyboard>(list); }
const DisplayAlert* alert(const DisplayList& list) { return lastOf<DisplayAlert>(list); }
const DisplayActionSheet* actionSheet(const DisplayList& list) {
  return lastOf<DisplayActionSheet>(list);
}
const DisplayKeyCommands* keyCommands(const DisplayList& list) {
  return lastOf<DisplayKeyCommands>(list);
}

std::vector<const DisplayRow*> rows(const DisplayList& list) {
  std::vector<const DisplayRow*> out;
  for (const DisplayItem& item : list.items) {
    if (const auto* row = std::get_if<DisplayRow>(&item)) out.push_back(row);
  }
  return out;
}

const DisplayRow* findRow(const DisplayList& list, const TableView* table, IndexPath path) {
  for (const DisplayRow* row : rows(list)) {
    if (row->table.get() == table && row->path == path) return row;
  }
  return nullptr;
}

std::shared_ptr<TableView> screenTable(const DisplayList& list) {
  for (const DisplayItem& item : list.items) {
    if (const auto* row = std::get_if<DisplayRow>(&item)) return row->table;
    if (const auto* header = std::get_if<DisplaySectionHeader>(&item)) {
      return header->table;
    }
  }
  return nullptr;
}

std::shared_ptr<TableView> tableOnTop(const DisplayList& list) {
  std::shared_ptr<TableView> last;
  for (const DisplayItem& item : list.items) {
    if (const auto* row = std::get_if<DisplayRow>(&item)) last = row->table;
    if (const auto* header = std::get_if<DisplaySectionHeader>(&item)) last = header->table;
  }
  return last != screenTable(list) ? last : nullptr;
}

EditingInfo editing(const DisplayList& list) {
  for (const DisplayRow* row : rows(list)) {
    for (const DisplayControl& control : row->controls) {
      if (control.editing) return EditingInfo{&control, row, -1};
    }
  }
  if (const DisplayToolbar* bar = toolbar(list)) {
    for (std::size_t i = 0; i < bar->entries.size(); ++i) {
      const auto& control = bar->entries[i].control;
      if (control && control->editing) {
        return EditingInfo{&*control, nullptr, static_cast<int>(i)};
      }
    }
  }
  return {};
}

bool isTextInput(const DisplayControl& control) {
  return control.kind == DisplayControl::Kind::TextField ||
         (control.kind == DisplayControl::Kind::TextView && control.editable);
}

bool isMultiLine(const DisplayRow& row, const DisplayControl& control) {
  return control.kind == DisplayControl::Kind::TextView && !control.editable &&
         row.heightPoints >= 88;
}

const DisplayControl* activeControl(const DisplayRow& row) {
  for (const DisplayControl& control : row.controls) {
    if (control.enabled && control.kind == DisplayControl::Kind::Switch) return &control;
  }
  for (const DisplayControl& control : row.controls) {
    if (control.enabled && isTextInput(control) && !isMultiLine(row, control)) return &control;
  }
  for (const DisplayControl& control : row.controls) {
    if (control.enabled && control.kind == DisplayControl::Kind::Button) return &control;
  }
  return nullptr;
}

bool isFocusable(const DisplayRow& row) {
  if (row.covered) return false;
  return row.selectable || activeControl(row) != nullptr ||
         row.accessory == DisplayAccessory::DetailButton;
}

std::vector<const DisplayRow*> focusableRows(const DisplayList& list) {
  const auto top = tableOnTop(list);
  std::vector<const DisplayRow*> out;
  for (const DisplayRow* row : rows(list)) {
    if (isFocusable(*row) && (!top || row->table == top)) out.push_back(row);
  }
  return out;
}

bool isToolbarStop(const DisplayToolbar::Entry& entry) {
  switch (entry.kind) {
    case DisplayToolbar::Entry::Kind::Button:
      return entry.enabled;
    case DisplayToolbar::Entry::Kind::Control:
      return entry.enabled && entry.control && entry.control->enabled;
    case DisplayToolbar::Entry::Kind::FlexibleSpace:
      return false;
  }
  return false;
}

const DisplayToolbar::Entry* buttonAfterField(const DisplayList& list, int fieldEntry) {
  const DisplayToolbar* bar = toolbar(list);
  for (auto i = static_cast<std::size_t>(fieldEntry) + 1; bar && i < bar->entries.size(); ++i) {
    const auto& entry = bar->entries[i];
    if (entry.kind == DisplayToolbar::Entry::Kind::Button) return entry.enabled ? &entry : nullptr;
  }
  return nullptr;
}

}  // namespace zt::term
