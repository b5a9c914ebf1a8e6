// TerminalSession: the running front end. It keeps the display list, the focus and the scroll,
// redraws when the model changed (polled from a timer, at most once a frame), and runs keys,
// clicks and signals through the key mapper and the dispatcher. Main thread only.
#pragma once

#include <cstdint>
#include <optional>

#include "frontend/terminal/action.h"
#include "frontend/terminal/cell_screen.h"
#include "frontend/terminal/curses_terminal.h"
#include "frontend/terminal/focus.h"
#include "frontend/terminal/run_terminal.h"
#include "frontend/terminal/signal_watch.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/display_list.h"

namespace zt::term {

class TerminalSession {
 public:
  TerminalSession(CursesTerminal& terminal, SignalWatch& signals, RunLoop& loop,
                  const TerminalOptions& options);
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Draws the first frame and starts watching input, signals and the model.
  void start();

 private:
  void onInput();
  void onSignals();
  void onFrame();
  void refreshList();
  void render();
  void perform(const std::vector<Action>& actions);
  void scroll(const act::ScrollTable& request);
  void suspend();
  void quit();

  CursesTerminal& terminal_;
  SignalWatch& signals_;
  RunLoop& loop_;
  TerminalOptions options_;
  DisplayList list_;
  std::uint64_t generation_ = 0;
  bool built_ = false;
  bool dirty_ = true;
  FocusTracker focus_;
  int scroll_ = 0;
  std::optional<CellScreen> shown_;  // the last frame drawn, for clicks
  RunLoop::Id inputWatch_ = 0;
  RunLoop::Id signalWatch_ = 0;
  RunLoop::Id frameTimer_ = 0;
  bool stopped_ = false;
};

}  // namespace zt::term
