// NavigationItem: what a view controller shows in the navigation bar while it is on top: title,
// left and right bar buttons, and the back button item that the controller pushed above it shows
// (its title only is used). hidesBackButton removes the back button of this controller.
//
// Main thread only. Setting an item "animated" is recorded as a plain set.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/bar_button_item.h"

namespace zt {

class NavigationItem {
 public:
  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return left_; }
  void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
  const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return right_; }
  void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
  const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return back_; }
  void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item);
  bool hidesBackButton() const { return hidesBack_; }
  void setHidesBackButton(bool hides, bool animated = false);

 private:
  std::string title_;
  std::shared_ptr<BarButtonItem> left_;
  std::shared_ptr<BarButtonItem> right_;
  std::shared_ptr<BarButtonItem> back_;
  bool hidesBack_ = false;
};

}  // namespace zt
