#include "frontend/terminal/run_terminal.h"

#include <cstdio>
#include <exception>

#include "frontend/terminal/curses_terminal.h"
#include "frontend/terminal/layout.h"
#include "frontend/terminal/signal_watch.h"
#include "frontend/terminal/terminal_session.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/application.h"

namespace zt::term {

int RunTerminal(const TerminalOptions& options) {
  std::string error;
  auto terminal = CursesTerminal::open(error);
  if (!terminal) {
    (void)std::fprintf(stderr, "%s: %s\n", options.programName.c_str(), error.c_str());
    return 2;
  }
  RunLoop& loop = RunLoop::main();
  SignalWatch signals;
  terminal->draw(splashScreen(terminal->width(), terminal->height()));
  Application::shared().launch();
  PlatformError failure;
  {
    TerminalSession session(*terminal, signals, loop, options);
    session.start();
    failure = loop.run();
  }
  Application::shared().terminate();
  terminal.reset();  // restores the terminal
  if (failure) {
    (void)std::fprintf(stderr, "%s: %s\n", options.programName.c_str(), failure.message().c_str());
    return 1;
  }
  return 0;
}

}  // namespace zt::term
