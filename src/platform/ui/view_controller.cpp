#include "platform/ui/view_controller.h"

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"
#include "platform/ui/navigation_controller.h"

namespace zt {

ViewController::~ViewController() {
  if (view_) view_->setViewController({});
}

std::shared_ptr<View> ViewController::view() {
  assertMainThread();
  if (!view_ && !loading_) {
    loading_ = true;
    loadView();
    if (!view_) setView(std::make_shared<View>());
    loading_ = false;
    viewDidLoad();
  }
  return view_;
}

void ViewController::loadView() {
  Rect app = Application::shared().applicationFrame();
  setView(std::make_shared<View>(Rect{0, 0, app.width, app.height}));
}

void ViewController::setView(std::shared_ptr<View> view) {
  view_ = std::move(view);
  if (view_) view_->setViewController(weak_from_this());
}

void ViewController::setTitle(std::string title) {
  assertMainThread();
  navigationItem_.setTitle(title);
  title_ = std::move(title);
}

void ViewController::setNavigationController(std::weak_ptr<NavigationController> navigation) {
  navigation_ = std::move(navigation);
}

bool ViewController::isAppeared() const {
  return appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared;
}

void ViewController::beginAppearance(bool appearing, bool animated) {
  auto keepAlive = shared_from_this();
  if (appearing && !isAppeared()) {
    view();
    appearance_ = Appearance::Appearing;
    viewWillAppear(animated);
  } else if (!appearing && isAppeared()) {
    appearance_ = Appearance::Disappearing;
    viewWillDisappear(animated);
  }
}

void ViewController::endAppearance(bool animated) {
  auto keepAlive = shared_from_this();
  if (appearance_ == Appearance::Appearing) {
    if (view_) view_->layoutIfNeeded();
    appearance_ = Appearance::Appeared;
    viewDidAppear(animated);
  } else if (appearance_ == Appearance::Disappearing) {
    appearance_ = Appearance::Disappeared;
    viewDidDisappear(animated);
  }
}

void ViewController::recordTransition(ControllerTransition::Kind kind, bool animated,
                                      const std::shared_ptr<ViewController>& controller) {
  transitions_.push_back({kind, animated, controller});
  noteModelChange();
}

void ViewController::presentModalViewController(std::shared_ptr<ViewController> controller,
                                                bool animated) {
  assertMainThread();
  if (auto navigation = navigationController()) {
    navigation->presentModalViewController(std::move(controller), animated);
    return;
  }
  if (!controller || presented_ || controller->presenting_.lock()) return;
  auto keepAlive = shared_from_this();
  presented_ = controller;
  controller->presenting_ = weak_from_this();
  recordTransition(ControllerTransition::Kind::Present, animated, controller);
  controller->view();
  if (appearance_ != Appearance::Appeared || !view_ || !view_->superview()) return;
  View* host = view_->superview();
  beginAppearance(false, animated);
  controller->beginAppearance(true, animated);
  controller->placeModally(*host);
  leaveHost();
  endAppearance(animated);
  controller->endAppearance(animated);
}

void ViewController::dismissModalViewControllerAnimated(bool animated) {
  assertMainThread();
  if (!presented_) {
    if (auto presenter = presenting_.lock())
      presenter->dismissModalViewControllerAnimated(animated);
    return;
  }
  auto keepAlive = shared_from_this();
  auto controller = presented_;
  recordTransition(ControllerTransition::Kind::Dismiss, animated, controller);
  auto modalView = controller->view_;
  View* host = modalView ? modalView->superview() : nullptr;
  if (host && view_) {
    controller->beginAppearance(false, animated);
    host->insertSubviewBelow(view_, modalView.get());
    if (modalBar_) host->insertSubviewBelow(modalBar_, modalView.get());
    beginAppearance(true, animated);
    controller->leaveHost();
    controller->endAppearance(animated);
    endAppearance(animated);
  }
  presented_.reset();
  controller->presenting_.reset();
  controller->modalBar_.reset();
}

void ViewController::placeModally(View& host) {
  const Rect frame = Application::shared().applicationFrame();
  view_->setFrame(frame);
  host.addSubview(view_);
  if (dynamic_cast<NavigationController*>(this)) return;
  if (!modalBar_) {
    modalBar_ = std::make_shared<NavigationBar>(
        Rect{frame.x, frame.y, frame.width, NavigationController::kBarHeight});
  }
  host.addSubview(modalBar_);
}

void ViewController::leaveHost() {
  if (view_) view_->removeFromSuperview();
  if (modalBar_) modalBar_->removeFromSuperview();
}

}  // namespace zt
