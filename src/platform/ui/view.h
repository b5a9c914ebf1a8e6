// View: a rectangle in its superview with a tag, a hidden flag, a background colour and ordered
// subviews (later ones lie on top). Views are shared_ptr-owned: a view owns its subviews and
// knows its superview only by a plain pointer that the superview clears.
//
// Coordinates: a view's frame is in its superview's bounds coordinates; a scrolling view (a
// table) shifts its bounds origin by its content offset. Views never clip their subviews when
// listed, but a touch only reaches a subview inside its superview's bounds, as on the phone.
//
// Main thread only.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/ui/color.h"
#include "platform/ui/geometry.h"
#include "platform/ui/transition.h"

namespace zt {

class ViewController;
class Window;

class View : public std::enable_shared_from_this<View> {
 public:
  View() = default;
  explicit View(Rect frame) : frame_(frame) {}
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  Rect frame() const { return frame_; }
  void setFrame(Rect frame);
  // The frame's size at the bounds origin.
  Rect bounds() const;
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);
  const Color& backgroundColor() const { return background_; }
  void setBackgroundColor(Color color);

  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  View* superview() const { return superview_; }
  // Adds `view` on top of the other subviews, taking it from its old superview first.
  void addSubview(std::shared_ptr<View> view);
  // Adds `view` just below `sibling` (on top when `sibling` is not a subview).
  void insertSubviewBelow(std::shared_ptr<View> view, const View* sibling);
  // Leaves the superview; a first responder inside gives up the keyboard.
  void removeFromSuperview();
  // This view or the first descendant (depth first) with the tag.
  std::shared_ptr<View> viewWithTag(int tag);
  bool isDescendantOf(const View& ancestor) const;

  // The window this view is in, or null.
  Window* window() const;
  // `rect` (in this view's bounds coordinates) in its window's coordinates.
  Rect convertRectToWindow(Rect rect) const;
  Rect frameInWindow() const;
  // In a window that is on screen, with neither itself nor an ancestor hidden.
  bool isOnScreen() const;

  // The deepest visible, interactive view at `point` (this view's bounds coordinates).
  virtual std::shared_ptr<View> hitTest(Point point);
  // Lays out this view (tables build their visible cells) and then its subviews.
  void layoutIfNeeded();

  // Records a transition on the view's layer; all are kept, in the order they were added.
  void addAnimation(const Transition& transition, const std::string& key);
  const std::vector<RecordedTransition>& animations() const { return animations_; }

  // The controller whose root view this is, if any.
  std::shared_ptr<ViewController> viewController() const { return controller_.lock(); }
  void setViewController(std::weak_ptr<ViewController> controller) {
    controller_ = std::move(controller);
  }

 protected:
  // The bounds origin: (0, 0), or the content offset of a scrolling view.
  virtual Point boundsOrigin() const { return {}; }
  virtual void layoutSubviews() {}
  virtual bool isWindow() const { return false; }

 private:
  void detach(View& child);

  Rect frame_;
  int tag_ = 0;
  bool hidden_ = false;
  Color background_ = Color::clear();
  std::vector<std::shared_ptr<View>> subviews_;
  View* superview_ = nullptr;
  std::weak_ptr<ViewController> controller_;
  std::vector<RecordedTransition> animations_;
};

}  // namespace zt
