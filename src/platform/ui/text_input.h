// TextInput: what a text field and a text view share: the text (UTF-8), the selection, enabled
// and editable flags, alignment, keyboard and return-key types, and becoming or giving up first
// responder. Becoming first responder brings the keyboard up (keyboard.h); giving it up sends it
// away. Typing goes through replaceByTyping, which asks the delegate first (should-change) and
// tells it afterwards (did-change).
//
// Ranges are byte offsets into the UTF-8 text on character boundaries. Main thread only.
#pragma once

#include <string>

#include "platform/ui/control.h"
#include "platform/ui/text_alignment.h"

namespace zt {

enum class KeyboardType { Default, NumberPad };
enum class ReturnKeyType { Default, Go, Send, Done };

class TextInput : public Control {
 public:
  using Control::Control;

  const std::string& text() const { return text_; }
  // Replaces the text and puts the cursor after it; no delegate is asked or told.
  void setText(std::string text);
  Range selectedRange() const { return selection_; }
  // Clamped to the text and widened to whole characters.
  void setSelectedRange(Range range);
  // Disabling the first responder ends its editing (the delegate is not asked).
  void setEnabled(bool enabled) override;
  bool isEditable() const { return editable_; }
  void setEditable(bool editable);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  KeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  const Font& font() const { return font_; }
  void setFont(Font font) { font_ = std::move(font); }

  bool isFirstResponder() const;
  // Starts editing: needs enabled and editable, and the delegate's consent. Returns whether this
  // input is now the first responder.
  bool becomeFirstResponder();
  // Ends editing unless the delegate refuses. Returns whether this input is no longer first
  // responder.
  bool resignFirstResponder();

  // Typing: asks should-change for `range` and `replacement`; if allowed, replaces, puts the
  // cursor after the replacement and reports did-change. Returns whether the text changed.
  bool replaceByTyping(Range range, const std::string& replacement);
  // The Return key: a text view types a line feed, a text field asks textFieldShouldReturn.
  virtual void returnKeyPressed() = 0;

  // Delegate hooks, answered by the text field or text view from its delegate.
  virtual bool shouldBeginEditing() = 0;
  virtual void didBeginEditing() = 0;
  virtual bool shouldEndEditing() = 0;
  virtual void didEndEditing() = 0;

 protected:
  virtual bool shouldChangeText(Range range, const std::string& replacement) = 0;
  virtual void didChangeText() = 0;

 private:
  std::string text_;
  Range selection_;
  bool editable_ = true;
  TextAlignment alignment_ = TextAlignment::Left;
  KeyboardType keyboardType_ = KeyboardType::Default;
  ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
  Font font_;
};

// Helpers for byte offsets in UTF-8 text.
namespace utf8 {
// The offset of the character boundary `characters` away from `offset` (negative: left),
// clamped to the text.
std::size_t advance(const std::string& text, std::size_t offset, int characters);
// The nearest character boundary at or before `offset`.
std::size_t boundaryAtOrBefore(const std::string& text, std::size_t offset);
// The nearest character boundary at or after `offset`, clamped to the text.
std::size_t boundaryAtOrAfter(const std::string& text, std::size_t offset);
}  // namespace utf8

}  // namespace zt
