#include "frontend/terminal/touch_dispatch.h"

#include <variant>

#include "platform/ui/button.h"
#include "platform/ui/switch.h"
#include "platform/ui/table_view.h"
#include "platform/ui/touch.h"

namespace zt::term {
namespace {

// Walks one row forward or back across sections; false at either end of the table.
bool step(TableView& table, IndexPath& path, int direction) {
  IndexPath next = path;
  next.row += direction;
  while (next.section >= 0 && next.section < table.numberOfSections()) {
    const int rows = table.numberOfRowsInSection(next.section);
    if (next.row >= 0 && next.row < rows) {
      path = next;
      return true;
    }
    next.section += direction;
    next.row = direction > 0 ? 0 : (next.section >= 0 && next.section < table.numberOfSections()
                                        ? table.numberOfRowsInSection(next.section) - 1
                                        : -1);
  }
  return false;
}

template <typename T>
T* as(const std::shared_ptr<View>& view) {
  return dynamic_cast<T*>(view.get());
}

// Each touch is carried out for its effect on the model; whether it reached its target (a
// disabled control, a row off screen) changes nothing here. Returns whether it was a touch.
struct TouchVisitor {
  bool operator()(const act::TapRow& a) const {
    if (a.table) Touch::tapRow(*a.table, a.path);
    return true;
  }
  bool operator()(const act::TapDetailButton& a) const {
    if (a.table) Touch::tapDetailButton(*a.table, a.path);
    return true;
  }
  bool operator()(const act::TapBarButton& a) const {
    Touch::tapBarButton(a.item.get());
    return true;
  }
  bool operator()(const act::TapKey& a) const {
    if (a.button) Touch::tapButton(*a.button);
    return true;
  }
  bool operator()(const act::TapControlButton& a) const {
    if (auto* button = as<Button>(a.button)) Touch::tapButton(*button);
    return true;
  }
  bool operator()(const act::ToggleSwitch& a) const {
    if (auto* control = as<Switch>(a.control)) Touch::toggleSwitch(*control);
    return true;
  }
  bool operator()(const act::TapTextInput& a) const {
    if (a.input) Touch::tapTextInput(*a.input);
    return true;
  }
  bool operator()(const act::TypeText& a) const {
    Touch::typeText(a.text);
    return true;
  }
  bool operator()(const act::DeleteBackward&) const {
    Touch::deleteBackward();
    return true;
  }
  bool operator()(const act::MoveCursor& a) const {
    Touch::moveCursor(a.characters);
    return true;
  }
  bool operator()(const act::PressReturn&) const {
    Touch::pressReturn();
    return true;
  }
  bool operator()(const act::TouchElsewhere&) const {
    Touch::touchElsewhere();
    return true;
  }
  bool operator()(const act::ChooseSheetEntry& a) const {
    if (a.sheet) Touch::chooseActionSheetEntry(*a.sheet, a.index);
    return true;
  }
  bool operator()(const act::TapAlertButton& a) const {
    if (a.alert) Touch::tapAlertButton(*a.alert, a.index);
    return true;
  }
  bool operator()(const act::PressKeyCommand& a) const {
    if (auto screen = a.screen.lock()) Touch::pressKeyCommand(*screen, a.input);
    return true;
  }
  template <typename Other>
  bool operator()(const Other&) const {
    return false;
  }
};

}  // namespace

bool performTouch(const Action& action) { return std::visit(TouchVisitor{}, action); }

std::optional<IndexPath> scrollTable(TableView& table, IndexPath from, int rows) {
  IndexPath path = from;
  const int direction = rows > 0 ? 1 : -1;
  int moved = 0;
  while (moved != rows && step(table, path, direction)) moved += direction;
  if (path == from) return std::nullopt;
  table.scrollToRowAtIndexPath(path, direction > 0 ? TableViewScrollPosition::Bottom
                                                   : TableViewScrollPosition::Top,
                               false);
  return path;
}

}  // namespace zt::term
