#include "platform/ui/action_sheet.h"

#include <iterator>

#include "platform/ui/popup_life.h"

namespace zt {

ActionSheet::ActionSheet(std::string title, std::weak_ptr<ActionSheetDelegate> delegate,
                         std::optional<std::string> cancelButtonTitle,
                         std::optional<std::string> destructiveButtonTitle,
                         std::vector<std::string> otherButtonTitles)
    : title_(std::move(title)), delegate_(std::move(delegate)) {
  if (destructiveButtonTitle) buttons_.push_back(std::move(*destructiveButtonTitle));
  buttons_.insert(buttons_.end(), std::make_move_iterator(otherButtonTitles.begin()),
                  std::make_move_iterator(otherButtonTitles.end()));
  if (cancelButtonTitle) {
    cancelIndex_ = static_cast<int>(buttons_.size());
    buttons_.push_back(std::move(*cancelButtonTitle));
  }
}

bool ActionSheet::isVisible() const { return isShownPopup(*this); }

void ActionSheet::showInView(View&) { showPopupOnce(*this); }

void ActionSheet::clickButton(int index) { closePopup(*this, index); }

}  // namespace zt
