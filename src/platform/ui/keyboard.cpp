#include "platform/ui/keyboard.h"

#include <any>

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"
#include "platform/foundation/notification_center.h"

namespace zt {

Rect Keyboard::bounds() const {
  bool portrait =
      Application::shared().statusBarOrientation() == InterfaceOrientation::Portrait ||
      Application::shared().statusBarOrientation() == InterfaceOrientation::PortraitUpsideDown;
  return portrait ? Rect{0, 0, 320, 216} : Rect{0, 0, 480, 162};
}

void Keyboard::ensureWindow() {
  if (!window_) {
    window_ = std::make_shared<Window>();
    Rect b = bounds();
    Rect screen = window_->frame();
    keys_ = std::make_shared<KeyboardKeys>(Rect{0, screen.height - b.height, b.width, b.height});
    window_->addSubview(keys_);
  }
}

bool Keyboard::beginEditing(const std::shared_ptr<TextInput>& input) {
  if (auto previous = firstResponder()) {
    if (!previous->shouldEndEditing()) return false;
    firstResponder_.reset();
    previous->didEndEditing();
  }
  firstResponder_ = input;
  noteModelChange();
  input->didBeginEditing();
  if (firstResponder().get() != input.get()) return false;  // editing ended in did-begin
  if (!visible_ || type_ != input->keyboardType()) show(input->keyboardType());
  return true;
}

void Keyboard::endEditing(TextInput& input) {
  if (firstResponder().get() != &input) return;
  firstResponder_.reset();
  noteModelChange();
  input.didEndEditing();
  if (!firstResponder() && visible_) hide();
}

void Keyboard::viewWillLeaveWindow(const View& view) {
  auto input = firstResponder();
  if (!input || !input->isDescendantOf(view)) return;
  endEditing(*input);
}

void Keyboard::reset() {
  firstResponder_.reset();
  visible_ = false;
  window_.reset();
  keys_.reset();
}

void Keyboard::show(KeyboardType type) {
  type_ = type;
  post(UIKeyboardWillShowNotification);
  ensureWindow();
  visible_ = true;
  noteModelChange();
  post(UIKeyboardDidShowNotification);
}

void Keyboard::hide() {
  post(UIKeyboardWillHideNotification);
  visible_ = false;
  noteModelChange();
  post(UIKeyboardDidHideNotification);
}

void Keyboard::post(const std::string& name) {
  NotificationCenter::defaultCenter().postNotification(
      name, this, {{UIKeyboardBoundsUserInfoKey, std::any(bounds())}});
}

}  // namespace zt
