// Label: one piece of text in a view (a cell's title or value, a line of the about screen).
//
// Main thread only.
#pragma once

#include <string>

#include "platform/ui/text_alignment.h"
#include "platform/ui/view.h"

namespace zt {

class Label : public View {
 public:
  using View::View;

  const std::string& text() const { return text_; }
  void setText(std::string text);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  const Font& font() const { return font_; }
  void setFont(Font font) { font_ = std::move(font); }
  const Color& textColor() const { return textColor_; }
  void setTextColor(Color color) { textColor_ = std::move(color); }

 private:
  std::string text_;
  TextAlignment alignment_ = TextAlignment::Left;
  Font font_;
  Color textColor_ = Color::black();
};

}  // namespace zt
