#include "platform/ui/navigation_controller.h"

#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"

namespace zt {

std::shared_ptr<NavigationController> NavigationController::withRoot(
    std::shared_ptr<ViewController> root) {
  auto navigation = std::make_shared<NavigationController>();
  if (root) {
    root->setNavigationController(navigation);
    navigation->stack_.push_back(std::move(root));
  }
  return navigation;
}

void NavigationController::loadView() {
  Rect app = Application::shared().applicationFrame();
  auto container = std::make_shared<View>(Rect{0, 0, app.width, app.height});
  bar_ = std::make_shared<NavigationBar>(Rect{0, 0, app.width, kBarHeight});
  container->addSubview(bar_);
  setView(container);
}

std::shared_ptr<NavigationBar> NavigationController::navigationBar() {
  view();
  return bar_;
}

Rect NavigationController::contentFrame() const {
  Rect app = Application::shared().applicationFrame();
  return {0, kBarHeight, app.width, app.height - kBarHeight};
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
  return stack_.empty() ? nullptr : stack_.back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const {
  auto modal = modalViewController();
  if (!modal) return topViewController();
  while (modal->modalViewController()) modal = modal->modalViewController();
  return modal;
}

void NavigationController::installTopView() {
  auto container = view();
  auto top = topViewController();
  std::shared_ptr<View> topView = top ? top->view() : nullptr;
  auto children = container->subviews();
  for (auto& child : children) {
    if (child != bar_ && child != topView) child->removeFromSuperview();
  }
  if (topView && topView->superview() != container.get()) {
    topView->setFrame(contentFrame());
    container->insertSubviewBelow(topView, bar_.get());
  }
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller,
                                              bool animated) {
  assertMainThread();
  if (!controller || std::find(stack_.begin(), stack_.end(), controller) != stack_.end()) return;
  auto keepAlive = shared_from_this();
  auto previous = topViewController();
  controller->setNavigationController(std::static_pointer_cast<NavigationController>(keepAlive));
  stack_.push_back(controller);
  recordTransition(ControllerTransition::Kind::Push, animated, controller);
  if (!isAppeared() || !isViewLoaded()) return;
  controller->view();
  if (previous) previous->beginAppearance(false, animated);
  controller->beginAppearance(true, animated);
  installTopView();
  if (previous) previous->endAppearance(animated);
  controller->endAppearance(animated);
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated) {
  assertMainThread();
  if (stack_.size() < 2) return nullptr;
  auto keepAlive = shared_from_this();
  auto popped = stack_.back();
  stack_.pop_back();
  recordTransition(ControllerTransition::Kind::Pop, animated, popped);
  auto top = stack_.back();
  if (isAppeared() && isViewLoaded()) {
    popped->beginAppearance(false, animated);
    top->beginAppearance(true, animated);
    installTopView();
    popped->endAppearance(animated);
    top->endAppearance(animated);
  } else if (popped->isViewLoaded()) {
    popped->view()->removeFromSuperview();
  }
  popped->setNavigationController({});
  return popped;
}

std::optional<std::string> NavigationController::backButtonTitle() const {
  if (stack_.size() < 2) return std::nullopt;
  const auto& top = *stack_.back();
  if (top.navigationItem().hidesBackButton() || top.navigationItem().leftBarButtonItem()) {
    return std::nullopt;
  }
  const auto& previous = *stack_[stack_.size() - 2];
  if (const auto& back = previous.navigationItem().backBarButtonItem()) return back->title();
  if (!previous.navigationItem().title().empty()) return previous.navigationItem().title();
  return "Back";
}

void NavigationController::viewWillAppear(bool animated) {
  installTopView();
  if (auto top = topViewController()) top->beginAppearance(true, animated);
}

void NavigationController::viewDidAppear(bool animated) {
  if (auto top = topViewController()) top->endAppearance(animated);
}

void NavigationController::viewWillDisappear(bool animated) {
  if (auto top = topViewController()) top->beginAppearance(false, animated);
}

void NavigationController::viewDidDisappear(bool animated) {
  if (auto top = topViewController()) top->endAppearance(animated);
}

}  // namespace zt
