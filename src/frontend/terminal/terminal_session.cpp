#include "frontend/terminal/terminal_session.h"

#include <poll.h>

#include <csignal>

#include "frontend/terminal/display_query.h"
#include "frontend/terminal/key_mapper.h"
#include "frontend/terminal/layout.h"
#include "frontend/terminal/touch_dispatch.h"
#include "platform/ui/application.h"
#include "platform/ui/table_view.h"

namespace zt::term {

TerminalSession::TerminalSession(CursesTerminal& terminal, SignalWatch& signals, RunLoop& loop,
                                 const TerminalOptions& options)
    : terminal_(terminal), signals_(signals), loop_(loop), options_(options) {}

TerminalSession::~TerminalSession() {
  if (inputWatch_) loop_.unwatch(inputWatch_);
  if (signalWatch_) loop_.unwatch(signalWatch_);
  if (frameTimer_) loop_.cancel(frameTimer_);
}

void TerminalSession::start() {
  inputWatch_ = loop_.watch(terminal_.inputFd(), POLLIN, [this](short events) {
    onInput();
    // The terminal went away (hang-up): nothing will come any more, end as on a quit.
    if (events & (POLLHUP | POLLERR | POLLNVAL)) quit();
  });
  signalWatch_ = loop_.watch(signals_.fd(), POLLIN, [this](short) { onSignals(); });
  render();
  frameTimer_ = loop_.after(options_.frameSeconds, [this] { onFrame(); });
}

// The model is drawn again only when it changed, and at most once a frame: a stream of
// received bytes costs one redraw per frame, however many changes it makes.
void TerminalSession::onFrame() {
  frameTimer_ = 0;
  if (stopped_) return;
  if (dirty_ || !built_ || modelGeneration() != generation_) render();
  frameTimer_ = loop_.after(options_.frameSeconds, [this] { onFrame(); });
}

void TerminalSession::refreshList() {
  if (built_ && modelGeneration() == generation_) return;
  list_ = buildDisplayList(Application::shared());
  generation_ = modelGeneration();  // building lays tables out, which may count as a change
  built_ = true;
  focus_.update(list_);
}

void TerminalSession::render() {
  refreshList();
  focus_.update(list_);
  shown_ = layoutScreen(list_, focus_.focus(), terminal_.width(), terminal_.height(), scroll_);
  terminal_.draw(*shown_);
  dirty_ = false;
}

void TerminalSession::onInput() {
  for (const InputEvent& event : terminal_.read()) {
    if (stopped_) return;
    refreshList();
    switch (event.kind) {
      case InputEvent::Kind::Key:
        perform(mapKey(event.key, focus_.focus(), list_, pageRows(terminal_.height())));
        break;
      case InputEvent::Kind::Click:
        perform(mapClick(shown_ ? shown_->hit(event.x, event.y) : nullptr, focus_.focus(), list_));
        break;
      case InputEvent::Kind::Resize:
        terminal_.resize();
        break;
    }
    dirty_ = true;
  }
  if (!stopped_) render();
}

void TerminalSession::onSignals() {
  for (int signal : signals_.take()) {
    if (stopped_) return;
    if (signal == SIGWINCH) {
      terminal_.resize();
      dirty_ = true;
    } else if (signal == SIGTSTP) {
      suspend();
    } else {
      quit();
    }
  }
  if (!stopped_ && dirty_) render();
}

void TerminalSession::perform(const std::vector<Action>& actions) {
  for (const Action& action : actions) {
    if (stopped_) return;
    if (performTouch(action)) continue;
    if (const auto* focus = std::get_if<act::SetFocus>(&action)) {
      focus_.set(focus->focus);
    } else if (const auto* request = std::get_if<act::ScrollTable>(&action)) {
      scroll(*request);
    } else if (std::holds_alternative<act::Suspend>(action)) {
      suspend();
    } else if (std::holds_alternative<act::Quit>(action)) {
      quit();
    }
  }
}

// Brings rows the model has not built into view, then puts the focus on the one reached (or
// the nearest row that can take it).
void TerminalSession::scroll(const act::ScrollTable& request) {
  if (!request.table) return;
  const auto reached = scrollTable(*request.table, request.from, request.rows);
  if (!reached) return;
  refreshList();
  if (const DisplayRow* row = nearestFocusableRow(list_, *reached)) {
    Focus moved = focus_.focus();
    moved.area = Focus::Area::Table;
    moved.table = row->table.get();
    moved.hasRow = true;
    moved.row = row->path;
    focus_.set(moved);
  }
}

void TerminalSession::suspend() {
  Application::shared().enterBackground();
  terminal_.release();
  std::raise(SIGSTOP);
  // Continued: the terminal may have been used by others meanwhile; draw everything again.
  terminal_.resume();
  terminal_.resize();
  Application::shared().enterForeground();
  dirty_ = true;
  render();
}

void TerminalSession::quit() {
  stopped_ = true;
  loop_.stop();
}

}  // namespace zt::term
