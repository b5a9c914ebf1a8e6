#include "platform/ui/navigation_item.h"

#include "platform/ui/model_state.h"

namespace zt {

void NavigationItem::setTitle(std::string title) {
  assertMainThread();
  title_ = std::move(title);
  noteModelChange();
}

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool) {
  assertMainThread();
  left_ = std::move(item);
  noteModelChange();
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool) {
  assertMainThread();
  right_ = std::move(item);
  noteModelChange();
}

void NavigationItem::setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) {
  assertMainThread();
  back_ = std::move(item);
  noteModelChange();
}

void NavigationItem::setHidesBackButton(bool hides, bool) {
  assertMainThread();
  hidesBack_ = hides;
  noteModelChange();
}

}  // namespace zt
