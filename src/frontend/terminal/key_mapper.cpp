#include "frontend/terminal/key_mapper.h"

#include <algorithm>

#include "frontend/terminal/display_query.h"
#include "frontend/terminal/key_table.h"

namespace zt::term {
namespace {

using Actions = std::vector<Action>;

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

std::vector<Action> mapKey(const Key& key, const Focus& focus, const DisplayList& list,
                           int pageRows) {
  const KeyContext context = keyContext(list, focus, pageRows);
  const std::string name = keyName(key);
  const auto commands = applicableCommands(context);
  if (std::any_of(commands.begin(), commands.end(),
                  [&](const auto* command) { return command->input == name; })) {
    return {act::PressKeyCommand{keyCommands(list)->screen, name}};
  }
  const auto table = keyRows(context.state);
  const auto row =
      std::find_if(table.begin(), table.end(), [&](const KeyRow* r) { return takes(*r, key); });
  return row == table.end() ? Actions{} : (*row)->act(key, context);
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
