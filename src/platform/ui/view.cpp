#include "platform/ui/view.h"

#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"
#include "platform/ui/window.h"

namespace zt {

View::~View() {
  for (const auto& child : subviews_) child->superview_ = nullptr;
}

void View::setFrame(Rect frame) {
  assertMainThread();
  if (frame == frame_) return;
  frame_ = frame;
  noteModelChange();
}

Rect View::bounds() const {
  Point origin = boundsOrigin();
  return {origin.x, origin.y, frame_.width, frame_.height};
}

void View::setHidden(bool hidden) {
  assertMainThread();
  if (hidden == hidden_) return;
  hidden_ = hidden;
  noteModelChange();
}

void View::setBackgroundColor(Color color) {
  background_ = std::move(color);
  noteModelChange();
}

void View::addSubview(std::shared_ptr<View> view) { insertSubviewBelow(std::move(view), nullptr); }

void View::insertSubviewBelow(std::shared_ptr<View> view, const View* sibling) {
  assertMainThread();
  if (!view || view.get() == this) return;
  if (view->superview_ == this) {
    detach(*view);
  } else if (view->superview_) {
    view->removeFromSuperview();
  }
  auto at = std::find_if(subviews_.begin(), subviews_.end(),
                         [&](const auto& v) { return v.get() == sibling; });
  view->superview_ = this;
  subviews_.insert(at, std::move(view));
  noteModelChange();
}

void View::removeFromSuperview() {
  assertMainThread();
  if (!superview_) return;
  auto keepAlive = shared_from_this();
  if (window()) Application::shared().keyboard().viewWillLeaveWindow(*this);
  // Ending the edit runs delegates, which may already have taken this view out.
  // cppcheck-suppress knownConditionTrueFalse
  if (superview_) superview_->detach(*this);
  noteModelChange();
}

void View::detach(View& child) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [&](const auto& v) { return v.get() == &child; });
  if (it == subviews_.end()) return;
  child.superview_ = nullptr;
  subviews_.erase(it);
}

std::shared_ptr<View> View::viewWithTag(int tag) {
  if (tag_ == tag) return shared_from_this();
  for (auto& child : subviews_) {
    if (auto found = child->viewWithTag(tag)) return found;
  }
  return nullptr;
}

bool View::isDescendantOf(const View& ancestor) const {
  for (const View* v = this; v; v = v->superview_) {
    if (v == &ancestor) return true;
  }
  return false;
}

Window* View::window() const {
  const View* top = this;
  while (top->superview_) top = top->superview_;
  return top->isWindow() ? static_cast<Window*>(const_cast<View*>(top)) : nullptr;
}

Rect View::convertRectToWindow(Rect rect) const {
  for (const View* v = this; v && !v->isWindow(); v = v->superview_) {
    Point origin = v->boundsOrigin();
    rect = rect.offsetBy(v->frame_.x - origin.x, v->frame_.y - origin.y);
  }
  return rect;
}

Rect View::frameInWindow() const { return convertRectToWindow(bounds()); }

bool View::isOnScreen() const {
  for (const View* v = this; v; v = v->superview_) {
    if (v->hidden_) return false;
  }
  Window* w = window();
  return w && Application::shared().isWindowOnScreen(*w);
}

std::shared_ptr<View> View::hitTest(Point point) {
  if (hidden_ || !bounds().contains(point)) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    View& child = **it;
    Point origin = child.boundsOrigin();
    Point local{point.x - child.frame_.x + origin.x, point.y - child.frame_.y + origin.y};
    if (auto hit = child.hitTest(local)) return hit;
  }
  return shared_from_this();
}

void View::layoutIfNeeded() {
  auto keepAlive = shared_from_this();
  layoutSubviews();
  auto children = subviews_;
  for (auto& child : children) child->layoutIfNeeded();
}

void View::addAnimation(const Transition& transition, const std::string& key) {
  assertMainThread();
  animations_.push_back({transition, key});
  noteModelChange();
}

}  // namespace zt
