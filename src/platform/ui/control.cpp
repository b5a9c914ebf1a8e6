#include "platform/ui/control.h"

#include "platform/ui/model_state.h"

namespace zt {

void Control::setEnabled(bool enabled) {
  assertMainThread();
  if (enabled == enabled_) return;
  enabled_ = enabled;
  noteModelChange();
}

void Control::addTarget(Action action, ControlEvent event) {
  targets_.emplace_back(event, std::move(action));
}

void Control::sendActionsForControlEvents(ControlEvent event) {
  auto keepAlive = shared_from_this();
  auto targets = targets_;  // an action may add or remove targets
  for (auto& [bound, action] : targets) {
    if (bound == event && action) action();
  }
}

}  // namespace zt
