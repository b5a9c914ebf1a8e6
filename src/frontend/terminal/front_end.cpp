#include "frontend/terminal/front_end.h"

#include "frontend/terminal/display_query.h"
#include "frontend/terminal/key_mapper.h"
#include "frontend/terminal/layout.h"
#include "frontend/terminal/touch_dispatch.h"
#include "platform/ui/application.h"
#include "platform/ui/table_view.h"
#include "platform/ui/text_view.h"
#include "platform/ui/touch.h"

namespace zt::term {

bool FrontEnd::modelChanged() const { return !built_ || modelGeneration() != generation_; }

void FrontEnd::refresh() {
  if (!modelChanged()) return;
  list_ = buildDisplayList(Application::shared());
  generation_ = modelGeneration();  // building lays tables out, which may count as a change
  built_ = true;
  focus_.update(list_);
}

FrontEnd::Request FrontEnd::key(const Key& key, int height) {
  refresh();
  return perform(mapKey(key, focus_.focus(), list_, pageRows(height)));
}

FrontEnd::Request FrontEnd::click(int x, int y) {
  refresh();
  return perform(mapClick(shown_.hit(x, y), focus_.focus(), list_));
}

const CellScreen& FrontEnd::frame(int width, int height) {
  refresh();
  focus_.update(list_);
  layoutScreen(shown_, list_, focus_.focus(), width, height, scroll_);
  // A screen that fills its text views to the lines shown does so now, for this frame.
  const std::uint64_t before = modelGeneration();
  for (const CellScreen::TextBlock& block : shown_.textBlocks) {
    if (auto* view = dynamic_cast<TextView*>(block.view.get())) {
      Touch::showTextLines(*view, block.lines, block.columns);
    }
  }
  if (modelGeneration() != before) {
    refresh();
    layoutScreen(shown_, list_, focus_.focus(), width, height, scroll_);
  }
  return shown_;
}

FrontEnd::Request FrontEnd::perform(const std::vector<Action>& actions) {
  for (const Action& action : actions) {
    if (performTouch(action)) continue;
    if (const auto* move = std::get_if<act::SetFocus>(&action)) {
      focus_.set(move->focus);
    } else if (const auto* request = std::get_if<act::ScrollTable>(&action)) {
      scroll(*request);
    } else if (std::holds_alternative<act::Suspend>(action)) {
      return Request::Suspend;
    } else if (std::holds_alternative<act::Quit>(action)) {
      return Request::Quit;
    }
  }
  return Request::None;
}

// Brings rows the model has not built into view, then puts the focus on the one reached (or
// the nearest row that can take it).
void FrontEnd::scroll(const act::ScrollTable& request) {
  if (!request.table) return;
  const auto reached = scrollTable(*request.table, request.from, request.rows);
  if (!reached) return;
  refresh();
  const DisplayRow* shown = findRow(list_, request.table.get(), *reached);
  if (!shown || !isFocusable(*shown)) {
    // A table taller than the screen has its bottom rows off screen (covered by nothing the
    // model can show): bring the row to the top of the table instead, which is on screen.
    request.table->scrollToRowAtIndexPath(*reached, TableViewScrollPosition::Top, false);
    refresh();
  }
  const DisplayRow* row = findRow(list_, request.table.get(), *reached);
  if (!row || !isFocusable(*row)) row = nearestFocusableRow(list_, *reached);
  if (!row) return;
  Focus moved = focus_.focus();
  moved.area = Focus::Area::Table;
  moved.table = row->table.get();
  moved.hasRow = true;
  moved.row = row->path;
  focus_.set(moved);
}

}  // namespace zt::term
