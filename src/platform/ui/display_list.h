// DisplayList: a plain description of what the application shows right now, in drawing order,
// built from the widget model. The terminal front end draws it; tests assert on it and on its
// plain-text form. It holds no layout in terminal cells: roles and order only, plus the point
// sizes the model gives (row heights), which a renderer may use as hints.
//
// Each touchable item carries the model object to hand to Touch (touch.h), so a renderer never
// needs to know which screen it is drawing. Build it on the main thread; it stays valid (the
// handles are shared pointers) after the model has changed, but then describes the past.
//
// Drawing order: the navigation bar (or the bar of a modally presented screen), then for each
// visible table (back to front) its sections and rows, then the toolbar, then the keyboard, then
// the key commands of the screen on top, then an action sheet or an alert on top.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/geometry.h"
#include "platform/ui/key_command.h"
#include "platform/ui/text_alignment.h"

namespace zt {

class Application;
class BarButtonItem;
class Button;
class TableView;
class View;
class AlertView;
class ActionSheet;
class ViewController;

struct IndexPath {
  int section = 0;
  int row = 0;
  friend bool operator==(const IndexPath&, const IndexPath&) = default;
  // NOLINTNEXTLINE(modernize-use-nullptr): the check misreads a defaulted <=>
  friend auto operator<=>(const IndexPath&, const IndexPath&) = default;
};

// A bar button as shown: title ("Back", "Cancel", "OK"), or a system item's glyph name
// ("Action" for the system action item).
struct DisplayBarButton {
  std::string title;
  bool enabled = true;
  bool isBackButton = false;  // the navigation controller's back button (pops when tapped)
  std::shared_ptr<BarButtonItem> item;  // null for the back button
};

struct DisplayNavigationBar {
  std::string title;
  std::optional<DisplayBarButton> left;
  std::optional<DisplayBarButton> right;
};

struct DisplaySectionHeader {
  std::shared_ptr<TableView> table;
  int section = 0;
  std::string text;  // may be empty: an empty header still separates groups
};

enum class DisplayAccessory { None, DisclosureIndicator, Checkmark, DetailButton };

// A control that sits in a row (as its accessory view or inside its content view), or in a
// toolbar.
struct DisplayControl {
  enum class Kind { Switch, TextField, TextView, Button };
  Kind kind = Kind::Switch;
  std::shared_ptr<View> view;  // the Switch, TextField, TextView or Button
  bool on = false;             // switches
  std::string text;            // fields and views: their text; buttons: their title
  std::string placeholder;
  bool enabled = true;
  bool editable = true;        // text views: a log view is not editable
  bool editing = false;        // the first responder
  std::size_t cursor = 0;      // byte offset of the insertion point in `text`, while editing
  TextAlignment alignment = TextAlignment::Left;
  bool numeric = false;        // number pad keyboard
  std::vector<Range> marked;   // text views: parts shown marked (byte ranges of `text`)
  EdgeInsets inset;            // text views: the padding kept around the text
};

struct DisplayRow {
  std::shared_ptr<TableView> table;
  IndexPath path;
  std::string title;
  std::string value;  // the detail label (value-1 style), "" when none
  TextAlignment titleAlignment = TextAlignment::Left;
  DisplayAccessory accessory = DisplayAccessory::None;
  std::vector<DisplayControl> controls;  // accessory view first, then content controls
  std::vector<std::string> lines;  // texts of further labels placed in the cell, in order
  std::string image;               // the image at the left, by name; "" when none
  bool covered = false;            // another view (an overlay, a table, the bar) lies over it
  bool selectable = true;  // the table allows selection and the row may be tapped
  bool highlighted = false;  // the cell has a background colour of its own (not clear)
  int heightPoints = 44;
};

struct DisplayToolbar {
  struct Entry {
    enum class Kind { Button, Control, FlexibleSpace };
    Kind kind = Kind::Button;
    std::string title;     // buttons
    bool enabled = true;
    std::shared_ptr<BarButtonItem> item;  // buttons and controls
    std::optional<DisplayControl> control;  // an item holding a custom view (a text field)
  };
  std::vector<Entry> entries;  // left to right
};

// The on-screen keyboard while a text input is first responder, with any keys a screen laid
// over it (the number pad's "Done").
struct DisplayKeyboard {
  bool numeric = false;
  std::vector<std::pair<std::string, std::shared_ptr<Button>>> extraKeys;
};

struct DisplayAlert {
  std::shared_ptr<AlertView> alert;
  std::string title;
  std::string message;
  std::vector<std::string> buttons;  // index order; the cancel button first, as the toolkit
};

struct DisplayActionSheet {
  std::shared_ptr<ActionSheet> sheet;
  std::string title;
  std::vector<std::string> buttons;  // index order; the cancel button last
  int cancelIndex = -1;
};

// The key commands of the screen on top (the top of the navigation stack, or the screen
// presented modally), in its order; present only when it has some.
struct DisplayKeyCommands {
  struct Command {
    std::string input;
    std::string title;
    KeyCommandScope scope = KeyCommandScope::Always;
  };
  // The screen, for Touch::pressKeyCommand. Weak: a list kept between frames must not keep a
  // screen alive after its navigation stack let it go.
  std::weak_ptr<ViewController> screen;
  std::vector<Command> commands;
};

using DisplayItem = std::variant<DisplayNavigationBar, DisplaySectionHeader, DisplayRow,
                                 DisplayToolbar, DisplayKeyboard, DisplayKeyCommands,
                                 DisplayAlert, DisplayActionSheet>;

struct DisplayList {
  std::vector<DisplayItem> items;

  // One line per item, each ending in "\n". Stable: tests compare it. Line formats:
  //   navigation bar  "[< Back] Accessory List [Action]"  (back button "[< title]", a left or
  //                   right item "[title]", a disabled one "[(title)]"; parts joined by one blank;
  //                   "(no title)" for a bar with neither title nor buttons); a modally presented
  //                   screen's own bar has the same form ("Zemra Telvo [Done]")
  //   section header  "== Quorvel Service =="  ("== ==" when the title is empty)
  //   row             "row 1.0 | Quorvel | [ON ]": "row S.R", then " | " before each of: the
  //                   title, the value (if any), the mark (">" disclosure, "(i)" detail button,
  //                   "(v)" checkmark), each control, each further label; " (covered)" at the end
  //                   when something lies over the row
  //   controls        "[ON ]", "[OFF]", "[text field: abc|]" (the cursor "|" while editing),
  //                   "[text view: ...]", "[button: Done]"; " (disabled)" or " (read-only)"
  //                   before the colon; an empty field not being edited shows its placeholder,
  //                   " (placeholder)" before the colon; "\r" and "\n" in texts written as
  //                   backslash-r and -n, other control characters in their visible forms ("^["
  //                   for ESC), marked parts of a text view between "«" and "»"
  //   toolbar         "toolbar: [text field: ] [Send]"  (flexible spaces left out)
  //   keyboard        "keyboard: standard" or "keyboard: number pad [Done]"
  //   key commands    "key commands: [F3 History] [Up (while editing)] [/ Search (not editing)]"
  //                   (input, then the title when there is one, then the scope unless Always)
  //   alert           "alert: Warning | Please first set Quorvel key | [OK]"
  //   action sheet    "action sheet: [About] [Cancel]"  ("action sheet: Title | [A] [Cancel]")
  std::string toText() const;
};

// Builds the display list of the application's key window (and the keyboard window): views that
// are hidden or lie wholly outside the screen are left out, and so are rows outside the
// application frame. Lays the windows out first (tables build their visible cells).
DisplayList buildDisplayList(const Application& app);

// Increases whenever anything visible in the model changes; a renderer redraws when it moved.
std::uint64_t modelGeneration();

}  // namespace zt
