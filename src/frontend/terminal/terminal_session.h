// TerminalSession: the running front end on a real terminal. A change of the model asks for
// one frame, drawn at most once per frame time however many changes come (a longer one while
// they keep coming); with nothing changing nothing runs. It feeds keys, clicks and signals to
// the FrontEnd and quits the run loop or suspends the process when asked. Main thread only; one
// session at a time (it holds the model's change handler while started).
#pragma once

#include <chrono>

#include "frontend/terminal/curses_terminal.h"
#include "frontend/terminal/front_end.h"
#include "frontend/terminal/run_terminal.h"
#include "frontend/terminal/signal_watch.h"
#include "platform/runloop/run_loop.h"

namespace zt::term {

class TerminalSession {
 public:
  TerminalSession(CursesTerminal& terminal, SignalWatch& signals, RunLoop& loop,
                  TerminalOptions options);
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Draws the first frame and starts watching input, signals and the model.
  void start();

 private:
  void onInput(short events);
  void onSignals();
  void requestFrame();
  void onFrame();
  void render();
  void handle(FrontEnd::Request request);
  void suspend();
  void quit();

  CursesTerminal& terminal_;
  SignalWatch& signals_;
  RunLoop& loop_;
  TerminalOptions options_;
  FrontEnd frontEnd_;
  bool dirty_ = true;
  bool stopped_ = false;
  bool rendering_ = false;
  std::chrono::steady_clock::time_point lastFrame_;
  std::chrono::steady_clock::time_point frameBefore_;  // the frame before the last
  RunLoop::Id inputWatch_ = 0;
  RunLoop::Id signalWatch_ = 0;
  RunLoop::Id frameTimer_ = 0;
};

}  // namespace zt::term
