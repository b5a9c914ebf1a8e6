#include "platform/accessory_picker/accessory_picker_view_controller.h"

#include "platform/accessory_picker/accessory_picker.h"
#include "platform/ui/application.h"
#include "platform/ui/navigation_controller.h"

namespace zt {

namespace {

constexpr std::array<const char*, 3> kGroupTitles = {"Serial Port Devices", "Other Paired Devices",
                                                     "Other Devices"};

std::string stateText(const BluetoothDevice& device, bool connecting) {
  if (connecting) return "connecting…";
  if (device.connected) return "connected";
  return device.paired ? "paired" : "not paired";
}

}  // namespace

AccessoryPickerViewController::AccessoryPickerViewController(
    std::shared_ptr<BluezClient> client, std::optional<std::string> nameFilter,
    EAAccessoryManager::PickerCompletion completion)
    : client_(std::move(client)),
      nameFilter_(std::move(nameFilter)),
      completion_(std::move(completion)) {}

void AccessoryPickerViewController::viewDidLoad() {
  setTitle("Bluetooth Devices");
  // Below the bar that a modally presented screen shows.
  const Rect app = Application::shared().applicationFrame();
  const float bar = NavigationController::kBarHeight;
  table_ = std::make_shared<TableView>(Rect{0, bar, app.width, app.height - bar});
  table_->setDataSource(weakAs<TableViewDataSource>());
  table_->setDelegate(weakAs<TableViewDelegate>());
  view()->addSubview(table_);
  const auto weak = weakAs<AccessoryPickerViewController>();
  navigationItem().setLeftBarButtonItem(
      std::make_shared<BarButtonItem>(BarButtonSystemItem::Cancel, [weak] {
        if (const auto self = weak.lock()) {
          self->finish({std::make_error_code(std::errc::operation_canceled), "Bluetooth", {}},
                       false);
        }
      }));
  client_->setListener([weak] {
    if (const auto self = weak.lock()) self->refresh();
  });
  client_->setDiscovering(true);
  refresh();
}

void AccessoryPickerViewController::refresh() {
  if (finished_) return;
  if (const auto problem = client_->problem()) return finish(problem->error, true);
  for (auto& group : groups_) group.clear();
  for (auto& device : inChoosingOrder(client_->devices(), nameFilter_)) {
    groups_.at(static_cast<std::size_t>(groupOf(device))).push_back(std::move(device));
  }
  table_->reloadData();
}

int AccessoryPickerViewController::numberOfSectionsInTableView(TableView& /*table*/) {
  return static_cast<int>(groups_.size());
}

int AccessoryPickerViewController::numberOfRowsInSection(TableView& /*table*/, int section) {
  return static_cast<int>(groups_.at(static_cast<std::size_t>(section)).size());
}

std::optional<std::string> AccessoryPickerViewController::titleForHeaderInSection(
    TableView& /*table*/, int section) {
  const auto index = static_cast<std::size_t>(section);
  if (groups_.at(index).empty()) return std::nullopt;
  return kGroupTitles.at(index);
}

std::shared_ptr<TableViewCell> AccessoryPickerViewController::cellForRowAtIndexPath(
    TableView& table, IndexPath path) {
  auto cell = table.dequeueReusableCellWithIdentifier("Device");
  if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "Device");
  const auto& device = groups_.at(static_cast<std::size_t>(path.section))
                           .at(static_cast<std::size_t>(path.row));
  cell->textLabel()->setText(displayName(device));
  cell->detailTextLabel()->setText(device.address + ", " +
                                   stateText(device, connecting_ == device.path));
  return cell;
}

void AccessoryPickerViewController::didSelectRowAtIndexPath(TableView& table, IndexPath path) {
  if (connecting_ || finished_) return;  // one connect at a time
  connecting_ = groups_.at(static_cast<std::size_t>(path.section))
                    .at(static_cast<std::size_t>(path.row))
                    .path;
  table.reloadData();
  client_->connect(*connecting_, [weak = weakAs<AccessoryPickerViewController>()](
                                     const std::optional<BluetoothFailure>& failure) {
    if (const auto self = weak.lock()) self->connected(failure);
  });
}

void AccessoryPickerViewController::connected(const std::optional<BluetoothFailure>& failure) {
  connecting_.reset();
  if (!failure) return finish({}, false);
  if (failure->lasting) return finish(failure->error, true);
  table_->reloadData();
  showBluetoothWarning(failure->error.message());
}

void AccessoryPickerViewController::finish(const PlatformError& outcome, bool tell) {
  if (finished_) return;
  finished_ = true;
  const auto keep = shared_from_this();  // dismissing lets go of this screen
  client_->setListener(nullptr);
  client_->setDiscovering(false);
  client_.reset();
  dismissModalViewControllerAnimated(true);
  if (tell) showBluetoothWarning(outcome.message());
  if (completion_) completion_(outcome);
}

}  // namespace zt
