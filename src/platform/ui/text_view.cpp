#include "platform/ui/text_view.h"

#include <algorithm>
#include <cstring>

#include "platform/ui/model_state.h"

namespace zt {

Size TextView::contentSize() const {
  // memchr finds the line feeds many bytes at a time: a log may hold a flood's batch.
  std::size_t lines = 1;
  const char* at = text().data();
  const char* const end = at + text().size();
  while (const void* feed = std::memchr(at, '\n', static_cast<std::size_t>(end - at))) {
    ++lines;
    at = static_cast<const char*>(feed) + 1;
  }
  return {frame().width, static_cast<float>(lines) * font().size * 1.2f};
}

void TextView::scrollRectToVisible(Rect rect, bool) {
  float height = frame().height;
  float y = offset_.y;
  if (rect.maxY() > y + height) y = rect.maxY() - height;
  if (rect.y < y) y = rect.y;
  offset_.y = std::max(0.0f, y);
  noteModelChange();
}

void TextView::setVisibleSize(int lines, int columns) {
  if (lines == visibleLines_ && columns == visibleColumns_) return;
  visibleLines_ = lines;
  visibleColumns_ = columns;
  if (auto d = delegate()) d->textViewDidChangeVisibleSize(*this);
}

void TextView::setMarkedRanges(std::vector<Range> ranges) {
  if (ranges == marked_) return;
  marked_ = std::move(ranges);
  noteModelChange();
}

void TextView::returnKeyPressed() { replaceByTyping(selectedRange(), "\n"); }

bool TextView::shouldBeginEditing() {
  auto d = delegate();
  return !d || d->textViewShouldBeginEditing(*this);
}

void TextView::didBeginEditing() {
  if (auto d = delegate()) d->textViewDidBeginEditing(*this);
}

bool TextView::shouldEndEditing() {
  auto d = delegate();
  return !d || d->textViewShouldEndEditing(*this);
}

void TextView::didEndEditing() {
  if (auto d = delegate()) d->textViewDidEndEditing(*this);
}

bool TextView::shouldChangeText(Range range, const std::string& replacement) {
  auto d = delegate();
  return !d || d->shouldChangeTextInRange(*this, range, replacement);
}

void TextView::didChangeText() {
  if (auto d = delegate()) d->textViewDidChange(*this);
}

}  // namespace zt
