// Touch: the only way input reaches the widget model, for people (through the terminal front
// end) and for tests alike. Each operation does what the finger would do on the phone: it runs
// the same delegate callbacks and target actions in the same order. A touch on something
// hidden, disabled or covered by another view does what the covering view does (or nothing).
// Targets are touched at their centre (a row's detail button at the row's right end), in screen
// coordinates, after laying the screen out; a target that is not on screen is not touched.
// Handlers run with every screen on the navigation stack kept alive until the touch returns.
//
// Main thread only. Operations return whether the touch reached its target.
#pragma once

#include <string_view>

#include "platform/ui/display_list.h"

namespace zt {

class Switch;
class ViewController;
class TextView;

namespace Touch {

// Taps a row: the table delegate's didSelectRowAtIndexPath (if the table allows selection).
bool tapRow(TableView& table, IndexPath path);
// Taps the row's detail-disclosure button: accessoryButtonTappedForRowWithIndexPath.
bool tapDetailButton(TableView& table, IndexPath path);
// Taps a bar button item (of the navigation bar, the bar of a modally presented screen, or a
// toolbar), or the navigation bar's back button when `item` is null.
bool tapBarButton(BarButtonItem* item);
// Taps a plain button (e.g. the "Done" key over the number pad): its touch-up-inside action.
bool tapButton(Button& button);
// Flips a switch as a touch-up-inside does: value changes, then the target runs.
bool toggleSwitch(Switch& control);
// Taps a text field or text view: it becomes first responder (did-begin-editing).
bool tapTextInput(View& input);
// Types text into the first responder at its cursor, one key (character) at a time, each
// through should-change / did-change; a line feed is the Return key. The number pad has digit
// keys only (and no Return): other characters are not typed. False when no key reached a field.
bool typeText(std::string_view utf8);
// Pastes text as one change through should-change / did-change, whatever the keyboard.
bool pasteText(std::string_view utf8);
// Deletes the character before the cursor (should-change with an empty replacement).
bool deleteBackward();
// Moves the first responder's cursor by `characters` (negative: left).
bool moveCursor(int characters);
// The keyboard's Return key: a text view types "\n" through should-change (the delegate may
// refuse it); a text field asks its delegate's textFieldShouldReturn. The number pad has none.
bool pressReturn();
// A touch on the screen outside any control: the visible screen's touchesEnded, which ends
// editing if the screen says so.
bool touchElsewhere();
// The sheet or alert must be the one on top. While one is shown, every other touch is refused.
bool chooseActionSheetEntry(ActionSheet& sheet, int index);
bool tapAlertButton(AlertView& alert, int index);
// Presses the key `input` for one of the screen's key commands (key_command.h): runs the first
// whose input it is and that applies now, with a field of the screen edited or not. Refused
// while an alert or a sheet is up, or when `screen` is not the one on top.
bool pressKeyCommand(ViewController& screen, std::string_view input);

// Not a finger: the renderer tells a read-only text view how many lines of how many cells of it
// it shows (the view's delegate may then fill exactly that many).
bool showTextLines(TextView& view, int lines, int columns);

}  // namespace Touch
}  // namespace zt
