// Room for the keyboard: while it is up the toolbar sits above it and the table shrinks to the
// Sent row; when it has gone both return to their places under the navigation bar.
#include <cmath>

#include "transfer/data_transfers_view_controller.h"

namespace zt {

namespace {

// The application frame as the status bar's orientation shows it, in whole points, and the
// extra room a landscape screen gives up.
struct ScreenSize {
  float width;
  float height;
  float landscapeExtra;
};

ScreenSize screenSize() {
  const Application& app = Application::shared();
  const Rect frame = app.applicationFrame();
  if (app.statusBarOrientation() == InterfaceOrientation::Portrait) {
    return {std::trunc(frame.width), std::trunc(frame.height), 0};
  }
  return {std::trunc(frame.height), std::trunc(frame.width), 32};
}

}  // namespace

void DataTransfersViewController::keyboardWillShow(const Notification& notification) {
  const auto entry = notification.userInfo.find(UIKeyboardBoundsUserInfoKey);
  const Rect* bounds =
      entry == notification.userInfo.end() ? nullptr : std::any_cast<Rect>(&entry->second);
  if (!toolbar_ || bounds == nullptr) return;
  const ScreenSize screen = screenSize();
  const float keyboard = std::trunc(bounds->height);
  const float bar = std::trunc(toolbar_->frame().height);
  toolbar_->setFrame({0, keyboard - 15 - bar, screen.width, bar});
  tableview_->setFrame(
      {0, 0, screen.width, screen.height + 15 - (keyboard + 60) - screen.landscapeExtra - bar});
  tableview_->scrollToRowAtIndexPath({1, 1}, TableViewScrollPosition::Bottom, true);
}

void DataTransfersViewController::keyboardDidHide(const Notification& /*notification*/) {
  if (!toolbar_) return;
  const ScreenSize screen = screenSize();
  const auto navigation = navigationController();
  const float navigationBar =
      navigation ? std::trunc(navigation->navigationBar()->frame().height) : 0;
  const float bar = std::trunc(toolbar_->frame().height);
  toolbar_->setFrame({0, screen.height - bar - navigationBar, screen.width, bar});
  tableview_->setFrame({0, 0, screen.width, 450});
}

}  // namespace zt
