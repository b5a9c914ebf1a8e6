#include "platform/ui/alert_view.h"

#include <iterator>

#include "platform/ui/popup_life.h"

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
  buttons_.insert(buttons_.end(), std::make_move_iterator(otherButtonTitles.begin()),
                  std::make_move_iterator(otherButtonTitles.end()));
}

bool AlertView::isVisible() const { return isShownPopup(*this); }

void AlertView::show() { showPopupOnce(*this); }

void AlertView::clickButton(int index) { closePopup(*this, index); }

}  // namespace zt
