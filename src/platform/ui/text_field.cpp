#include "platform/ui/text_field.h"

#include "platform/ui/model_state.h"

namespace zt {

void TextField::setPlaceholder(std::string placeholder) {
  placeholder_ = std::move(placeholder);
  noteModelChange();
}

void TextField::returnKeyPressed() {
  if (auto d = delegate()) d->textFieldShouldReturn(*this);
}

bool TextField::shouldBeginEditing() {
  auto d = delegate();
  return !d || d->textFieldShouldBeginEditing(*this);
}

void TextField::didBeginEditing() {
  if (auto d = delegate()) d->textFieldDidBeginEditing(*this);
  sendActionsForControlEvents(ControlEvent::EditingDidBegin);
}

bool TextField::shouldEndEditing() {
  auto d = delegate();
  return !d || d->textFieldShouldEndEditing(*this);
}

void TextField::didEndEditing() {
  if (auto d = delegate()) d->textFieldDidEndEditing(*this);
  sendActionsForControlEvents(ControlEvent::EditingDidEnd);
}

bool TextField::shouldChangeText(Range range, const std::string& replacement) {
  auto d = delegate();
  return !d || d->shouldChangeCharactersInRange(*this, range, replacement);
}

void TextField::didChangeText() { sendActionsForControlEvents(ControlEvent::EditingChanged); }

}  // namespace zt
