// Keyboard: the on-screen keyboard that comes up while a text input is first responder. When an
// input begins editing (after its did-begin callback) the keyboard posts
// UIKeyboardWillShowNotification, adds its window to the application's windows, then posts
// UIKeyboardDidShowNotification; when editing ends (after did-end) it posts
// UIKeyboardWillHideNotification, takes its window away and posts UIKeyboardDidHideNotification.
// Each notification carries the keyboard's bounds (a Rect: 320 x 216 in portrait, 480 x 162
// otherwise) under UIKeyboardBoundsUserInfoKey. Moving first responder from one input to
// another keeps the keyboard up and posts nothing, unless the keyboard type changes: then the
// show pair is posted again.
//
// The keyboard's window persists: views a screen adds to it (a "Done" key over the number pad)
// stay there until removed, and are shown whenever the keyboard is up. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/text_input.h"
#include "platform/ui/window.h"

namespace zt {

inline const std::string UIKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline const std::string UIKeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline const std::string UIKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline const std::string UIKeyboardDidHideNotification = "UIKeyboardDidHideNotification";
inline const std::string UIKeyboardBoundsUserInfoKey = "UIKeyboardBoundsUserInfoKey";

// The keys themselves, at the bottom of the keyboard's window; they cover what lies under them.
class KeyboardKeys : public View {
 public:
  using View::View;
};

class Keyboard {
 public:
  bool isVisible() const { return visible_; }
  KeyboardType type() const { return type_; }
  // At the origin, sized for the status bar's orientation.
  Rect bounds() const;
  // The keyboard's window, made when the keyboard first shows; null before.
  std::shared_ptr<Window> window() const { return window_; }
  bool isKeyboardWindow(const Window& window) const { return window_.get() == &window; }
  std::shared_ptr<TextInput> firstResponder() const { return firstResponder_.lock(); }

  // Used by TextInput: makes `input` first responder (ending the previous one's editing) and
  // shows the keyboard. Returns false when the previous one refused to end.
  bool beginEditing(const std::shared_ptr<TextInput>& input);
  // Used by TextInput: `input` gives up first responder; the keyboard goes away.
  void endEditing(TextInput& input);
  // Used by View: the first responder, if inside `view`, ends editing without being asked.
  void viewWillLeaveWindow(const View& view);
  // Forgets the first responder and hides without notifications (tests, shutdown).
  void reset();

 private:
  void ensureWindow();
  void show(KeyboardType type);
  void hide();
  void post(const std::string& name);

  bool visible_ = false;
  KeyboardType type_ = KeyboardType::Default;
  std::weak_ptr<TextInput> firstResponder_;
  std::shared_ptr<Window> window_;
  std::shared_ptr<KeyboardKeys> keys_;
};

}  // namespace zt
