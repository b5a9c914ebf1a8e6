// Questions the front end asks of a display list: where the bars, overlays, the screen's key
// commands and the edited field are, which rows a person can act on, and what activating a row
// or a toolbar entry does.
// Pure functions over a DisplayList; the pointers they return point into that list.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/display_list.h"

namespace zt::term {

const DisplayNavigationBar* navigationBar(const DisplayList& list);
const DisplayToolbar* toolbar(const DisplayList& list);
const DisplayKeyboard* keyboard(const DisplayList& list);
const DisplayAlert* alert(const DisplayList& list);
const DisplayActionSheet* actionSheet(const DisplayList& list);
const DisplayKeyCommands* keyCommands(const DisplayList& list);
std::vector<const DisplayRow*> rows(const DisplayList& list);
const DisplayRow* findRow(const DisplayList& list, const TableView* table, IndexPath path);
// The table of the screen shown: the first table in drawing order (null without one).
std::shared_ptr<TableView> screenTable(const DisplayList& list);
// A table shown over the screen's own (a picker): the last table in drawing order, when it is
// not the screen's table; null when none is shown.
std::shared_ptr<TableView> tableOnTop(const DisplayList& list);

// Where the first responder is.
struct EditingInfo {
  const DisplayControl* control = nullptr;
  const DisplayRow* row = nullptr;  // set when the field sits in a row
  int toolbarEntry = -1;            // set when the field sits in the toolbar
  explicit operator bool() const { return control != nullptr; }
};
EditingInfo editing(const DisplayList& list);

bool isTextInput(const DisplayControl& control);
// A read-only text view tall enough to show several lines (a log), drawn as a block of lines.
// An editable text view is drawn and edited as a one-line field, whatever its height.
bool isMultiLine(const DisplayRow& row, const DisplayControl& control);
// The control that Enter acts on in this row: an enabled switch, else an editable text input.
const DisplayControl* activeControl(const DisplayRow& row);
// A row the focus stops on: not covered, and selectable or holding an active control or a
// detail button.
bool isFocusable(const DisplayRow& row);
// The rows the keyboard moves among: the focusable rows of the table on top while one is
// shown, else every focusable row.
std::vector<const DisplayRow*> focusableRows(const DisplayList& list);
// A toolbar entry that Tab stops on: an enabled button or an enabled control.
bool isToolbarStop(const DisplayToolbar::Entry& entry);
// The first button to the right of the toolbar field at `fieldEntry` (Send), when it is enabled.
const DisplayToolbar::Entry* buttonAfterField(const DisplayList& list, int fieldEntry);

}  // namespace zt::term
