// TextField: a one-line text input with a placeholder. Its delegate is asked before editing
// begins or ends and before each change, is told when editing began or ended, and answers the
// Return key (textFieldShouldReturn); a change of text also sends the editing-changed event.
//
// The delegate is held weakly. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/text_input.h"

namespace zt {

class TextField;

class TextFieldDelegate {
 public:
  virtual ~TextFieldDelegate() = default;
  virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
  virtual void textFieldDidBeginEditing(TextField&) {}
  virtual bool textFieldShouldEndEditing(TextField&) { return true; }
  virtual void textFieldDidEndEditing(TextField&) {}
  virtual bool shouldChangeCharactersInRange(TextField&, Range, const std::string&) { return true; }
  virtual bool textFieldShouldReturn(TextField&) { return true; }
};

enum class TextBorderStyle { None, Line, Bezel, RoundedRect };

class TextField : public TextInput {
 public:
  using TextInput::TextInput;

  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(std::string placeholder);
  TextBorderStyle borderStyle() const { return border_; }
  void setBorderStyle(TextBorderStyle style) { border_ = style; }
  std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { delegate_ = std::move(delegate); }

  void returnKeyPressed() override;
  bool shouldBeginEditing() override;
  void didBeginEditing() override;
  bool shouldEndEditing() override;
  void didEndEditing() override;

 protected:
  bool shouldChangeText(Range range, const std::string& replacement) override;
  void didChangeText() override;

 private:
  std::string placeholder_;
  TextBorderStyle border_ = TextBorderStyle::None;
  std::weak_ptr<TextFieldDelegate> delegate_;
};

}  // namespace zt
