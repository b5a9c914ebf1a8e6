#include "platform/ui/window.h"

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"
#include "platform/ui/view_controller.h"

namespace zt {

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
  assertMainThread();
  if (controller == root_) return;
  if (root_ && root_->isViewLoaded()) root_->view()->removeFromSuperview();
  root_ = std::move(controller);
  if (!root_) return;
  auto rootView = root_->view();
  rootView->setFrame(Application::shared().applicationFrame());
  addSubview(rootView);
  if (Application::shared().isWindowOnScreen(*this)) {
    root_->beginAppearance(true, false);
    root_->endAppearance(false);
  }
}

void Window::makeKeyAndVisible() {
  assertMainThread();
  Application::shared().makeKeyAndVisible(std::static_pointer_cast<Window>(shared_from_this()));
  if (root_) {
    root_->beginAppearance(true, false);
    root_->endAppearance(false);
  }
}

std::shared_ptr<View> Window::hitTest(Point point) {
  auto hit = View::hitTest(point);
  return hit.get() == this ? nullptr : hit;
}

}  // namespace zt
