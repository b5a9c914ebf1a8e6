// CursesTerminal: the thin layer over ncursesw. It opens the terminal (newterm, so an unknown
// TERM is an error to report, not an exit), shows cell screens on it through a TerminalWriter
// (only the cells that changed), and reads keys and mouse clicks as plain values. It knows no
// display list.
//
// The terminal is in raw mode: Ctrl-C and Ctrl-Z arrive as keys, so the application decides
// what they do. Text is UTF-8 whatever the locale says: without a UTF-8 locale, C.UTF-8 is used
// for the character type. Main thread only; one instance at a time.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frontend/terminal/cell_screen.h"
#include "frontend/terminal/key.h"
#include "frontend/terminal/terminal_writer.h"
#include "platform/foundation/platform_error.h"

namespace zt::term {

struct InputEvent {
  enum class Kind { Key, Click, Resize };
  Kind kind = Kind::Key;
  Key key;        // Kind::Key
  int x = 0;      // Kind::Click: the cell clicked
  int y = 0;

  static InputEvent pressed(Key key) { return InputEvent{Kind::Key, std::move(key), 0, 0}; }
  static InputEvent click(int x, int y) { return InputEvent{Kind::Click, Key{}, x, y}; }
  static InputEvent resized() { return InputEvent{Kind::Resize, Key{}, 0, 0}; }
};

class CursesTerminal {
 public:
  // Opens the terminal on stdin and stdout; fails when they are not a terminal or the terminal
  // type is unknown.
  static PlatformResult<std::unique_ptr<CursesTerminal>> open();
  ~CursesTerminal();
  CursesTerminal(const CursesTerminal&) = delete;
  CursesTerminal& operator=(const CursesTerminal&) = delete;

  int width() const;
  int height() const;
  // Shows `screen`: writes the cells that differ from what is shown, then places the cursor.
  void draw(const CellScreen& screen);
  // Every pending key, click and resize, without waiting.
  std::vector<InputEvent> read();
  // Takes the terminal's new size (after SIGWINCH) and forgets what is shown.
  void resize();
  // Gives the terminal back to the shell (suspend), and takes it again.
  void release();
  void resume();
  int inputFd() const { return 0; }

 private:
  CursesTerminal() = default;
  void setUpColours();

  struct ScreenHandle;
  ScreenHandle* handle_ = nullptr;
  bool colours_ = false;
  std::optional<TerminalWriter> writer_;  // from open() on
};

}  // namespace zt::term
