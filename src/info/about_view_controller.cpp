#include "info/about_view_controller.h"

#include <array>
#include <cmath>

#include "version/version.h"

namespace zt {
namespace {

constexpr std::array<const char*, 3> kAboutLines = {
    "Zemra Telvo for Linux", "A terminal for Bluetooth serial modules",
    "Serial, TCP and Bluetooth modules"};
// The logo's frame as the screen's design gives it, before the layout halves its height.
constexpr Rect kLogoDesignFrame{0, 0, 160, 88};
constexpr float kLineHeight = 20;

}  // namespace

void AboutViewController::loadView() {
  const Rect app = Application::shared().applicationFrame();
  auto root = std::make_shared<View>(Rect{0, 0, app.width, app.height});
  aboutTableView_ = std::make_shared<TableView>(root->bounds(), TableViewStyle::Grouped);
  logoImageView_ = std::make_shared<ImageView>(kLogoDesignFrame);
  logoImageView_->setImage(Image::named("zemra_logo.png"));
  sTlogoImageView_ = std::make_shared<ImageView>(kLogoDesignFrame);
  sTlogoImageView_->setImage(Image::named("zemra_st_logo.png"));
  root->addSubview(aboutTableView_);
  root->addSubview(logoImageView_);
  root->addSubview(sTlogoImageView_);
  setView(root);
}

void AboutViewController::viewDidLoad() {
  const auto presenter = presentingViewController();
  if (auto* navigation = dynamic_cast<NavigationController*>(presenter.get())) {
    if (auto visible = navigation->visibleViewController()) {
      visible->navigationItem().setBackBarButtonItem(
          std::make_shared<BarButtonItem>("Back", BarButtonItemStyle::Bordered));
    }
  }
  setTitle("Zemra Telvo");
  rowInfoList_ = {"Platform", "Version"};
  rowValueList_ = {"Linux", kVersion};
  view()->setBackgroundColor(Color::pattern(Image::named("background.jpg")));
  aboutTableView_->setBackgroundColor(Color::clear());
  aboutTableView_->setDataSource(weakAs<TableViewDataSource>());
  aboutTableView_->setDelegate(weakAs<TableViewDelegate>());
  sTlogoImageView_->setHidden(true);
  layOut();
  aboutTableView_->setAllowsSelection(false);
  navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(
      BarButtonSystemItem::Done, [weak = weakAs<AboutViewController>()] {
        if (auto self = weak.lock()) self->dismissSelfView();
      }));
}

// The logo at the right half under the bar, half as high as designed; the table below it.
void AboutViewController::layOut() {
  const Rect app = Application::shared().applicationFrame();
  const float designHeight = logoImageView_->frame().height;
  const float logoHeight = std::floor(designHeight / 2);
  logoImageView_->setFrame(Rect{160, 44, 160, logoHeight});
  aboutTableView_->setFrame(Rect{0, designHeight + 30, app.width, app.height - logoHeight});
}

void AboutViewController::dismissSelfView() { dismissModalViewControllerAnimated(true); }

int AboutViewController::numberOfSectionsInTableView(TableView& /*table*/) { return 2; }

int AboutViewController::numberOfRowsInSection(TableView& /*table*/, int section) {
  return section == 0 ? static_cast<int>(rowInfoList_.size()) : 1;
}

std::optional<std::string> AboutViewController::titleForHeaderInSection(TableView& /*table*/,
                                                                        int section) {
  return section == 0 ? "Zemra  Application" : "";
}

float AboutViewController::heightForRowAtIndexPath(TableView& /*table*/, IndexPath path) {
  return path.section == 1 ? 80 : 50;
}

std::shared_ptr<TableViewCell> AboutViewController::cellForRowAtIndexPath(TableView& table,
                                                                          IndexPath path) {
  const bool lines = path.section == 1;
  const std::string identifier = lines ? "AboutLinesCell" : "AboutInfoCell";
  auto cell = table.dequeueReusableCellWithIdentifier(identifier);
  if (!cell) {
    cell = std::make_shared<TableViewCell>(
        lines ? TableViewCellStyle::Default : TableViewCellStyle::Value1, identifier);
  }
  cell->setBackgroundColor(Color::clear());
  if (lines) {
    placeAboutLines(*cell);
  } else {
    const auto row = static_cast<std::size_t>(path.row);
    cell->textLabel()->setText(rowInfoList_.at(row));
    cell->detailTextLabel()->setText(rowValueList_.at(row));
  }
  return cell;
}

void AboutViewController::placeAboutLines(TableViewCell& cell) {
  const auto placed = cell.subviews();
  for (const auto& view : placed) {
    if (dynamic_cast<Label*>(view.get()) != nullptr) view->removeFromSuperview();
  }
  const float width = cell.frame().width > 0 ? cell.frame().width : 320;
  for (std::size_t i = 0; i < kAboutLines.size(); ++i) {
    auto label = std::make_shared<Label>(
        Rect{0, 10 + kLineHeight * static_cast<float>(i), width, kLineHeight});
    label->setText(kAboutLines.at(i));
    label->setTextAlignment(TextAlignment::Center);
    label->setFont(Font{"Helvetica-Bold", 14});
    label->setBackgroundColor(Color::clear());
    cell.addSubview(label);
  }
}

}  // namespace zt
