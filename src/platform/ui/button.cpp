#include "platform/ui/button.h"

#include "platform/ui/model_state.h"

namespace zt {

void Button::setTitle(std::string title) {
  assertMainThread();
  title_ = std::move(title);
  noteModelChange();
}

}  // namespace zt
