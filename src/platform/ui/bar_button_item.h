// BarButtonItem: a button of a navigation bar or a toolbar: a titled button (plain, bordered or
// done style), a system item (the Action glyph, a flexible space) or an item holding a custom
// view (a text field in a toolbar). Its target-action is a function run by Touch::tapBarButton.
//
// Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zt {

class View;

enum class BarButtonItemStyle { Plain, Bordered, Done };

// Values as the toolkit numbers them.
enum class BarButtonSystemItem { Done = 0, Cancel = 1, FlexibleSpace = 5, Action = 9 };
inline constexpr BarButtonSystemItem UIBarButtonSystemItemAction = BarButtonSystemItem::Action;

class BarButtonItem {
 public:
  using Action = std::function<void()>;

  BarButtonItem(std::string title, BarButtonItemStyle style, Action action = {});
  explicit BarButtonItem(BarButtonSystemItem item, Action action = {});
  explicit BarButtonItem(std::shared_ptr<View> customView);

  // The title shown: the item's title, or the system item's name ("Action", "Done", "Cancel").
  std::string title() const;
  void setTitle(std::string title);
  BarButtonItemStyle style() const { return style_; }
  bool isFlexibleSpace() const { return system_ == BarButtonSystemItem::FlexibleSpace; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  const std::shared_ptr<View>& customView() const { return customView_; }
  // Runs the action, if any (Touch calls this after its checks).
  void sendAction() const;

 private:
  std::string title_;
  BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
  std::optional<BarButtonSystemItem> system_;
  bool enabled_ = true;
  std::shared_ptr<View> customView_;
  Action action_;
};

}  // namespace zt
