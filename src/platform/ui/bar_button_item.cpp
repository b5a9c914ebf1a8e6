#include "platform/ui/bar_button_item.h"

#include "platform/ui/model_state.h"

namespace zt {

BarButtonItem::BarButtonItem(std::string title, BarButtonItemStyle style, Action action)
    : title_(std::move(title)), style_(style), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(BarButtonSystemItem item, Action action)
    : style_(BarButtonItemStyle::Bordered), system_(item), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(std::shared_ptr<View> customView)
    : customView_(std::move(customView)) {}

std::string BarButtonItem::title() const {
  if (!title_.empty() || !system_) return title_;
  switch (*system_) {
    case BarButtonSystemItem::Done:
      return "Done";
    case BarButtonSystemItem::Cancel:
      return "Cancel";
    case BarButtonSystemItem::Action:
      return "Action";
    case BarButtonSystemItem::FlexibleSpace:
      return "";
  }
  return "";
}

void BarButtonItem::setTitle(std::string title) {
  assertMainThread();
  title_ = std::move(title);
  noteModelChange();
}

void BarButtonItem::setEnabled(bool enabled) {
  assertMainThread();
  enabled_ = enabled;
  noteModelChange();
}

void BarButtonItem::sendAction() const {
  if (action_) {
    auto action = action_;  // the action may replace or destroy this item
    action();
  }
}

}  // namespace zt
