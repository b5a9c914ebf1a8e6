// Action: what a key press or a click asks for. Most name one Touch call and its target (a key
// command: the screen and the key); the others move the focus, scroll a table, quit or suspend.
// The key mapper produces them without touching anything; the dispatcher carries them out in
// order.
//
// Plain values; the model objects they name are shared pointers, used on the main thread only.
#pragma once

#include <memory>
#include <string>
#include <variant>

#include "frontend/terminal/focus.h"
#include "platform/ui/display_list.h"

namespace zt::term {

namespace act {
struct TapRow { std::shared_ptr<TableView> table; IndexPath path; };
struct TapDetailButton { std::shared_ptr<TableView> table; IndexPath path; };
struct TapBarButton { std::shared_ptr<BarButtonItem> item; };  // null: the back button
struct TapKey { std::shared_ptr<Button> button; };             // a key over the keyboard
struct TapControlButton { std::shared_ptr<View> button; };     // a button inside a row
struct ToggleSwitch { std::shared_ptr<View> control; };
struct TapTextInput { std::shared_ptr<View> input; };
struct TypeText { std::string text; };
struct DeleteBackward {};
struct MoveCursor { int characters = 0; };
struct PressReturn {};
struct TouchElsewhere {};
struct ChooseSheetEntry { std::shared_ptr<ActionSheet> sheet; int index = 0; };
struct TapAlertButton { std::shared_ptr<AlertView> alert; int index = 0; };
struct SetFocus { Focus focus; };
// The wanted row lies outside the rows the model built: scroll the table `rows` rows on from
// `from` and focus the row found there.
struct ScrollTable { std::shared_ptr<TableView> table; IndexPath from; int rows = 0; };
struct Quit {};
struct Suspend {};
struct PressKeyCommand { std::weak_ptr<ViewController> screen; std::string input; };
}  // namespace act

using Action = std::variant<act::TapRow, act::TapDetailButton, act::TapBarButton, act::TapKey,
                            act::TapControlButton, act::ToggleSwitch, act::TapTextInput,
                            act::TypeText, act::DeleteBackward, act::MoveCursor,
                            act::PressReturn, act::TouchElsewhere, act::ChooseSheetEntry,
                            act::TapAlertButton, act::SetFocus, act::ScrollTable, act::Quit,
                            act::Suspend, act::PressKeyCommand>;

}  // namespace zt::term
