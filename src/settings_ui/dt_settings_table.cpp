// The settings screen's two tables: the main table with its fields, and the format picker.
#include <iterator>

#include "settings/glb_param.h"
#include "settings_ui/dt_settings_view_controller.h"

namespace zt {
namespace {

constexpr int kPickerTag = 1;
constexpr float kRowHeight = 45;
constexpr float kHeaderHeight = 30;
constexpr Rect kPickerShown{0, 250, 320, 300};
constexpr Rect kPickerAway{0, 2300, 320, 300};
constexpr float kNumericFieldWidth = 90;

const char* const kFormatNames[] = {"ASCII", "UTF-8"};
constexpr int kPickerRows = 3;  // the two formats, then "Close"

bool isPicker(const TableView& table) { return table.tag() == kPickerTag; }

std::string formatName(std::uint8_t format) {
  return format < std::size(kFormatNames) ? kFormatNames[format] : "";
}

Transition pickerTransition(const std::string& type, const std::string& subtype) {
  return Transition{type, subtype, 0.3, kCAFillModeForwards, kCAMediaTimingFunctionDefault};
}

std::shared_ptr<TableViewCell> reusableCell(TableView& table, const std::string& identifier) {
  if (auto cell = table.dequeueReusableCellWithIdentifier(identifier)) return cell;
  return std::make_shared<TableViewCell>(TableViewCellStyle::Value1, identifier);
}

// A reused cell gives up the fields of the row it showed before; its labels are filled anew.
void removeFields(TableViewCell& cell) {
  if (std::dynamic_pointer_cast<UIZemraTextView>(cell.accessoryView())) {
    cell.setAccessoryView(nullptr);
  }
  const auto children = cell.subviews();
  for (const auto& child : children) {
    if (std::dynamic_pointer_cast<UIZemraTextView>(child)) child->removeFromSuperview();
  }
}

}  // namespace

int DTSettingsViewController::numberOfSectionsInTableView(TableView& table) {
  return isPicker(table) ? 1 : 2;
}

int DTSettingsViewController::numberOfRowsInSection(TableView& table, int section) {
  if (isPicker(table)) return kPickerRows;
  return section == 0 ? 1 : kTestFileRows;
}

float DTSettingsViewController::heightForRowAtIndexPath(TableView&, IndexPath) {
  return kRowHeight;
}

float DTSettingsViewController::heightForHeaderInSection(TableView&, int) { return kHeaderHeight; }

std::optional<std::string> DTSettingsViewController::titleForHeaderInSection(TableView& table,
                                                                             int section) {
  if (isPicker(table)) return std::nullopt;
  return section == 0 ? "" : "Send Test File Data";
}

std::shared_ptr<TableViewCell> DTSettingsViewController::cellForRowAtIndexPath(TableView& table,
                                                                               IndexPath path) {
  return isPicker(table) ? pickerCell(table, path.row) : mainCell(table, path);
}

void DTSettingsViewController::didSelectRowAtIndexPath(TableView& table, IndexPath path) {
  if (isPicker(table)) {
    chooseFormat(path.row);
  } else if (path == IndexPath{0, 0}) {
    ChangeDataFormat();
  }
}

std::shared_ptr<TableViewCell> DTSettingsViewController::mainCell(TableView& table,
                                                                  IndexPath path) {
  auto cell = reusableCell(table, "DTSettingsViewControllerCell");
  removeFields(*cell);
  cell->detailTextLabel()->setText("");
  if (path.section == 0) {
    cell->textLabel()->setText("Data Format");
    cell->detailTextLabel()->setText(formatName(GlbParam::instance().dataFormat()));
  } else {
    fillTestFileRow(*cell, path.row);
  }
  cell->setBackgroundColor(Color::clear());
  return cell;
}

void DTSettingsViewController::fillTestFileRow(TableViewCell& cell, int row) {
  const GlbParam& param = GlbParam::instance();
  static const char* const kLabels[] = {"",           "Auto-repeat Interval (S)",
                                        "Repetitions", "Total Characters",
                                        "Packet Size", "Sleep Time (ms)"};
  cell.textLabel()->setText(kLabels[row]);
  switch (row) {
    case kLineRow:
      largedataTextView_ = makeField(cell, false, param.largeData_LineCharacter());
      break;
    case kIntervalRow:
      intervalTimeTextView_ = makeField(cell, true, "1");
      break;
    case kRepetitionsRow:
      lineCountTextView_ = makeField(cell, true, std::to_string(param.largeData_LineCount()));
      break;
    case kTotalRow:
      cell.detailTextLabel()->setText("0");
      largedataTotalBytesLabel_ = cell.detailTextLabel();
      showTotal();
      break;
    case kPacketSizeRow:
      eachPacketSizeTextView_ = makeField(cell, true, std::to_string(param.eachPacketSize()));
      break;
    default:
      sleepTimeTextView_ = makeField(cell, true, std::to_string(param.sleepTime()));
      break;
  }
}

// A field at the right end of the row: the line takes the row's width less 20 points; numbers
// are 90 points wide, right-aligned, on the number pad.
std::shared_ptr<UIZemraTextView> DTSettingsViewController::makeField(TableViewCell& cell,
                                                                     bool numeric,
                                                                     std::string text) {
  const float width = numeric ? kNumericFieldWidth : tableview_->frame().width - 20;
  auto field = std::make_shared<UIZemraTextView>(Rect{0, 0, width, kRowHeight});
  field->setText(std::move(text));
  field->setFont(Font{"Helvetica-Bold", 14});
  field->setReturnKeyType(ReturnKeyType::Done);
  field->setBackgroundColor(Color::clear());
  field->setDelegate(weakAs<TextViewDelegate>());
  if (numeric) {
    field->setKeyboardType(KeyboardType::NumberPad);
    field->setTextAlignment(TextAlignment::Right);
  }
  cell.addSubview(field);
  cell.setAccessoryView(field);
  return field;
}

void DTSettingsViewController::ChangeDataFormat() {
  if (formatPicker_) {
    formatPicker_->setFrame(kPickerShown);
    formatPicker_->setScrollEnabled(true);
    formatPicker_->reloadData();
  } else {
    formatPicker_ = std::make_shared<TableView>(kPickerShown, TableViewStyle::Grouped);
    formatPicker_->setDataSource(weakAs<TableViewDataSource>());
    formatPicker_->setDelegate(weakAs<TableViewDelegate>());
    formatPicker_->setTag(kPickerTag);
    formatPicker_->setSeparatorStyle(TableViewCellSeparatorStyle::SingleLine);
    formatPicker_->setSeparatorColor(Color::black());
    formatPicker_->setBackgroundColor(Color::clear());
    formatPicker_->setScrollEnabled(true);
    view()->addSubview(formatPicker_);
  }
  formatPicker_->addAnimation(pickerTransition(kCATransitionPush, kCATransitionFromTop),
                              "animation");
}

void DTSettingsViewController::scrollToBottom() {
  if (!formatPicker_) return;
  formatPicker_->setFrame(kPickerAway);
  formatPicker_->addAnimation(pickerTransition(kCATransitionReveal, kCATransitionFromBottom),
                              "animation");
}

std::shared_ptr<TableViewCell> DTSettingsViewController::pickerCell(TableView& table, int row) {
  auto cell = reusableCell(table, "DataFormatViewControllerCell");
  const bool isFormat = row < static_cast<int>(std::size(kFormatNames));
  cell->textLabel()->setText(isFormat ? kFormatNames[row] : "Close");
  cell->textLabel()->setTextColor(Color::black());
  const bool chosen = isFormat && GlbParam::instance().dataFormat() == row;
  cell->setAccessoryType(chosen ? TableViewCellAccessoryType::Checkmark
                                : TableViewCellAccessoryType::None);
  cell->setBackgroundColor(Color::rgba(0.74f, 0.91f, 0.91f, 1.0f));
  cell->setSelectionStyle(TableViewCellSelectionStyle::Blue);
  return cell;
}

void DTSettingsViewController::chooseFormat(int row) {
  if (row >= 0 && row < static_cast<int>(std::size(kFormatNames))) {
    GlbParam::instance().setDataFormat(static_cast<std::uint8_t>(row));
  }
  scrollToBottom();
  tableview_->reloadRowsAtIndexPaths({IndexPath{0, 0}}, TableViewRowAnimation::Fade);
}

}  // namespace zt
