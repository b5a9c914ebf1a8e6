// AccessoryDetailViewController: the identity of one accessory, read-only: seven rows (name,
// whether it is connected, firmware and hardware revisions, manufacturer, model number, serial
// number), each read from the accessory whenever the row is drawn. Titled with the accessory's
// name. It follows no notification and leads nowhere.
//
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ui.h"
#include "settings/accessory_info.h"

namespace zt {

class AccessoryDetailViewController : public ViewController, public TableViewDataSource {
 public:
  // Set before the screen loads.
  const std::shared_ptr<AccessoryInfo>& accessoryInfo() const { return accessoryInfo_; }
  void setAccessoryInfo(std::shared_ptr<AccessoryInfo> info) { accessoryInfo_ = std::move(info); }

  void viewDidLoad() override;

  int numberOfRowsInSection(TableView& table, int section) override;
  std::optional<std::string> titleForHeaderInSection(TableView& table, int section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;

 private:
  std::shared_ptr<AccessoryInfo> accessoryInfo_;
  std::shared_ptr<TableView> detailTableview_;
};

}  // namespace zt
