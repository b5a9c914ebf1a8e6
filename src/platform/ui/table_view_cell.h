// TableViewCell: one row's view. Default style: a title label and an image at the left. Value-1
// style: a title at the left and a value (detailTextLabel) at the right. The labels and the image
// live in the content view; an accessory (a standard mark, or any view such as a switch or a
// text view) sits at the right end, centred vertically, and the content view gives way to it.
//
// A cell with a reuse identifier goes back to its table's reuse queue when its row leaves the
// visible area or is reloaded, and may come back for any row. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/image_view.h"
#include "platform/ui/label.h"

namespace zt {

enum class TableViewCellStyle { Default, Value1 };
enum class TableViewCellAccessoryType {
  None,
  DisclosureIndicator,
  DetailDisclosureButton,
  Checkmark
};
enum class TableViewCellSelectionStyle { None, Blue, Gray };

class TableViewCell : public View {
 public:
  static constexpr float kAccessoryMargin = 10;
  static constexpr float kAccessoryMarkWidth = 20;

  TableViewCell(TableViewCellStyle style, std::string reuseIdentifier);

  TableViewCellStyle style() const { return style_; }
  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  const std::shared_ptr<View>& contentView() const { return content_; }
  const std::shared_ptr<Label>& textLabel() const { return textLabel_; }
  // Null in the default style.
  const std::shared_ptr<Label>& detailTextLabel() const { return detailLabel_; }
  const std::shared_ptr<ImageView>& imageView() const { return imageView_; }
  TableViewCellAccessoryType accessoryType() const { return accessoryType_; }
  void setAccessoryType(TableViewCellAccessoryType type);
  // Replaces the accessory mark; the view becomes a subview of the cell (the previous accessory
  // view leaves it). Null removes it.
  const std::shared_ptr<View>& accessoryView() const { return accessoryView_; }
  void setAccessoryView(std::shared_ptr<View> view);
  TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(TableViewCellSelectionStyle style) { selectionStyle_ = style; }

 protected:
  void layoutSubviews() override { placeParts(); }

 private:
  void placeParts();
  TableViewCellStyle style_;
  std::string reuseIdentifier_;
  std::shared_ptr<View> content_;
  std::shared_ptr<Label> textLabel_;
  std::shared_ptr<Label> detailLabel_;
  std::shared_ptr<ImageView> imageView_;
  TableViewCellAccessoryType accessoryType_ = TableViewCellAccessoryType::None;
  std::shared_ptr<View> accessoryView_;
  TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Blue;
};

}  // namespace zt
