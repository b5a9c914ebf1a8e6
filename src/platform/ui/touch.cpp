#include "platform/ui/touch.h"

#include <algorithm>

#include "platform/ui/action_sheet.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/button.h"
#include "platform/ui/hit_test.h"
#include "platform/ui/model_state.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/switch.h"
#include "platform/ui/table_view.h"
#include "platform/ui/text_input.h"
#include "platform/ui/text_view.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/window.h"

namespace zt::Touch {

namespace {

// Lays the key window out so that tables have built the cells the finger may touch.
void layOut() {
  for (auto& window : Application::shared().windows()) window->layoutIfNeeded();
}

// Whether the screen takes touches at all now: no alert or sheet is shown.
bool screenTakesTouches() {
  assertMainThread();
  return Application::shared().popups().empty();
}

// Touches `target` at `point`; when something covers it, that covering view gets the touch.
bool reach(const View& target, Point point) {
  if (!target.isOnScreen()) return false;
  auto hit = viewAtScreenPoint(point);
  if (hit && hit->isDescendantOf(target)) return true;
  if (hit) deliverStrayTouch(hit);
  return false;
}

bool reachCentre(const View& target) { return reach(target, target.frameInWindow().center()); }

std::shared_ptr<NavigationController> shownNavigation() {
  auto window = Application::shared().keyWindow();
  auto root = window ? window->rootViewController() : nullptr;
  auto navigation = std::dynamic_pointer_cast<NavigationController>(root);
  if (!navigation || !navigation->isViewLoaded() || !navigation->view()->isOnScreen())
    return nullptr;
  return navigation;
}

std::shared_ptr<Toolbar> findToolbar(View& view, const BarButtonItem* item, std::size_t& index) {
  if (view.isHidden()) return nullptr;
  if (auto* toolbar = dynamic_cast<Toolbar*>(&view)) {
    for (std::size_t i = 0; i < toolbar->items().size(); ++i) {
      if (toolbar->items()[i].get() == item) {
        index = i;
        return std::static_pointer_cast<Toolbar>(toolbar->shared_from_this());
      }
    }
  }
  for (const auto& child : view.subviews()) {
    if (auto found = findToolbar(*child, item, index)) return found;
  }
  return nullptr;
}

// Taps `item` where `bar` shows it: at the left end for the left item, the right end for the
// right one.
bool tapItemOnBar(const View& bar, const NavigationItem& navItem, BarButtonItem& item) {
  const bool left = navItem.leftBarButtonItem().get() == &item;
  const bool right = navItem.rightBarButtonItem().get() == &item;
  if (!left && !right) return false;
  const Rect barRect = bar.frameInWindow();
  const float x = left ? barRect.x + 30 : barRect.maxX() - 30;
  if (!reach(bar, {x, barRect.center().y}) || !item.isEnabled()) return false;
  item.sendAction();
  return true;
}

bool tapNavigationItem(NavigationController& navigation, BarButtonItem* item) {
  auto top = navigation.topViewController();
  if (!top) return false;
  auto bar = navigation.navigationBar();
  if (item == nullptr) {
    const Rect barRect = bar->frameInWindow();
    if (!navigation.backButtonTitle()) return false;
    if (!reach(*bar, {barRect.x + 30, barRect.center().y})) return false;
    navigation.popViewControllerAnimated(true);
    return true;
  }
  return tapItemOnBar(*bar, top->navigationItem(), *item);
}

// The items on the bar of the modally presented screen on top, which has no back button.
bool tapModalItem(BarButtonItem* item) {
  auto screen = visibleController();
  const auto& bar = screen ? screen->modalBar() : nullptr;
  return bar && item && tapItemOnBar(*bar, screen->navigationItem(), *item);
}

bool tapToolbarItem(BarButtonItem& item) {
  auto window = Application::shared().keyWindow();
  std::size_t index = 0;
  auto toolbar = window ? findToolbar(*window, &item, index) : nullptr;
  if (!toolbar || item.customView() || item.isFlexibleSpace()) return false;
  Rect r = toolbar->convertRectToWindow(toolbar->rectForItemAtIndex(index));
  if (!reach(*toolbar, r.center()) || !item.isEnabled()) return false;
  item.sendAction();
  return true;
}

std::shared_ptr<TextInput> editingInput() {
  if (!screenTakesTouches()) return nullptr;
  return Application::shared().keyboard().firstResponder();
}

bool typeKey(TextInput& input, const std::string& key) {
  if (key == "\n") {
    if (input.keyboardType() == KeyboardType::NumberPad) return false;
    input.returnKeyPressed();
    return true;
  }
  if (input.keyboardType() == KeyboardType::NumberPad &&
      (key.size() != 1 || key[0] < '0' || key[0] > '9')) {
    return false;
  }
  input.replaceByTyping(input.selectedRange(), key);
  return true;
}

// Taps button `index` of `popup`; false when the popup is not on top or has no such button.
template <typename P>
bool tapPopupButton(P& popup, int index) {
  assertMainThread();
  auto count = static_cast<int>(popup.buttonTitles().size());
  if (!Application::shared().isTopPopup(&popup) || index < 0 || index >= count) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  popup.clickButton(index);
  return true;
}

}  // namespace

bool tapRow(TableView& table, IndexPath path) {
  if (!screenTakesTouches()) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  layOut();
  auto cell = table.cellForRowAtIndexPath(path);
  if (!cell || !reach(*cell, visibleCellRect(*cell).center()) || !table.allowsSelection()) {
    return false;
  }
  auto keepTable = table.shared_from_this();
  if (auto d = table.delegate()) d->didSelectRowAtIndexPath(table, path);
  return true;
}

bool tapDetailButton(TableView& table, IndexPath path) {
  if (!screenTakesTouches()) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  layOut();
  auto cell = table.cellForRowAtIndexPath(path);
  if (!cell || cell->accessoryView() ||
      cell->accessoryType() != TableViewCellAccessoryType::DetailDisclosureButton) {
    return false;
  }
  Rect r = visibleCellRect(*cell);
  float markX = r.maxX() - TableViewCell::kAccessoryMargin - TableViewCell::kAccessoryMarkWidth / 2;
  if (!reach(*cell, {markX, r.center().y})) return false;
  auto keepTable = table.shared_from_this();
  if (auto d = table.delegate()) d->accessoryButtonTappedForRowWithIndexPath(table, path);
  return true;
}

bool tapBarButton(BarButtonItem* item) {
  if (!screenTakesTouches()) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  layOut();
  if (auto navigation = shownNavigation()) {
    if (tapNavigationItem(*navigation, item)) return true;
  }
  if (tapModalItem(item)) return true;
  return item && tapToolbarItem(*item);
}

bool tapButton(Button& button) {
  if (!screenTakesTouches()) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  layOut();
  if (!reachCentre(button) || !button.isEnabled()) return false;
  button.sendActionsForControlEvents(ControlEvent::TouchUpInside);
  return true;
}

bool toggleSwitch(Switch& control) {
  if (!screenTakesTouches()) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  layOut();
  if (!reachCentre(control) || !control.isEnabled()) return false;
  auto keep = control.shared_from_this();
  control.setOn(!control.isOn(), true);
  control.sendActionsForControlEvents(ControlEvent::ValueChanged);
  control.sendActionsForControlEvents(ControlEvent::TouchUpInside);
  return true;
}

bool tapTextInput(View& input) {
  if (!screenTakesTouches()) return false;
  auto* text = dynamic_cast<TextInput*>(&input);
  if (!text) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  layOut();
  if (!reachCentre(input) || !text->isEnabled()) return false;
  return text->becomeFirstResponder();
}

bool typeText(std::string_view utf8) {
  [[maybe_unused]] const auto kept = retainControllers();
  bool typed = false;
  std::string text(utf8);
  for (std::size_t at = 0; at < text.size();) {
    auto input = editingInput();
    if (!input) break;
    std::size_t next = utf8::advance(text, at, 1);
    typed = typeKey(*input, text.substr(at, next - at)) || typed;
    at = next;
  }
  return typed;
}

bool pasteText(std::string_view utf8) {
  [[maybe_unused]] const auto kept = retainControllers();
  auto input = editingInput();
  if (!input) return false;
  input->replaceByTyping(input->selectedRange(), std::string(utf8));
  return true;
}

bool deleteBackward() {
  [[maybe_unused]] const auto kept = retainControllers();
  auto input = editingInput();
  if (!input) return false;
  Range range = input->selectedRange();
  if (range.length == 0) {
    if (range.location == 0) return false;
    std::size_t start = utf8::advance(input->text(), range.location, -1);
    range = {start, range.location - start};
  }
  input->replaceByTyping(range, "");
  return true;
}

bool moveCursor(int characters) {
  auto input = editingInput();
  if (!input) return false;
  Range range = input->selectedRange();
  std::size_t from = characters < 0 ? range.location : range.location + range.length;
  input->setSelectedRange({utf8::advance(input->text(), from, characters), 0});
  return true;
}

bool pressReturn() { return typeText("\n"); }

bool touchElsewhere() {
  if (!screenTakesTouches()) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  auto controller = visibleController();
  if (!controller) return false;
  controller->touchesEnded();
  return true;
}

bool chooseActionSheetEntry(ActionSheet& sheet, int index) { return tapPopupButton(sheet, index); }

bool tapAlertButton(AlertView& alert, int index) { return tapPopupButton(alert, index); }

bool pressKeyCommand(ViewController& screen, std::string_view input) {
  if (!screenTakesTouches()) return false;
  [[maybe_unused]] const auto kept = retainControllers();
  if (visibleController().get() != &screen) return false;
  const auto field = Application::shared().keyboard().firstResponder();
  const bool editing = field && screen.isViewLoaded() && field->isDescendantOf(*screen.view());
  const auto commands = screen.keyCommands();
  const auto pressed = std::find_if(commands.begin(), commands.end(), [&](const KeyCommand& c) {
    return c.input == input && keyCommandApplies(input, c.scope, editing);
  });
  if (pressed == commands.end()) return false;
  if (pressed->action) pressed->action();
  return true;
}

bool showTextLines(TextView& view, int lines, int columns) {
  assertMainThread();
  if (view.isEditable() || lines < 0 || columns < 0) return false;
  view.setVisibleSize(lines, columns);
  return true;
}

}  // namespace zt::Touch
