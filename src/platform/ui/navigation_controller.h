// NavigationController: the stack of screens with a 44-point navigation bar above the top
// screen's view. Its view fills the application frame: the bar at the top, the top screen's view
// below it (0, 44, 320, 416). The stack owns its controllers; a popped controller is released by
// the stack at once (popViewControllerAnimated hands it back to the caller).
//
// Pushing or popping while the navigation controller is not on screen (before its window shows
// it, or while a modal controller covers it) changes the stack only; the top controller appears
// when the navigation controller does. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/view_controller.h"

namespace zt {

// The bar itself; what it shows comes from the navigation items of the stack (a modally
// presented screen's own bar: from that screen's navigation item).
class NavigationBar : public View {
 public:
  using View::View;
};

class NavigationController : public ViewController {
 public:
  static constexpr float kBarHeight = 44;

  // A navigation controller whose stack starts with `root` (may be null).
  static std::shared_ptr<NavigationController> withRoot(std::shared_ptr<ViewController> root);

  void pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
  // Pops the top controller unless it is the only one; returns it, or null when refused.
  std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);
  std::shared_ptr<ViewController> topViewController() const;
  // The controller presented modally over this one, if any, else the top controller.
  std::shared_ptr<ViewController> visibleViewController() const;
  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
  std::shared_ptr<NavigationBar> navigationBar();

  // The back button's title while the top controller shows one: the previous controller's
  // backBarButtonItem title, else its title, else "Back"; none for the root, when the top
  // controller hides its back button or has a left item of its own.
  std::optional<std::string> backButtonTitle() const;

  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidDisappear(bool animated) override;

 protected:
  void loadView() override;

 private:
  Rect contentFrame() const;
  // Makes the top controller's view the only one under the bar.
  void installTopView();

  std::vector<std::shared_ptr<ViewController>> stack_;
  std::shared_ptr<NavigationBar> bar_;
};

}  // namespace zt
