#include "accessory/main_view_controller.h"

#include <array>
#include <string_view>

#include "accessory/accessory_records.h"
#include "accessory/screen_table.h"
#include "cipher/triple_des.h"
#include "info/about_view_controller.h"
#include "platform/device/device.h"
#include "platform/external_accessory/accessory_manager.h"
#include "settings/db_process.h"
#include "settings/glb_param.h"
#include "settings/option_store.h"
#include "settings/quorvel_key_buffer.h"
#include "shell/app_shell.h"

namespace zt {
namespace {

constexpr std::string_view kTitle = "Zemra Telvo";
constexpr std::array<const char*, 3> kSectionHeaders = {
    "Accessory Devices", "Quorvel Service", "Local Device Information"};
// Section 0 always has its second row, "Paired Devices List": this platform always offers a
// Bluetooth accessory picker.
constexpr std::array<int, 3> kRowCounts = {2, 2, 3};

constexpr IndexPath kAccessoryListRow{0, 0};
constexpr IndexPath kPickerRow{0, 1};
constexpr IndexPath kQuorvelRow{1, 0};
constexpr IndexPath kKeyRow{1, 1};

bool ValidSection(int section) {
  return section >= 0 && section < static_cast<int>(kRowCounts.size());
}

// Title, value and mark of every row but the switch's.
void FillRow(TableViewCell& cell, IndexPath path) {
  static const std::array<std::array<const char*, 3>, 3> kTitles = {{
      {"Accessory Devices List", "Paired Devices List", ""},
      {"Quorvel", "Quorvel key", ""},
      {"Name", "Model", "System Version"},
  }};
  const auto section = static_cast<std::size_t>(path.section);
  cell.textLabel()->setText(kTitles.at(section).at(static_cast<std::size_t>(path.row)));
  cell.textLabel()->setTextAlignment(path.section == 0 ? TextAlignment::Center
                                                       : TextAlignment::Left);
  const bool opens = path.section == 0 || path == kKeyRow;
  cell.setAccessoryType(opens ? TableViewCellAccessoryType::DisclosureIndicator
                              : TableViewCellAccessoryType::None);
  std::string value;
  if (path.section == 2) {
    value = path.row == 0 ? DeviceName() : path.row == 1 ? DeviceModel() : DeviceSystemVersion();
  }
  cell.detailTextLabel()->setText(std::move(value));
}

}  // namespace

MainViewController::~MainViewController() {
  NotificationCenter::defaultCenter().removeObserver(this);
  EAAccessoryManager::sharedAccessoryManager().unregisterForLocalNotifications();
}

void MainViewController::viewDidLoad() {
  Application::shared().setIdleTimerDisabled(true);
  setTitle(std::string(kTitle));
  mainTableView_ = AddScreenTable(*this, TableViewStyle::Grouped);
  navigationItem().setHidesBackButton(true);
  navigationItem().setRightBarButtonItem(
      std::make_shared<BarButtonItem>(UIBarButtonSystemItemAction,
                                      [weak = weakAs<MainViewController>()] {
                                        if (auto self = weak.lock()) self->PressOptionBtn();
                                      }),
      true);
  auto& centre = NotificationCenter::defaultCenter();
  centre.addObserver(this, EAAccessoryDidConnectNotification,
                     [this](const Notification& note) { AccessoryConnected(note); });
  centre.addObserver(this, EAAccessoryDidDisconnectNotification,
                     [this](const Notification& note) { AccessoryDisconnected(note); });
  EAAccessoryManager::sharedAccessoryManager().registerForLocalNotifications();
  RebuildAccessoryList(GlbParam::instance());
  startOptionStore();
}

void MainViewController::viewWillAppear(bool /*animated*/) { setTitle(std::string(kTitle)); }

void MainViewController::viewDidAppear(bool /*animated*/) {
  if (quorvelSwitch_) quorvelSwitch_->setOn(GlbParam::instance().openQuorvel(), true);
}

// While another screen covers this one its title is empty.
void MainViewController::viewDidDisappear(bool /*animated*/) { setTitle(""); }

void MainViewController::startOptionStore() {
  const AppShell* shell = AppShell::current();
  const auto documents = shell ? shell->documentsDirectory() : DocumentsDirectory(std::nullopt);
  GlbParam& param = GlbParam::instance();
  if (!StartOptionStore(param, documents)) tellStoreFailure(param.dbProcess()->lastFailure());
}

void MainViewController::storeQuorvelState(bool on) {
  DBProcess* store = GlbParam::instance().dbProcess();
  if (store && !store->UpdateQuorvelOpenState(on)) {
    tellStoreFailure(store->lastFailure());
  }
}

void MainViewController::tellStoreFailure(const OptionStoreFailure& failure) {
  if (storeFailureTold_) return;
  storeFailureTold_ = true;
  const char* missed = failure.what == OptionFailure::Read ? "read" : "saved";
  std::make_shared<AlertView>("Warning",
                              std::string("The options could not be ") + missed + ": " +
                                  failure.reason +
                                  ". Zemra Telvo works, but will not remember them.",
                              std::weak_ptr<AlertViewDelegate>(), "OK")
      ->show();
}

void MainViewController::PressQuorvelSwitch() {
  GlbParam& param = GlbParam::instance();
  const auto& key = param.quorvelKey();
  const bool hasKey = key && !key->empty();
  if (quorvelSwitch_->isOn() && !hasKey) {
    param.setOpenQuorvel(false);
    quorvelSwitch_->setOn(false, true);
    std::make_shared<AlertView>("Warning", "Please first set Quorvel key",
                                std::weak_ptr<AlertViewDelegate>(), "OK")
        ->show();
    if (auto* shell = AppShell::current()) shell->ShowOptionView();
    return;
  }
  const bool on = quorvelSwitch_->isOn();
  param.setOpenQuorvel(on);
  if (on) QuorvelSetKey(QuorvelKeyBuffer(*key));
  storeQuorvelState(on);
}

void MainViewController::PressOptionBtn() {
  std::make_shared<ActionSheet>("", weakAs<ActionSheetDelegate>(), "Cancel", std::nullopt,
                                std::vector<std::string>{"About"})
      ->showInView(*view());
}

void MainViewController::clickedButtonAtIndex(ActionSheet& /*sheet*/, int index) {
  if (index == 0) presentInfoPage();
}

void MainViewController::presentInfoPage() {
  if (auto navigation = navigationController()) {
    navigation->presentModalViewController(std::make_shared<AboutViewController>(), true);
  }
}

void MainViewController::OpenAccessoryList() {
  if (auto* shell = AppShell::current()) shell->ShowAccessoryListView();
}

int MainViewController::numberOfSectionsInTableView(TableView& /*table*/) {
  return static_cast<int>(kRowCounts.size());
}

int MainViewController::numberOfRowsInSection(TableView& /*table*/, int section) {
  return ValidSection(section) ? kRowCounts.at(static_cast<std::size_t>(section)) : 0;
}

std::optional<std::string> MainViewController::titleForHeaderInSection(TableView& /*table*/,
                                                                       int section) {
  return ValidSection(section) ? kSectionHeaders.at(static_cast<std::size_t>(section)) : "";
}

std::shared_ptr<TableViewCell> MainViewController::cellForRowAtIndexPath(TableView& table,
                                                                         IndexPath path) {
  auto cell = table.dequeueReusableCellWithIdentifier("MainCell");
  if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "MainCell");
  cell->setBackgroundColor(Color::clear());
  cell->setAccessoryView(nullptr);
  FillRow(*cell, path);
  if (path == kQuorvelRow) placeQuorvelSwitch(*cell);
  return cell;
}

void MainViewController::placeQuorvelSwitch(TableViewCell& cell) {
  auto control = std::make_shared<Switch>(Rect{});
  control->setOn(GlbParam::instance().openQuorvel());
  control->addTarget(
      [weak = weakAs<MainViewController>()] {
        if (auto self = weak.lock()) self->PressQuorvelSwitch();
      },
      ControlEvent::TouchUpInside);
  cell.setAccessoryView(control);
  quorvelSwitch_ = std::move(control);
}

void MainViewController::didSelectRowAtIndexPath(TableView& /*table*/, IndexPath path) {
  if (path == kAccessoryListRow) {
    OpenAccessoryList();
  } else if (path == kPickerRow) {
    EAAccessoryManager::sharedAccessoryManager().showBluetoothAccessoryPickerWithNameFilter(
        std::nullopt, {});
  } else if (path == kKeyRow) {
    if (auto* shell = AppShell::current()) shell->ShowOptionView();
  }
}

}  // namespace zt
