// Window: the root of a view hierarchy on screen. The application's window shows its root view
// controller's view; the keyboard has a window of its own while it is up (Application::windows()
// then lists two). A window takes no touch itself: a touch that reaches no subview falls through
// to the window below.
//
// Main thread only.
#pragma once

#include <memory>

#include "platform/ui/view.h"

namespace zt {

class Window : public View {
 public:
  // The phone's screen: 320 x 480 points.
  Window() : View(Rect{0, 0, 320, 480}) {}
  explicit Window(Rect frame) : View(frame) {}

  std::shared_ptr<ViewController> rootViewController() const { return root_; }
  // Shows the controller's view, placed in the application frame; when the window is already on
  // screen the controller appears at once.
  void setRootViewController(std::shared_ptr<ViewController> controller);
  // Makes this the key window, lists it among the application's windows and lets its root
  // controller appear (loading its view first).
  void makeKeyAndVisible();

  std::shared_ptr<View> hitTest(Point point) override;

 protected:
  bool isWindow() const override { return true; }

 private:
  std::shared_ptr<ViewController> root_;
};

}  // namespace zt
