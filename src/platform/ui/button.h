// Button: a control with a title that runs its touch-up-inside actions when tapped (the "Done"
// key a screen lays over the number pad is one).
//
// Main thread only.
#pragma once

#include <string>

#include "platform/ui/control.h"

namespace zt {

enum class ButtonType { Custom, RoundedRect };

class Button : public Control {
 public:
  explicit Button(ButtonType type = ButtonType::Custom) : type_(type) {}

  ButtonType buttonType() const { return type_; }
  // The title for the normal state (the only state the model shows).
  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  const Color& titleColor() const { return titleColor_; }
  void setTitleColor(Color color) { titleColor_ = std::move(color); }
  bool adjustsImageWhenHighlighted() const { return adjustsImage_; }
  void setAdjustsImageWhenHighlighted(bool adjusts) { adjustsImage_ = adjusts; }

 private:
  ButtonType type_;
  std::string title_;
  Color titleColor_ = Color::black();
  bool adjustsImage_ = true;
};

}  // namespace zt
