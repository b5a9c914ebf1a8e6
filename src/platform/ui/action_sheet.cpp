#include "platform/ui/action_sheet.h"

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"

namespace zt {

ActionSheet::ActionSheet(std::string title, std::weak_ptr<ActionSheetDelegate> delegate,
                         std::optional<std::string> cancelButtonTitle,
                         std::optional<std::string> destructiveButtonTitle,
                         std::vector<std::string> otherButtonTitles)
    : title_(std::move(title)), delegate_(std::move(delegate)) {
  if (destructiveButtonTitle) {
    destructiveIndex_ = 0;
    buttons_.push_back(std::move(*destructiveButtonTitle));
  }
  for (auto& other : otherButtonTitles) buttons_.push_back(std::move(other));
  if (cancelButtonTitle) {
    cancelIndex_ = static_cast<int>(buttons_.size());
    buttons_.push_back(std::move(*cancelButtonTitle));
  }
}

bool ActionSheet::isVisible() const {
  for (const auto& popup : Application::shared().popups()) {
    if (auto* sheet = std::get_if<std::shared_ptr<ActionSheet>>(&popup);
        sheet && sheet->get() == this) {
      return true;
    }
  }
  return false;
}

void ActionSheet::showInView(View&) {
  assertMainThread();
  if (!isVisible()) Application::shared().showPopup(shared_from_this());
}

void ActionSheet::clickButton(int index) {
  assertMainThread();
  auto keepAlive = shared_from_this();
  if (!Application::shared().removePopup(this)) return;
  auto d = delegate();
  if (d) d->clickedButtonAtIndex(*this, index);
  if (d) d->didDismissWithButtonIndex(*this, index);
}

void ActionSheet::dismissWithClickedButtonIndex(int index, bool) {
  assertMainThread();
  auto keepAlive = shared_from_this();
  if (!Application::shared().removePopup(this)) return;
  if (auto d = delegate()) d->didDismissWithButtonIndex(*this, index);
}

}  // namespace zt
