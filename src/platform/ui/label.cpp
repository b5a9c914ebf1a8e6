#include "platform/ui/label.h"

#include "platform/ui/model_state.h"

namespace zt {

void Label::setText(std::string text) {
  assertMainThread();
  if (text == text_) return;
  text_ = std::move(text);
  noteModelChange();
}

void Label::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  noteModelChange();
}

}  // namespace zt
