#include "platform/ui/alert_view.h"

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"

namespace zt {

AlertView::AlertView(std::string title, std::string message,
                     std::weak_ptr<AlertViewDelegate> delegate,
                     std::optional<std::string> cancelButtonTitle,
                     std::vector<std::string> otherButtonTitles)
    : title_(std::move(title)),
      message_(std::move(message)),
      delegate_(std::move(delegate)),
      hasCancel_(cancelButtonTitle.has_value()) {
  if (cancelButtonTitle) buttons_.push_back(std::move(*cancelButtonTitle));
  for (auto& other : otherButtonTitles) buttons_.push_back(std::move(other));
}

bool AlertView::isVisible() const {
  for (const auto& popup : Application::shared().popups()) {
    if (auto* alert = std::get_if<std::shared_ptr<AlertView>>(&popup);
        alert && alert->get() == this) {
      return true;
    }
  }
  return false;
}

void AlertView::show() {
  assertMainThread();
  if (!isVisible()) Application::shared().showPopup(shared_from_this());
}

void AlertView::clickButton(int index) {
  assertMainThread();
  auto keepAlive = shared_from_this();
  if (!Application::shared().removePopup(this)) return;
  auto d = delegate();
  if (d) d->clickedButtonAtIndex(*this, index);
  if (d) d->didDismissWithButtonIndex(*this, index);
}

void AlertView::dismissWithClickedButtonIndex(int index, bool) {
  assertMainThread();
  auto keepAlive = shared_from_this();
  if (!Application::shared().removePopup(this)) return;
  if (auto d = delegate()) d->didDismissWithButtonIndex(*this, index);
}

}  // namespace zt
