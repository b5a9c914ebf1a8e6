#include "accessory/accessory_list_view_controller.h"

#include "accessory/accessory_detail_view_controller.h"
#include "accessory/screen_table.h"
#include "platform/external_accessory/accessory_manager.h"
#include "shell/app_shell.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt {

void AccessoryListViewController::viewDidLoad() {
  setTitle("Accessory List");
  listTableview_ = AddScreenTable(*this, TableViewStyle::Plain);
  navigationItem().setRightBarButtonItem(
      std::make_shared<BarButtonItem>(UIBarButtonSystemItemAction,
                                      [weak = weakAs<AccessoryListViewController>()] {
                                        if (auto self = weak.lock()) self->PressMenuBtn();
                                      }),
      true);
}

void AccessoryListViewController::viewDidAppear(bool /*animated*/) { RefreshAccessoryList(); }

void AccessoryListViewController::RefreshAccessoryList() {
  if (listTableview_) listTableview_->reloadData();
}

void AccessoryListViewController::PressMenuBtn() {
  std::make_shared<ActionSheet>("", weakAs<ActionSheetDelegate>(), "Cancel", std::nullopt,
                                std::vector<std::string>{"Refresh"})
      ->showInView(*view());
}

void AccessoryListViewController::clickedButtonAtIndex(ActionSheet& /*sheet*/, int index) {
  if (index == 0) RefreshAccessoryList();
}

// The table asks for the count first whenever it reloads: the platform's list is taken then,
// and the rows are built from that same list.
int AccessoryListViewController::numberOfRowsInSection(TableView& /*table*/, int /*section*/) {
  shown_ = EAAccessoryManager::sharedAccessoryManager().connectedAccessories();
  return static_cast<int>(shown_.size());
}

std::optional<std::string> AccessoryListViewController::titleForHeaderInSection(
    TableView& /*table*/, int /*section*/) {
  return "";
}

std::shared_ptr<TableViewCell> AccessoryListViewController::cellForRowAtIndexPath(
    TableView& table, IndexPath path) {
  auto cell = table.dequeueReusableCellWithIdentifier("AccessoryCell");
  if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, "AccessoryCell");
  const auto row = static_cast<std::size_t>(path.row);
  const auto* accessory = row < shown_.size() ? shown_[row].get() : nullptr;
  cell->textLabel()->setText(accessory ? accessory->serialNumber() : "Unknown");
  cell->imageView()->setImage(Image::named("bluetooth.png"));
  cell->setAccessoryType(TableViewCellAccessoryType::DetailDisclosureButton);
  cell->setBackgroundColor(Color::clear());
  return cell;
}

std::shared_ptr<AccessoryInfo> AccessoryListViewController::chooseRow(int row) {
  const auto now = EAAccessoryManager::sharedAccessoryManager().connectedAccessories();
  const auto index = static_cast<std::size_t>(row);
  if (row < 0 || index >= shown_.size() || index >= now.size() || now[index] != shown_[index]) {
    RefreshAccessoryList();
    return nullptr;
  }
  selAccessoryInfo_ = std::make_shared<AccessoryInfo>();
  selAccessoryInfo_->setAccessory(now[index]);
  // Every accessory of this platform declares a protocol string; a record keeps its default
  // only if one ever did not.
  if (const auto& protocols = now[index]->protocolStrings(); !protocols.empty()) {
    selAccessoryInfo_->setProtocolString(protocols.front());
  }
  return selAccessoryInfo_;
}

void AccessoryListViewController::didSelectRowAtIndexPath(TableView& /*table*/, IndexPath path) {
  const auto record = chooseRow(path.row);
  const auto navigation = navigationController();
  if (!record || !navigation) return;
  auto screen = std::make_shared<DataTransfersViewController>();
  screen->setAccessoryInfo(record);
  if (const auto* shell = AppShell::current()) {
    screen->setSessionCapture(shell->sessionCapture());
    screen->setHistoryLimit(shell->historyLimit());
    screen->setReconnect(shell->reconnects());
  }
  navigation->pushViewController(screen, true);
}

void AccessoryListViewController::accessoryButtonTappedForRowWithIndexPath(TableView& /*table*/,
                                                                           IndexPath path) {
  if (const auto record = chooseRow(path.row)) ShowAccessoryDetailView(record);
}

void AccessoryListViewController::ShowAccessoryDetailView(
    const std::shared_ptr<AccessoryInfo>& record) {
  auto screen = std::make_shared<AccessoryDetailViewController>();
  screen->setAccessoryInfo(record);
  if (const auto navigation = navigationController()) navigation->pushViewController(screen, true);
}

}  // namespace zt
