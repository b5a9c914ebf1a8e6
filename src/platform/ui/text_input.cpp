#include "platform/ui/text_input.h"

#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"

namespace zt {

namespace utf8 {
namespace {
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
}  // namespace

std::size_t boundaryAtOrBefore(const std::string& text, std::size_t offset) {
  offset = std::min(offset, text.size());
  while (offset > 0 && offset < text.size() &&
         isContinuation(static_cast<unsigned char>(text[offset]))) {
    --offset;
  }
  return offset;
}

std::size_t boundaryAtOrAfter(const std::string& text, std::size_t offset) {
  offset = std::min(offset, text.size());
  while (offset < text.size() && isContinuation(static_cast<unsigned char>(text[offset]))) ++offset;
  return offset;
}

std::size_t advance(const std::string& text, std::size_t offset, int characters) {
  offset = boundaryAtOrBefore(text, offset);
  for (; characters > 0 && offset < text.size(); --characters) {
    ++offset;
    while (offset < text.size() && isContinuation(static_cast<unsigned char>(text[offset]))) {
      ++offset;
    }
  }
  for (; characters < 0 && offset > 0; ++characters) {
    --offset;
    while (offset > 0 && isContinuation(static_cast<unsigned char>(text[offset]))) --offset;
  }
  return offset;
}
}  // namespace utf8

void TextInput::setText(std::string text) {
  assertMainThread();
  text_ = std::move(text);
  selection_ = {text_.size(), 0};
  noteModelChange();
}

void TextInput::setSelectedRange(Range range) {
  assertMainThread();
  std::size_t start = utf8::boundaryAtOrBefore(text_, range.location);
  std::size_t end = utf8::boundaryAtOrAfter(text_, std::max(start, range.location + range.length));
  selection_ = {start, end - start};
  noteModelChange();
}

void TextInput::setEnabled(bool enabled) {
  Control::setEnabled(enabled);
  if (!enabled && isFirstResponder()) {
    auto keepAlive = shared_from_this();
    Application::shared().keyboard().endEditing(*this);
  }
}

void TextInput::setEditable(bool editable) {
  assertMainThread();
  editable_ = editable;
  noteModelChange();
}

void TextInput::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  noteModelChange();
}

bool TextInput::isFirstResponder() const {
  return Application::shared().keyboard().firstResponder().get() == this;
}

bool TextInput::becomeFirstResponder() {
  assertMainThread();
  if (isFirstResponder()) return true;
  if (!isEnabled() || !editable_) return false;
  auto keepAlive = shared_from_this();
  if (!shouldBeginEditing()) return false;
  return Application::shared().keyboard().beginEditing(
      std::static_pointer_cast<TextInput>(keepAlive));
}

bool TextInput::resignFirstResponder() {
  assertMainThread();
  if (!isFirstResponder()) return true;
  auto keepAlive = shared_from_this();
  if (!shouldEndEditing()) return false;
  Application::shared().keyboard().endEditing(*this);
  return true;
}

bool TextInput::replaceByTyping(Range range, const std::string& replacement) {
  assertMainThread();
  auto keepAlive = shared_from_this();
  range.location = std::min(range.location, text_.size());
  range.length = std::min(range.length, text_.size() - range.location);
  if (!shouldChangeText(range, replacement)) return false;
  range.location = std::min(range.location, text_.size());  // the delegate may have changed it
  range.length = std::min(range.length, text_.size() - range.location);
  text_.replace(range.location, range.length, replacement);
  selection_ = {range.location + replacement.size(), 0};
  noteModelChange();
  didChangeText();
  return true;
}

}  // namespace zt
