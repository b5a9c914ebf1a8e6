#include "platform/ui/table_view_cell.h"

#include "platform/ui/model_state.h"

namespace zt {

TableViewCell::TableViewCell(TableViewCellStyle style, std::string reuseIdentifier)
    : View(Rect{0, 0, 320, 44}),
      style_(style),
      reuseIdentifier_(std::move(reuseIdentifier)),
      content_(std::make_shared<View>()),
      textLabel_(std::make_shared<Label>()),
      imageView_(std::make_shared<ImageView>()) {
  if (style_ == TableViewCellStyle::Value1) {
    detailLabel_ = std::make_shared<Label>();
    detailLabel_->setTextAlignment(TextAlignment::Right);
  }
  setBackgroundColor(Color::white());
  placeParts();
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
  assertMainThread();
  accessoryType_ = type;
  noteModelChange();
}

void TableViewCell::setAccessoryView(std::shared_ptr<View> view) {
  assertMainThread();
  if (view == accessoryView_) return;
  if (accessoryView_ && accessoryView_->superview() == this) accessoryView_->removeFromSuperview();
  accessoryView_ = std::move(view);
  if (accessoryView_) addSubview(accessoryView_);
  placeParts();
  noteModelChange();
}

void TableViewCell::placeParts() {
  if (!content_->superview()) {
    addSubview(content_);
    content_->addSubview(imageView_);
    content_->addSubview(textLabel_);
    if (detailLabel_) content_->addSubview(detailLabel_);
  }
  Rect b{0, 0, frame().width, frame().height};
  float right = b.width;
  if (accessoryView_) {
    Rect a = accessoryView_->frame();
    float x = b.width - kAccessoryMargin - a.width;
    accessoryView_->setFrame({x, (b.height - a.height) / 2, a.width, a.height});
    right = x;
  } else if (accessoryType_ != TableViewCellAccessoryType::None) {
    right = b.width - kAccessoryMargin - kAccessoryMarkWidth;
  }
  content_->setFrame({0, 0, right, b.height});
  float textX = imageView_->image().empty() ? kAccessoryMargin : b.height;
  imageView_->setFrame({0, 0, imageView_->image().empty() ? 0 : b.height, b.height});
  float half = (right - textX) / 2;
  textLabel_->setFrame(
      {textX, 0, detailLabel_ ? half : right - textX - kAccessoryMargin, b.height});
  if (detailLabel_) detailLabel_->setFrame({textX + half, 0, half - kAccessoryMargin, b.height});
}

}  // namespace zt
