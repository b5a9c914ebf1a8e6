// ActionSheet: a menu over a view. Button indexes: the destructive button (if any) first, then
// the other buttons in order, then the cancel button last. showInView puts it on top of
// everything; while shown it takes every touch. Choosing an entry
// (Touch::chooseActionSheetEntry) takes it off screen, then tells the delegate
// clickedButtonAtIndex and didDismissWithButtonIndex.
//
// Create with make_shared. The delegate is held weakly; the application holds a shown sheet.
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zt {

class ActionSheet;
class View;

class ActionSheetDelegate {
 public:
  virtual ~ActionSheetDelegate() = default;
  virtual void clickedButtonAtIndex(ActionSheet&, int) {}
  virtual void didDismissWithButtonIndex(ActionSheet&, int) {}
};

class ActionSheet : public std::enable_shared_from_this<ActionSheet> {
 public:
  ActionSheet(std::string title, std::weak_ptr<ActionSheetDelegate> delegate,
              std::optional<std::string> cancelButtonTitle,
              std::optional<std::string> destructiveButtonTitle,
              std::vector<std::string> otherButtonTitles);

  const std::string& title() const { return title_; }
  const std::vector<std::string>& buttonTitles() const { return buttons_; }
  int cancelButtonIndex() const { return cancelIndex_; }
  std::shared_ptr<ActionSheetDelegate> delegate() const { return delegate_.lock(); }
  bool isVisible() const;

  void showInView(View& view);
  // The entry at `index` was chosen: off screen, then the delegate's callbacks.
  void clickButton(int index);

 private:
  std::string title_;
  std::weak_ptr<ActionSheetDelegate> delegate_;
  std::vector<std::string> buttons_;
  int cancelIndex_ = -1;
};

}  // namespace zt
