#include "platform/ui/application.h"

#include <algorithm>

#include "platform/ui/model_state.h"
#include "platform/ui/window.h"

namespace zt {

namespace {
const void* popupAddress(const Popup& popup) {
  return std::visit([](const auto& p) -> const void* { return p.get(); }, popup);
}
}  // namespace

Application& Application::shared() {
  // Never destroyed: screens released at exit would outlive the notification centre. An
  // orderly shutdown goes through terminate().
  static auto* application = new Application();
  return *application;
}

bool Application::launch(const LaunchOptions& options) {
  assertMainThread();
  auto d = delegate_;
  if (!d) return false;
  bool launched = d->didFinishLaunchingWithOptions(*this, options);
  d->applicationDidBecomeActive(*this);
  return launched;
}

void Application::enterBackground() {
  assertMainThread();
  if (auto d = delegate_) {
    d->applicationWillResignActive(*this);
    d->applicationDidEnterBackground(*this);
  }
}

void Application::enterForeground() {
  assertMainThread();
  if (auto d = delegate_) {
    d->applicationWillEnterForeground(*this);
    d->applicationDidBecomeActive(*this);
  }
}

void Application::terminate() {
  assertMainThread();
  if (auto d = delegate_) d->applicationWillTerminate(*this);
  delegate_.reset();
  popups_.clear();
  keyboard_.reset();
  keyWindow_.reset();
  windows_.clear();
  noteModelChange();
}

std::vector<std::shared_ptr<Window>> Application::windows() const {
  auto all = windows_;
  if (keyboard_.isVisible()) all.push_back(keyboard_.window());
  return all;
}

bool Application::isWindowOnScreen(const Window& window) const {
  auto listed = [&](const auto& w) { return w.get() == &window; };
  if (std::any_of(windows_.begin(), windows_.end(), listed)) return true;
  return keyboard_.isVisible() && keyboard_.isKeyboardWindow(window);
}

void Application::makeKeyAndVisible(const std::shared_ptr<Window>& window) {
  assertMainThread();
  if (std::find(windows_.begin(), windows_.end(), window) == windows_.end()) {
    windows_.push_back(window);
  }
  keyWindow_ = window;
  noteModelChange();
}

void Application::showPopup(Popup popup) {
  assertMainThread();
  popups_.push_back(std::move(popup));
  noteModelChange();
}

bool Application::removePopup(const void* popup) {
  assertMainThread();
  auto it = std::find_if(popups_.begin(), popups_.end(),
                         [&](const Popup& p) { return popupAddress(p) == popup; });
  if (it == popups_.end()) return false;
  popups_.erase(it);
  noteModelChange();
  return true;
}

bool Application::isTopPopup(const void* popup) const {
  return !popups_.empty() && popupAddress(popups_.back()) == popup;
}

void Application::resetForTesting() {
  delegate_.reset();
  popups_.clear();
  keyboard_.reset();
  keyWindow_.reset();
  windows_.clear();
  idleTimerDisabled_ = false;
  orientation_ = InterfaceOrientation::Portrait;
  noteModelChange();
}

}  // namespace zt
