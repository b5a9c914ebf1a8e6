// AlertView: a modal message with a title, a message and buttons. Button indexes: the cancel
// button (if any) is 0, the other buttons follow in order. show() puts it on top of everything;
// while shown it takes every touch. A tap on a button (Touch::tapAlertButton) takes it off
// screen, then tells the delegate clickedButtonAtIndex and didDismissWithButtonIndex.
//
// Create with make_shared. The delegate is held weakly; the application holds a shown alert.
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zt {

class AlertView;

class AlertViewDelegate {
 public:
  virtual ~AlertViewDelegate() = default;
  virtual void clickedButtonAtIndex(AlertView&, int) {}
  virtual void didDismissWithButtonIndex(AlertView&, int) {}
};

class AlertView : public std::enable_shared_from_this<AlertView> {
 public:
  AlertView(std::string title, std::string message, std::weak_ptr<AlertViewDelegate> delegate,
            std::optional<std::string> cancelButtonTitle,
            std::vector<std::string> otherButtonTitles = {});

  const std::string& title() const { return title_; }
  const std::string& message() const { return message_; }
  // All button titles in index order.
  const std::vector<std::string>& buttonTitles() const { return buttons_; }
  int cancelButtonIndex() const { return hasCancel_ ? 0 : -1; }
  std::shared_ptr<AlertViewDelegate> delegate() const { return delegate_.lock(); }
  bool isVisible() const;

  void show();
  // The button at `index` was tapped: off screen, then the delegate's callbacks.
  void clickButton(int index);

 private:
  std::string title_;
  std::string message_;
  std::weak_ptr<AlertViewDelegate> delegate_;
  bool hasCancel_;
  std::vector<std::string> buttons_;
};

}  // namespace zt
