// ViewController: one screen. Its view is made on first use (loadView, then viewDidLoad); the
// appear/disappear callbacks come in the toolkit's order when a navigation controller pushes or
// pops it and when it presents or dismisses a modal controller:
//   push B over A:  B.viewDidLoad (first use), A.viewWillDisappear, B.viewWillAppear,
//                   A.viewDidDisappear, B.viewDidAppear
//   pop B to A:     B.viewWillDisappear, A.viewWillAppear, B.viewDidDisappear, A.viewDidAppear
//   present M on A: M.viewDidLoad, A.viewWillDisappear, M.viewWillAppear, A.viewDidDisappear,
//                   M.viewDidAppear; dismissing runs the mirror image.
// A modally presented screen that is not a navigation controller gets a bar of its own over the
// top 44 points of its view, as a bar placed in an interface file would: it shows the screen's
// navigation item (title, left and right items; never a back button). Lay content out below it.
// Each callback gets the transition's animated flag. Tables in the appearing view build their
// visible cells after viewWillAppear and before viewDidAppear. Nothing is animated: transitions
// complete at once, and each is recorded in the container's transitions().
//
// Controllers are shared_ptr-owned (make_shared): a navigation stack owns what it shows, the
// presenting controller owns its modal controller. Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/key_command.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/view.h"

namespace zt {

class NavigationBar;
class NavigationController;

// One push, pop, presentation or dismissal made by a container, with its animated flag.
struct ControllerTransition {
  enum class Kind { Push, Pop, Present, Dismiss };
  Kind kind;
  bool animated;
  std::weak_ptr<ViewController> controller;  // the pushed, popped, presented or dismissed one
};

class ViewController : public std::enable_shared_from_this<ViewController> {
 public:
  ViewController() = default;
  virtual ~ViewController();
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // The root view, loaded on first use.
  std::shared_ptr<View> view();
  bool isViewLoaded() const { return view_ != nullptr; }

  // Setting the title also sets the navigation item's title.
  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  NavigationItem& navigationItem() { return navigationItem_; }
  const NavigationItem& navigationItem() const { return navigationItem_; }

  // The navigation controller whose stack holds this controller, or null.
  std::shared_ptr<NavigationController> navigationController() const { return navigation_.lock(); }
  // Presents `controller` over the whole screen. Called on a controller inside a navigation
  // controller, the navigation controller presents it.
  void presentModalViewController(std::shared_ptr<ViewController> controller, bool animated);
  // Ends the modal presentation made by this controller, or the one that shows this controller.
  void dismissModalViewControllerAnimated(bool animated);
  std::shared_ptr<ViewController> modalViewController() const { return presented_; }
  std::shared_ptr<ViewController> presentingViewController() const { return presenting_.lock(); }
  // The bar shown over this controller's view while it is presented modally; null otherwise.
  const std::shared_ptr<NavigationBar>& modalBar() const { return modalBar_; }
  // Between viewWillAppear and viewWillDisappear.
  bool isAppeared() const;
  const std::vector<ControllerTransition>& transitions() const { return transitions_; }

  // This controller as a base or derived type (a screen as its own table data source):
  // std::dynamic_pointer_cast of shared_from_this().
  template <class T>
  std::shared_ptr<T> sharedAs() {
    return std::dynamic_pointer_cast<T>(shared_from_this());
  }
  template <class T>
  std::weak_ptr<T> weakAs() {
    return sharedAs<T>();
  }

  // Life cycle, for screens to override; the defaults do nothing.
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}
  // A touch ended on this controller's view where no control or table took it.
  virtual void touchesEnded() {}
  // The keys this screen answers to by itself while it is on top (key_command.h); none by
  // default. Read whenever the display list is built, that is after a visible change.
  virtual std::vector<KeyCommand> keyCommands() { return {}; }

  // Container plumbing (navigation controller, window, presentation): begins an appearance
  // (viewWillAppear) or a disappearance (viewWillDisappear), then ends it (lays out an appearing
  // view, then viewDidAppear or viewDidDisappear). Unbalanced calls are ignored.
  void beginAppearance(bool appearing, bool animated);
  void endAppearance(bool animated);
  void setNavigationController(std::weak_ptr<NavigationController> navigation);

 protected:
  // Makes the root view; the default is a plain view the size of the application frame. An
  // override calls setView.
  virtual void loadView();
  void setView(std::shared_ptr<View> view);
  void recordTransition(ControllerTransition::Kind kind, bool animated,
                        const std::shared_ptr<ViewController>& controller);

 private:
  enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

  // Puts this presented controller's view, and its bar unless it is a navigation controller,
  // on top of `host`'s subviews.
  void placeModally(View& host);
  // Takes this controller's view and its modal bar, if any, out of their superview.
  void leaveHost();

  std::shared_ptr<View> view_;
  bool loading_ = false;
  std::string title_;
  NavigationItem navigationItem_;
  std::weak_ptr<NavigationController> navigation_;
  std::shared_ptr<ViewController> presented_;
  std::weak_ptr<ViewController> presenting_;
  std::shared_ptr<NavigationBar> modalBar_;
  Appearance appearance_ = Appearance::Disappeared;
  std::vector<ControllerTransition> transitions_;
};

}  // namespace zt
