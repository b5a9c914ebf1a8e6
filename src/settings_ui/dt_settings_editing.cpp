// The settings screen while a field is edited: the table's shift, the overlay that ends the edit
// at a touch, the Done key over the number pad, the Return rule and the delayed cursor move.
#include <algorithm>
#include <any>
#include <cmath>

#include "platform/runloop/run_loop.h"
#include "settings_ui/dt_settings_view_controller.h"

namespace zt {
namespace {

constexpr int kTestFileSection = 1;
// The interval's row lies high in the table: it moves up this much less than the others.
constexpr float kIntervalShiftReduction = 44;
constexpr Rect kDoneKeyFrame{0, 427, 106, 53};
constexpr double kCursorDelaySeconds = 0.1;

// The height of the keyboard's bounds in a notification, truncated toward zero; 0 without one.
std::int32_t keyboardHeightOf(const Notification& notification) {
  const auto found = notification.userInfo.find(UIKeyboardBoundsUserInfoKey);
  if (found == notification.userInfo.end()) return 0;
  const auto* bounds = std::any_cast<Rect>(&found->second);
  if (bounds == nullptr || !(std::fabs(bounds->height) < 1.0e9f)) return 0;
  return static_cast<std::int32_t>(bounds->height);
}

}  // namespace

void DTSettingsViewController::viewWillAppear(bool) {
  auto& center = NotificationCenter::defaultCenter();
  center.addObserver(this, UIKeyboardWillShowNotification,
                     [this](const Notification& n) { keyboardWillShow(n); });
  center.addObserver(this, UIKeyboardDidHideNotification,
                     [this](const Notification& n) { keyboardDidHide(n); });
  center.addObserver(this, UIKeyboardDidShowNotification,
                     [this](const Notification& n) { handleKeyboardDidShow(n); });
  center.addObserver(this, UIKeyboardWillHideNotification,
                     [this](const Notification& n) { handleKeyboardWillHide(n); });
}

void DTSettingsViewController::viewWillDisappear(bool) {
  NotificationCenter::defaultCenter().removeObserver(this);
  endEditing();
}

void DTSettingsViewController::viewDidDisappear(bool) { removeDoneKey(); }

void DTSettingsViewController::touchesEnded() { endEditing(); }

void DTSettingsViewController::finishAction() { endEditing(); }

void DTSettingsViewController::endEditing() {
  if (auto field = curTextView_.lock()) field->resignFirstResponder();
  if (editingOverlay_) editingOverlay_->setHidden(true);
}

std::optional<int> DTSettingsViewController::rowOfField(const TextView& textView) const {
  const std::pair<int, const UIZemraTextView*> fields[] = {
      {kLineRow, largedataTextView_.get()},
      {kIntervalRow, intervalTimeTextView_.get()},
      {kRepetitionsRow, lineCountTextView_.get()},
      {kPacketSizeRow, eachPacketSizeTextView_.get()},
      {kSleepTimeRow, sleepTimeTextView_.get()},
  };
  for (const auto& [row, field] : fields) {
    if (field == &textView) return row;
  }
  return std::nullopt;
}

void DTSettingsViewController::textViewDidBeginEditing(TextView& textView) {
  const auto row = rowOfField(textView);
  if (!row) return;
  curSection_ = kTestFileSection;
  curRow_ = *row;
  curTextView_ = std::static_pointer_cast<UIZemraTextView>(textView.shared_from_this());
  // Before the keyboard's height is known the table stays put, the interval's row included.
  float shift = 0;
  if (curRow_ == kIntervalRow) {
    shift = std::max(0.0f, static_cast<float>(keyboardHeight_) - kIntervalShiftReduction);
  } else if (curRow_ != kLineRow) {
    shift = static_cast<float>(keyboardHeight_);
  }
  tableview_->setFrame(tableview_->frame().offsetBy(0, -shift));
  tableview_->scrollToRowAtIndexPath({curSection_, curRow_}, TableViewScrollPosition::Bottom, true);
  editingOverlay_->setHidden(false);
  if (curRow_ == kLineRow) return;
  RunLoop::main().after(kCursorDelaySeconds, [weak = weakAs<DTSettingsViewController>()] {
    if (auto screen = weak.lock()) screen->gotoBehind();
  });
}

void DTSettingsViewController::gotoBehind() {
  if (auto field = curTextView_.lock()) field->setSelectedRange({field->text().size(), 0});
}

bool DTSettingsViewController::shouldChangeTextInRange(TextView&, Range, const std::string& text) {
  if (text != "\n") return true;
  endEditing();
  return false;
}

void DTSettingsViewController::keyboardWillShow(const Notification& notification) {
  keyboardHeight_ = keyboardHeightOf(notification);
}

void DTSettingsViewController::keyboardDidHide(const Notification&) {
  tableview_->setFrame(tableviewRect_);
}

void DTSettingsViewController::handleKeyboardDidShow(const Notification&) {
  if (curSection_ == kTestFileSection && curRow_ == kLineRow) return;
  if (!doneInKeyboardButton_) {
    doneInKeyboardButton_ = std::make_shared<Button>(ButtonType::Custom);
    doneInKeyboardButton_->setTitle("Done");
    doneInKeyboardButton_->setTitleColor(Color::gray());
    doneInKeyboardButton_->setFrame(kDoneKeyFrame);
    doneInKeyboardButton_->setAdjustsImageWhenHighlighted(false);
    doneInKeyboardButton_->addTarget(
        [weak = weakAs<DTSettingsViewController>()] {
          if (auto screen = weak.lock()) screen->finishAction();
        },
        ControlEvent::TouchUpInside);
  }
  const auto windows = Application::shared().windows();
  if (!doneInKeyboardButton_->superview() && windows.size() > 1) {
    windows[1]->addSubview(doneInKeyboardButton_);
  }
}

void DTSettingsViewController::handleKeyboardWillHide(const Notification&) { removeDoneKey(); }

void DTSettingsViewController::removeDoneKey() {
  if (doneInKeyboardButton_ && doneInKeyboardButton_->superview()) {
    doneInKeyboardButton_->removeFromSuperview();
  }
}

}  // namespace zt
