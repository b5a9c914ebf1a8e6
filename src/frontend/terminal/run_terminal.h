// The terminal front end's entry point. RunTerminal opens the terminal, shows the splash while
// the application launches, then draws the widget model and feeds it the person's keys and
// clicks until they quit; it ends the application (Application::shared().terminate()) and gives
// the terminal back in the state it found it.
//
// What each key does is the key table's (key_table.h); the screens add their own key commands.
//
// Call it on the main thread (the one that called RunLoop::createMain()), before any other thread
// is started (it blocks the signals it handles for every thread started later), with
// Application::shared()'s delegate set.
#pragma once

#include <string>

namespace zt::term {

struct TerminalOptions {
  std::string programName = "zemra-telvo";  // prefixes the error line on stderr
  double frameSeconds = 1.0 / 30;           // shortest time between two redraws
  // Shortest time between redraws while changes keep coming (the last two frames came closer
  // than twice this): a stream of bytes is drawn ten times a second, not at each batch.
  double streamFrameSeconds = 0.1;
};

// Returns the exit status: 0 after quitting, 2 when there is no usable terminal, 1 when the
// signals cannot be watched, the run loop failed or a screen threw; every failure is told in one
// line on stderr after the terminal was given back.
int RunTerminal(const TerminalOptions& options = {});

}  // namespace zt::term
