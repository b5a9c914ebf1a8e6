#include "frontend/terminal/focus.h"

#include <algorithm>

#include "frontend/terminal/display_query.h"

namespace zt::term {
namespace {

const void* overlayOf(const DisplayList& list) {
  if (const DisplayAlert* shown = alert(list)) return shown->alert.get();
  if (const DisplayActionSheet* shown = actionSheet(list)) return shown->sheet.get();
  return nullptr;
}

void focusRow(Focus& focus, const DisplayRow* row) {
  focus.hasRow = row != nullptr;
  if (!row) return;
  focus.table = row->table.get();
  focus.row = row->path;
}

// The row a table shown on top starts on: its checked row, else its first.
const DisplayRow* startingRow(const DisplayList& list, const TableView* table) {
  const DisplayRow* first = nullptr;
  for (const DisplayRow* row : focusableRows(list)) {
    if (row->table.get() != table) continue;
    if (row->accessory == DisplayAccessory::Checkmark) return row;
    if (!first) first = row;
  }
  return first;
}

}  // namespace

const DisplayRow* nearestFocusableRow(const DisplayList& list, IndexPath path) {
  const auto candidates = focusableRows(list);
  if (candidates.empty()) return nullptr;
  for (const DisplayRow* row : candidates) {
    if (row->path >= path) return row;
  }
  return candidates.back();
}

void FocusTracker::switchScreen(const DisplayList& list, const std::shared_ptr<TableView>& table) {
  if (!current_.expired()) remembered_.emplace_back(current_, focus_);
  std::erase_if(remembered_, [](const auto& entry) { return entry.first.expired(); });
  current_ = table;
  screen_ = table.get();
  const auto known = std::find_if(remembered_.begin(), remembered_.end(), [&](const auto& entry) {
    return entry.first.lock() == table;
  });
  if (table && known != remembered_.end()) {
    focus_ = known->second;
    remembered_.erase(known);
  } else {
    focus_ = Focus{};
    const auto candidates = focusableRows(list);
    focusRow(focus_, candidates.empty() ? nullptr : candidates.front());
  }
  focus_.overlay = nullptr;
  onTop_.reset();
  beneath_.reset();
}

// A table shown over the screen takes the focus on its checked row (else its first); when it
// goes, the focus returns to where it was when the table came, which is the row that opened it.
void FocusTracker::followTableOnTop(const DisplayList& list) {
  const auto top = tableOnTop(list);
  if (top == onTop_.lock() && (top || !beneath_)) return;
  onTop_ = top;
  if (top) {
    if (!beneath_) beneath_ = focus_;
    focus_.area = Focus::Area::Table;
    focusRow(focus_, startingRow(list, top.get()));
  } else if (beneath_) {
    focus_.area = beneath_->area;
    focus_.toolbarEntry = beneath_->toolbarEntry;
    focus_.table = beneath_->table;
    focus_.hasRow = beneath_->hasRow;
    focus_.row = beneath_->row;
    beneath_.reset();
  }
}

void FocusTracker::update(const DisplayList& list) {
  const auto table = screenTable(list);
  if (table.get() != screen_ || current_.lock() != table) switchScreen(list, table);
  followTableOnTop(list);
  const DisplayRow* row = focus_.hasRow ? findRow(list, focus_.table, focus_.row) : nullptr;
  if (!row || !isFocusable(*row)) {
    // Rows that cannot take the focus now (covered, or gone) hand it to a neighbour; with no
    // neighbour the focus stays, for when the row can take it again.
    const DisplayRow* near = nearestFocusableRow(list, focus_.hasRow ? focus_.row : IndexPath{});
    if (near) focusRow(focus_, near);
  }
  if (focus_.area == Focus::Area::Toolbar) {
    const DisplayToolbar* bar = toolbar(list);
    if (!bar || focus_.toolbarEntry < 0 ||
        focus_.toolbarEntry >= static_cast<int>(bar->entries.size())) {
      focus_.area = Focus::Area::Table;
    }
  }
  const void* overlay = overlayOf(list);
  if (overlay != focus_.overlay) {
    focus_.overlay = overlay;
    focus_.overlayIndex = 0;
  }
  const EditingInfo edit = editing(list);
  if (!edit || edit.control->view.get() != focus_.escapedEdit) focus_.escapedEdit = nullptr;
}

}  // namespace zt::term
