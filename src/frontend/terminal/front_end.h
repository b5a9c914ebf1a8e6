// FrontEnd: what the terminal front end keeps between frames, without the terminal itself: the
// display list last built from the widget model, the focus and the scroll. Keys and clicks go
// through the key mapper and are carried out on the model here; TerminalSession adds the
// terminal, the run loop and the signals. Tests drive it headless against a real model.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "frontend/terminal/action.h"
#include "frontend/terminal/cell_screen.h"
#include "frontend/terminal/focus.h"
#include "frontend/terminal/key.h"
#include "platform/ui/display_list.h"

namespace zt::term {

class FrontEnd {
 public:
  // What the caller must do after a key or a click.
  enum class Request { None, Quit, Suspend };

  // Whether the model changed since the display list was last built.
  bool modelChanged() const;
  // Builds the display list again if the model changed.
  void refresh();
  // Runs a key through the key mapper and carries out its actions; `height` sets the page.
  Request key(const Key& key, int height);
  // A click on a cell of the last frame.
  Request click(int x, int y);
  // Lays the current display list out; the frame is kept for clicks.
  const CellScreen& frame(int width, int height);

  const DisplayList& displayList() const { return list_; }
  const Focus& focus() const { return focus_.focus(); }

 private:
  Request perform(const std::vector<Action>& actions);
  void scroll(const act::ScrollTable& request);

  DisplayList list_;
  std::uint64_t generation_ = 0;
  bool built_ = false;
  FocusTracker focus_;
  int scroll_ = 0;
  CellScreen shown_{0, 0};  // the last frame; 0x0 before the first
};

}  // namespace zt::term
