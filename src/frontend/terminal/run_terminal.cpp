#include "frontend/terminal/run_terminal.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "frontend/terminal/curses_terminal.h"
#include "frontend/terminal/layout.h"
#include "frontend/terminal/signal_watch.h"
#include "frontend/terminal/terminal_session.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/application.h"

namespace zt::term {
namespace {

int tell(const TerminalOptions& options, const std::string& failure, int status) {
  (void)std::fprintf(stderr, "%s: %s\n", options.programName.c_str(), failure.c_str());
  return status;
}

// Draws the splash, launches the application and runs the loop until the person quits, then
// ends the application. Returns why it stopped otherwise: the loop's failure, or what an
// exception thrown by a screen or the model said (it ends the run like a failure).
std::string runApplication(CursesTerminal& terminal, SignalWatch& signals,
                           const TerminalOptions& options) {
  std::string failure;
  try {
    terminal.draw(splashScreen(terminal.width(), terminal.height()));
    Application::shared().launch();
    TerminalSession session(terminal, signals, RunLoop::main(), options);
    session.start();
    if (const PlatformError stopped = RunLoop::main().run()) failure = stopped.message();
  } catch (const std::bad_alloc&) {
    failure = "out of memory";
  } catch (const std::exception& e) {
    failure = e.what();
  }
  try {
    Application::shared().terminate();
  } catch (const std::exception& e) {
    if (failure.empty()) failure = e.what();
  }
  return failure;
}

}  // namespace

int RunTerminal(const TerminalOptions& options) {
  // Before the terminal is taken, so that this failure leaves it untouched.
  SignalWatch signals;
  if (signals.failure()) return tell(options, signals.failure().message(), 1);
  auto terminal = CursesTerminal::open();
  if (!terminal) return tell(options, terminal.error().message(), 2);
  const std::string failure = runApplication(**terminal, signals, options);
  terminal->reset();  // restores the terminal
  return failure.empty() ? 0 : tell(options, failure, 1);
}

}  // namespace zt::term
