// TerminalWriter: shows cell screens on the terminal by writing only the cells that changed, with
// the terminal's own strings (terminfo) for moving the cursor, the attributes and the colours,
// and the cells' UTF-8 as it is. A frame goes out in one write(); a line of new text costs a
// cursor move and its bytes, and the cells that stayed cost one comparison each.
//
// It is the output half of CursesTerminal: curses sets the terminal up (modes, keypad, mouse)
// and reads the keys, but draws nothing while a writer draws. Needs the terminal set up (its
// terminfo entry current). Main thread only.
#pragma once

#include <string>
#include <vector>

#include "frontend/terminal/cell_screen.h"

namespace zt::term {

class TerminalWriter {
 public:
  // With `colours`, styles are drawn in colour; otherwise by attributes alone.
  explicit TerminalWriter(bool colours);

  // Writes the cells of `screen` that differ from what is shown, then shows the cursor where
  // the screen has one (or hides it).
  void draw(const CellScreen& screen);
  // The terminal's content is unknown (a resize, a return from the background): the next draw
  // clears it and writes every cell.
  void forget();

 private:
  void moveTo(int x, int y);
  void setStyle(const Cell& cell);
  void send();

  std::vector<std::string> styles_;  // the codes of each style, twice: plain, then focused
  std::vector<Cell> shown_;          // the cells on the terminal, line by line
  int width_ = -1;
  int height_ = -1;
  int cursorX_ = -1;  // where the terminal's cursor stands (-1: unknown)
  int cursorY_ = -1;
  int style_ = -1;    // index into styles_ of the codes last sent (-1: unknown)
  int cursorShown_ = -1;  // 1 shown, 0 hidden, -1 unknown
  std::string out_;   // the frame being written
};

}  // namespace zt::term
