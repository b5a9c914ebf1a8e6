// Hit testing on the screen as a finger meets it: the top window first (the keyboard's while it
// is up), in each window the topmost visible view under the point. Touch uses it to decide
// whether a touch reaches its target or lands on something covering it, and what a covering
// view then does with it.
//
// Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/geometry.h"

namespace zt {

class View;
class ViewController;

// The deepest view at `point` (screen coordinates), or null when no window takes it.
std::shared_ptr<View> viewAtScreenPoint(Point point);
// The part of a table row's cell that its table shows (screen coordinates); a finger touches
// the middle of it.
Rect visibleCellRect(const View& cell);
// Whether a touch at `point` reaches `target` (the view hit is the target or inside it).
bool touchReaches(const View& target, Point point);
// A touch that landed on `hit` instead of its target: a row of a covering table is selected; a
// control takes it and does nothing; a plain view passes it up to the controller whose view holds
// it (touchesEnded).
void deliverStrayTouch(const std::shared_ptr<View>& hit);
// The controller the user sees: the key window's root, through navigation tops and modal
// presentations.
std::shared_ptr<ViewController> visibleController();
// Strong references to every controller on screen or on a navigation stack, so that a touch
// handler that pops its own screen finishes before the screen is released.
std::vector<std::shared_ptr<ViewController>> retainControllers();

}  // namespace zt
