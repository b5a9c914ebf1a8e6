// AccessoryPickerViewController: the Bluetooth accessory picker's screen, presented modally: its
// bar reads "Bluetooth Devices" with "Cancel" at the left, and the table below it lists the
// devices the Bluetooth daemon knows in choosing order, grouped under "Serial Port Devices"
// (paired, with the Serial Port Profile), "Other Paired Devices" and "Other Devices"; each row
// shows the alias, then the address and the state. Adapters discover while it is open.
//
// Choosing a device connects its serial port: on success the accessory is listed, the picker
// closes and its completion gets no error. A failure is told in the alert "Warning" / the
// reason / "OK": one concerning the device leaves the picker open, one that makes Bluetooth
// unusable closes it with that error. "Cancel" closes it with std::errc::operation_canceled.
// The completion runs once, after the picker has gone. Main thread only.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bluetooth/bluez_client.h"
#include "platform/external_accessory/accessory_manager.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"

namespace zt {

class AccessoryPickerViewController : public ViewController,
                                      public TableViewDataSource,
                                      public TableViewDelegate {
 public:
  AccessoryPickerViewController(std::shared_ptr<BluezClient> client,
                                std::optional<std::string> nameFilter,
                                EAAccessoryManager::PickerCompletion completion);

  void viewDidLoad() override;
  int numberOfSectionsInTableView(TableView& table) override;
  int numberOfRowsInSection(TableView& table, int section) override;
  std::optional<std::string> titleForHeaderInSection(TableView& table, int section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;
  void didSelectRowAtIndexPath(TableView& table, IndexPath path) override;

 private:
  // Takes the client's news: closes on a lasting problem, else shows the devices.
  void refresh();
  void connected(const std::optional<BluetoothFailure>& failure);
  // Closes the picker, tells `outcome` in the alert when `tell`, then gives it the completion.
  void finish(const PlatformError& outcome, bool tell);

  std::shared_ptr<TableView> table_;
  std::shared_ptr<BluezClient> client_;
  std::optional<std::string> nameFilter_;
  EAAccessoryManager::PickerCompletion completion_;
  std::array<std::vector<BluetoothDevice>, 3> groups_;  // by DeviceGroup
  std::optional<std::string> connecting_;              // its object path
  bool finished_ = false;
};

}  // namespace zt
