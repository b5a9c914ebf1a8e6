// The settings screen's life cycle, "OK" and "Cancel", and the values written as they change.
#include "settings_ui/dt_settings_view_controller.h"

#include "settings/glb_param.h"
#include "settings/utf16.h"
#include "settings_ui/alert.h"
#include "settings_ui/integer_text.h"

namespace zt {
namespace {

constexpr int kEditingOverlayTag = 100;

std::string textOf(const std::shared_ptr<UIZemraTextView>& field) {
  return field ? field->text() : std::string();
}

// The field's number by the reading rule, or `fallback` when the field is empty or absent.
std::int32_t numberOr(const std::shared_ptr<UIZemraTextView>& field, std::int32_t fallback) {
  const std::string text = textOf(field);
  return text.empty() ? fallback : ReadInteger(text);
}

void closeScreen(const ViewController& screen) {
  if (auto navigation = screen.navigationController()) navigation->popViewControllerAnimated(true);
}

}  // namespace

DTSettingsViewController::~DTSettingsViewController() {
  NotificationCenter::defaultCenter().removeObserver(this);
  removeDoneKey();
}

void DTSettingsViewController::viewDidLoad() {
  setTitle("Settings");
  view()->setBackgroundColor(Color::pattern(Image::named("background.jpg")));
  auto weak = weakAs<DTSettingsViewController>();
  navigationItem().setLeftBarButtonItem(
      std::make_shared<BarButtonItem>("Cancel", BarButtonItemStyle::Bordered,
                                      [weak] {
                                        if (auto screen = weak.lock()) screen->PressCancelBtn();
                                      }),
      true);
  navigationItem().setRightBarButtonItem(
      std::make_shared<BarButtonItem>("OK", BarButtonItemStyle::Bordered,
                                      [weak] {
                                        if (auto screen = weak.lock()) screen->PressOKBtn();
                                      }),
      true);
  // The table fills the content area under the navigation bar.
  tableview_ = std::make_shared<TableView>(Rect{0, 0, 320, 416}, TableViewStyle::Grouped);
  tableview_->setBackgroundColor(Color::clear());
  tableview_->setDataSource(weakAs<TableViewDataSource>());
  tableview_->setDelegate(weakAs<TableViewDelegate>());
  view()->addSubview(tableview_);
  tableviewRect_ = tableview_->frame();
  curSection_ = 0;
  curRow_ = 0;
  curTextView_.reset();
  editingOverlay_ = std::make_shared<View>(tableviewRect_);
  editingOverlay_->setTag(kEditingOverlayTag);
  editingOverlay_->setHidden(true);
  view()->addSubview(editingOverlay_);
}

void DTSettingsViewController::viewDidAppear(bool) {
  if (!intervalTimeTextView_) return;
  intervalTimeTextView_->setText(std::to_string(GlbParam::instance().autoSendInterval()));
  intervalTimeTextView_->setEditable(true);
}

void DTSettingsViewController::PressOKBtn() {
  GlbParam& param = GlbParam::instance();
  const std::string line = textOf(largedataTextView_);
  if (line.empty()) {
    ShowOkAlert("Warning", "Please enter some auto-send text");
    return;
  }
  param.setAutoSendData(line);
  param.setAutoSendInterval(numberOr(intervalTimeTextView_, 1));
  if (textOf(lineCountTextView_).empty()) {
    ShowOkAlert("Warning", "Please enter 'send repetitions' value");
    return;
  }
  param.setEachPacketSize(numberOr(eachPacketSizeTextView_, 200));
  param.setSleepTime(numberOr(sleepTimeTextView_, 50));
  closeScreen(*this);
}

void DTSettingsViewController::PressCancelBtn() { closeScreen(*this); }

void DTSettingsViewController::textViewDidChange(TextView& textView) {
  GlbParam& param = GlbParam::instance();
  if (&textView == largedataTextView_.get()) {
    param.setLargeData_LineCharacter(textView.text());
  } else if (&textView == lineCountTextView_.get()) {
    param.setLargeData_LineCount(ReadInteger(textView.text()));
  } else {
    return;
  }
  showTotal();
}

// The line's length in UTF-16 units times the repetitions, wrapping as 32-bit numbers do.
void DTSettingsViewController::showTotal() {
  const GlbParam& param = GlbParam::instance();
  const auto length = static_cast<std::uint32_t>(Utf16Length(param.largeData_LineCharacter()));
  const auto count = static_cast<std::uint32_t>(param.largeData_LineCount());
  largeDataTotalBytes_ = static_cast<std::int32_t>(length * count);
  if (largedataTotalBytesLabel_) {
    largedataTotalBytesLabel_->setText(std::to_string(largeDataTotalBytes_));
  }
}

}  // namespace zt
