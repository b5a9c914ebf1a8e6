#include "platform/ui/switch.h"

#include "platform/ui/model_state.h"

namespace zt {

void Switch::setOn(bool on, bool animated) {
  assertMainThread();
  lastAnimated_ = animated;
  if (on == on_) return;
  on_ = on;
  noteModelChange();
}

}  // namespace zt
