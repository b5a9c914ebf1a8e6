#include "frontend/terminal/overlay_keys.h"

#include <algorithm>

#include "frontend/terminal/display_query.h"
#include "frontend/terminal/key_mapper.h"

namespace zt::term {
namespace {

using Code = Key::Code;
using Actions = std::vector<Action>;

// 1..9 as an index from 0, or -1.
int digitIndex(const Key& key, int count) {
  if (key.code != Code::Char || key.text.size() != 1) return -1;
  const int index = key.text[0] - '1';
  return index >= 0 && index < std::min(count, 9) ? index : -1;
}

Actions moveChoice(const Focus& focus, int index) {
  Focus moved = focus;
  moved.overlayIndex = index;
  return {act::SetFocus{moved}};
}

bool quits(const Key& key, bool editing) {
  return !editing && key.code == Code::Char && key.text == "q";
}

Focus focusOnTarget(const Focus& focus, const Target& target) {
  Focus moved = focus;
  if (target.table) {
    moved.area = Focus::Area::Table;
    moved.table = target.table.get();
    moved.hasRow = true;
    moved.row = target.path;
  } else if (target.index >= 0) {
    moved.area = Focus::Area::Toolbar;
    moved.toolbarEntry = target.index;
  }
  return moved;
}

}  // namespace

std::vector<Action> alertKey(const Key& key, const Focus& focus, const DisplayAlert& alert,
                             bool editing) {
  const int count = static_cast<int>(alert.buttons.size());
  if (count == 0) return quits(key, editing) ? Actions{act::Quit{}} : Actions{};
  const int current = std::clamp(focus.overlayIndex, 0, count - 1);
  switch (key.code) {
    case Code::Escape: return {act::TapAlertButton{alert.alert, 0}};
    case Code::Enter: return {act::TapAlertButton{alert.alert, current}};
    case Code::Left:
    case Code::Up:
    case Code::BackTab: return moveChoice(focus, (current + count - 1) % count);
    case Code::Right:
    case Code::Down:
    case Code::Tab: return moveChoice(focus, (current + 1) % count);
    default: break;
  }
  if (const int index = digitIndex(key, count); index >= 0) {
    return {act::TapAlertButton{alert.alert, index}};
  }
  return quits(key, editing) ? Actions{act::Quit{}} : Actions{};
}

std::vector<Action> sheetKey(const Key& key, const Focus& focus, const DisplayActionSheet& sheet,
                             bool editing) {
  const int count = static_cast<int>(sheet.buttons.size());
  if (count == 0) return quits(key, editing) ? Actions{act::Quit{}} : Actions{};
  const int current = std::clamp(focus.overlayIndex, 0, count - 1);
  const int cancel = sheet.cancelIndex >= 0 && sheet.cancelIndex < count ? sheet.cancelIndex
                                                                          : count - 1;
  switch (key.code) {
    case Code::Escape: return {act::ChooseSheetEntry{sheet.sheet, cancel}};
    case Code::Enter: return {act::ChooseSheetEntry{sheet.sheet, current}};
    case Code::Up:
    case Code::BackTab: return moveChoice(focus, std::max(current - 1, 0));
    case Code::Down:
    case Code::Tab: return moveChoice(focus, std::min(current + 1, count - 1));
    case Code::Home: return moveChoice(focus, 0);
    case Code::End: return moveChoice(focus, count - 1);
    default: break;
  }
  if (const int index = digitIndex(key, count); index >= 0) {
    return {act::ChooseSheetEntry{sheet.sheet, index}};
  }
  return quits(key, editing) ? Actions{act::Quit{}} : Actions{};
}

std::vector<Action> mapClick(const Target* target, const Focus& focus, const DisplayList& list) {
  const bool modal = alert(list) || actionSheet(list);
  if (!target) {
    return !modal && editing(list) ? Actions{act::TouchElsewhere{}} : Actions{};
  }
  using Kind = Target::Kind;
  if (modal && target->kind != Kind::AlertButton && target->kind != Kind::SheetEntry) return {};
  const act::SetFocus moveHere{focusOnTarget(focus, *target)};
  switch (target->kind) {
    case Kind::Row: return {moveHere, act::TapRow{target->table, target->path}};
    case Kind::DetailButton: return {moveHere, act::TapDetailButton{target->table, target->path}};
    case Kind::Switch: return {moveHere, act::ToggleSwitch{target->view}};
    case Kind::TextInput: return {moveHere, act::TapTextInput{target->view}};
    case Kind::ControlButton: return {moveHere, act::TapControlButton{target->view}};
    case Kind::BarButton: return {act::TapBarButton{target->item}};
    case Kind::ToolbarEntry: return {moveHere, act::TapBarButton{target->item}};
    case Kind::KeyboardKey: return {act::TapKey{target->key}};
    case Kind::SheetEntry: return {act::ChooseSheetEntry{target->sheet, target->index}};
    case Kind::AlertButton: return {act::TapAlertButton{target->alert, target->index}};
  }
  return {};
}

}  // namespace zt::term
