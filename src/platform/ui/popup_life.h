// The life of a popup (AlertView, ActionSheet) as both kinds share it: shown at most once on
// top of everything, taken off screen by a tap, and only then does its delegate hear of it. A
// popup that is not shown ignores taps.
//
// For the two popup implementations only. Main thread only.
#pragma once

#include <algorithm>
#include <memory>
#include <variant>

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"

namespace zt {

// Whether `popup` is among the application's shown popups.
template <typename P>
bool isShownPopup(const P& popup) {
  const auto& shown = Application::shared().popups();
  return std::any_of(shown.begin(), shown.end(), [&](const Popup& entry) {
    const auto* held = std::get_if<std::shared_ptr<P>>(&entry);
    return held && held->get() == &popup;
  });
}

template <typename P>
void showPopupOnce(P& popup) {
  assertMainThread();
  if (!isShownPopup(popup)) Application::shared().showPopup(popup.shared_from_this());
}

// Takes `popup` off screen; if it was shown, tells its delegate clickedButtonAtIndex and then
// didDismissWithButtonIndex.
template <typename P>
void closePopup(P& popup, int index) {
  assertMainThread();
  auto keepAlive = popup.shared_from_this();
  if (!Application::shared().removePopup(&popup)) return;
  auto delegate = popup.delegate();
  if (!delegate) return;
  delegate->clickedButtonAtIndex(popup, index);
  delegate->didDismissWithButtonIndex(popup, index);
}

}  // namespace zt
