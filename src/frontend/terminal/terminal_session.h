// TerminalSession: the running front end on a real terminal. It redraws when the model changed
// (polled from a timer, at most once a frame), and feeds keys, clicks and signals to the
// FrontEnd; it quits the run loop or suspends the process when asked. Main thread only.
#pragma once

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
  RunLoop::Id inputWatch_ = 0;
  RunLoop::Id signalWatch_ = 0;
  RunLoop::Id frameTimer_ = 0;
};

}  // namespace zt::term
