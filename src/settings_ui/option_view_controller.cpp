#include "settings_ui/option_view_controller.h"

#include <algorithm>

#include "cipher/triple_des.h"
#include "settings/db_process.h"
#include "settings/glb_param.h"
#include "settings/quorvel_key_buffer.h"
#include "settings/utf16.h"
#include "settings_ui/alert.h"

namespace zt {
namespace {

constexpr std::size_t kKeyLength = 16;

bool isAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80U; });
}

}  // namespace

void OptionViewController::viewDidLoad() {
  setTitle("Quorvel key");
  view()->setBackgroundColor(Color::pattern(Image::named("background.jpg")));
  auto weak = weakAs<OptionViewController>();
  navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(
      "OK", BarButtonItemStyle::Bordered, [weak] {
        if (auto screen = weak.lock()) screen->PressOKBtn();
      }));
  navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(
      "Cancel", BarButtonItemStyle::Bordered, [weak] {
        if (auto screen = weak.lock()) screen->PressCancelBtn();
      }));
  tableview_ = std::make_shared<TableView>(Rect{0, 0, 320, 416}, TableViewStyle::Grouped);
  tableview_->setBackgroundColor(Color::clear());
  tableview_->setDataSource(weakAs<TableViewDataSource>());
  view()->addSubview(tableview_);
}

void OptionViewController::viewDidAppear(bool) {
  if (quorvelTextView_) quorvelTextView_->setText(GlbParam::instance().quorvelKey().value_or(""));
}

int OptionViewController::numberOfSectionsInTableView(TableView&) { return 1; }

int OptionViewController::numberOfRowsInSection(TableView&, int) { return 1; }

std::optional<std::string> OptionViewController::titleForHeaderInSection(TableView&,
                                                                         int section) {
  return section == 0 ? "Quorvel key(16 bytes in ASCII)" : "";
}

std::shared_ptr<TableViewCell> OptionViewController::cellForRowAtIndexPath(TableView& table,
                                                                           IndexPath path) {
  auto cell = table.dequeueReusableCellWithIdentifier("OptionViewControllerCell");
  if (!cell) {
    cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "OptionViewControllerCell");
  }
  if (path.section != 0) return cell;
  const auto children = cell->contentView()->subviews();
  for (const auto& child : children) {
    if (std::dynamic_pointer_cast<TextField>(child)) child->removeFromSuperview();
  }
  auto field = std::make_shared<TextField>(Rect{10, 12, table.frame().width - 20, 20});
  field->setFont(Font{"Helvetica-Bold", 14});
  field->setBackgroundColor(Color::clear());
  field->setBorderStyle(TextBorderStyle::None);
  cell->contentView()->addSubview(field);
  quorvelTextView_ = field;
  return cell;
}

void OptionViewController::PressOKBtn() {
  const std::string typed = quorvelTextView_ ? quorvelTextView_->text() : std::string();
  if (Utf16Length(typed) < kKeyLength) {
    ShowOkAlert("", "The Quorvel key length at least is 16, please enter it again.");
    return;
  }
  const std::string key = Utf16Prefix(typed, kKeyLength);
  if (key.size() != kKeyLength || !isAscii(key)) {
    ShowOkAlert("", "The Quorvel key must be 16 ASCII characters, please enter it again.");
    return;
  }
  GlbParam& param = GlbParam::instance();
  param.setQuorvelKey(key);
  DBProcess* store = param.dbProcess();
  const bool stored = store != nullptr && store->UpdateQuorvelKey(key);
  QuorvelSetKey(QuorvelKeyBuffer(key));
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
  if (!stored) {
    const std::string reason = store ? store->lastFailure().reason : "there is no option store";
    ShowOkAlert("Warning", "The key could not be saved: " + reason +
                               ". It is in force until Zemra Telvo ends.");
  }
}

void OptionViewController::PressCancelBtn() {
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

}  // namespace zt
