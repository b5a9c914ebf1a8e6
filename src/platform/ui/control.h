// Control: a view that runs actions ("targets") on control events: touch-up-inside for buttons
// and switches, value-changed for switches, editing events for text inputs. A disabled control
// takes no touch (Touch checks it); its actions still run when the code sends the events.
//
// Main thread only.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/ui/view.h"

namespace zt {

enum class ControlEvent {
  TouchUpInside,
  ValueChanged,
  EditingDidBegin,
  EditingChanged,
  EditingDidEnd
};

class Control : public View {
 public:
  using Action = std::function<void()>;
  using View::View;

  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  void addTarget(Action action, ControlEvent event);
  // Runs the actions bound to `event`, in the order they were added.
  void sendActionsForControlEvents(ControlEvent event);

 private:
  bool enabled_ = true;
  std::vector<std::pair<ControlEvent, Action>> targets_;
};

}  // namespace zt
