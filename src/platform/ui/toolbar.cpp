#include "platform/ui/toolbar.h"

#include <algorithm>

#include "platform/ui/model_state.h"

namespace zt {

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool) {
  assertMainThread();
  for (const auto& old : items_) {
    if (old && old->customView() && old->customView()->superview() == this) {
      old->customView()->removeFromSuperview();
    }
  }
  items_ = std::move(items);
  for (const auto& item : items_) {
    if (item && item->customView()) addSubview(item->customView());
  }
  layoutSubviews();
  noteModelChange();
}

Rect Toolbar::rectForItemAtIndex(std::size_t index) const {
  float x = kMargin;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const auto& item = items_[i];
    float width = 0;
    float height = frame().height;
    if (item && item->customView()) {
      Rect f = item->customView()->frame();
      width = f.width;
      if (f.height > 0) height = std::min(f.height, frame().height);
    } else if (item && !item->isFlexibleSpace()) {
      width = kButtonWidth;
    }
    if (i == index) return {x, (frame().height - height) / 2, width, height};
    x += width + (width > 0 ? kMargin : 0);
  }
  return {};
}

void Toolbar::layoutSubviews() {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] && items_[i]->customView())
      items_[i]->customView()->setFrame(rectForItemAtIndex(i));
  }
}

}  // namespace zt
