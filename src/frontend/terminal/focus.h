// Focus: which control the keyboard acts on (a table row or a toolbar entry, and the chosen
// entry of an alert or action sheet), and FocusTracker, which keeps it sensible as display lists
// come and go: a screen shown for the first time starts on its first focusable row, a screen
// shown again gets back the focus it had, a row that went away hands the focus to its neighbour,
// a table shown over the screen (a picker) takes the focus on its checked row and gives it back
// to where it was when it goes, and an Esc that did not end an edit is forgotten once that edit
// ends.
//
// Screens are told apart by their table (the first one in the display list); identities are
// compared only, never dereferenced. Main thread only, like the display list.
#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/ui/display_list.h"

namespace zt::term {

struct Focus {
  enum class Area { Table, Toolbar };
  Area area = Area::Table;
  const TableView* table = nullptr;  // the focused row's table: identity only
  bool hasRow = false;
  IndexPath row;                     // the focused row of `table`, when hasRow
  int toolbarEntry = -1;             // index into the toolbar's entries, when area is Toolbar
  const void* overlay = nullptr;     // the alert or action sheet overlayIndex belongs to
  int overlayIndex = 0;              // chosen button of the alert or entry of the sheet
  const View* escapedEdit = nullptr;  // the edited field that an Esc did not end
  friend bool operator==(const Focus&, const Focus&) = default;
};

class FocusTracker {
 public:
  // Brings the focus in line with the display list now shown.
  void update(const DisplayList& list);
  const Focus& focus() const { return focus_; }
  void set(const Focus& focus) { focus_ = focus; }

 private:
  void switchScreen(const DisplayList& list, const std::shared_ptr<TableView>& table);
  void followTableOnTop(const DisplayList& list);

  Focus focus_;
  const TableView* screen_ = nullptr;  // the table that tells the screen shown apart
  std::weak_ptr<TableView> current_;
  std::vector<std::pair<std::weak_ptr<TableView>, Focus>> remembered_;
  std::weak_ptr<TableView> onTop_;  // the table shown over the screen's, while there is one
  std::optional<Focus> beneath_;    // the focus it took, to give back when it goes
};

// The focusable row nearest to `path` in the list (the first at or after it, else the last).
const DisplayRow* nearestFocusableRow(const DisplayList& list, IndexPath path);

}  // namespace zt::term
