// Toolbar: a bar of items (buttons, flexible spaces, items holding a custom view such as a text
// field), left to right. Items holding a view make that view a subview of the toolbar, so it can
// be touched and become first responder.
//
// Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/bar_button_item.h"
#include "platform/ui/view.h"

namespace zt {

class Toolbar : public View {
 public:
  static constexpr float kMargin = 6;
  static constexpr float kButtonWidth = 60;

  using View::View;

  const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);
  // Where the item at `index` sits (toolbar coordinates): items go left to right, a custom view
  // keeping its width, a titled button kButtonWidth wide, a flexible space taking nothing.
  Rect rectForItemAtIndex(std::size_t index) const;

 protected:
  // Places the custom views where rectForItemAtIndex says.
  void layoutSubviews() override;

 private:
  std::vector<std::shared_ptr<BarButtonItem>> items_;
};

}  // namespace zt
