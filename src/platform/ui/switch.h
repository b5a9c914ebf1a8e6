// Switch: an on/off control of the toolkit's fixed size (79 x 27 whatever frame it is given). A
// touch (Touch::toggleSwitch) flips it, then sends value-changed and touch-up-inside; setOn from
// code changes the value and sends nothing.
//
// Main thread only.
#pragma once

#include "platform/ui/control.h"

namespace zt {

class Switch : public Control {
 public:
  static constexpr Size kSize{79, 27};

  Switch() : Switch(Rect{}) {}
  explicit Switch(Rect frame) : Control(Rect{frame.x, frame.y, kSize.width, kSize.height}) {}

  bool isOn() const { return on_; }
  // `animated` is recorded only.
  void setOn(bool on, bool animated = false);
  bool lastSetAnimated() const { return lastAnimated_; }

 private:
  bool on_ = false;
  bool lastAnimated_ = false;
};

}  // namespace zt
