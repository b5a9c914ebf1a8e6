// AccessoryListViewController: the accessories the platform reports connected, one row each in
// the platform's order (serial number, the image "bluetooth.png", a detail button). A tap on a
// row opens the transfer screen for that accessory; its detail button opens the detail screen.
// Each choice builds a new AccessoryInfo with the accessory's first protocol string.
//
// The list is read from the platform at every reload (when the screen appears, on "Refresh",
// and when the main screen or the shell calls RefreshAccessoryList); the screen remembers which
// accessory each row showed then. A tap on a row whose accessory has gone, or whose place now
// holds another accessory, reloads the list and opens nothing.
//
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/external_accessory/accessory.h"
#include "platform/ui/ui.h"
#include "settings/accessory_info.h"

namespace zt {

class AccessoryListViewController : public ViewController,
                                    public TableViewDataSource,
                                    public TableViewDelegate,
                                    public ActionSheetDelegate {
 public:
  void viewDidLoad() override;
  void viewDidAppear(bool animated) override;

  // Reloads the table from the platform's current list.
  void RefreshAccessoryList();
  // The menu: "Refresh", "Cancel".
  void PressMenuBtn();
  // Pushes a new detail screen for `record`.
  void ShowAccessoryDetailView(const std::shared_ptr<AccessoryInfo>& record);

  int numberOfRowsInSection(TableView& table, int section) override;
  std::optional<std::string> titleForHeaderInSection(TableView& table, int section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;
  void didSelectRowAtIndexPath(TableView& table, IndexPath path) override;
  void accessoryButtonTappedForRowWithIndexPath(TableView& table, IndexPath path) override;
  void clickedButtonAtIndex(ActionSheet& sheet, int index) override;

 private:
  // A new record for the accessory at `row`, kept in selAccessoryInfo_; null (after a reload)
  // when that row no longer shows the accessory it showed.
  std::shared_ptr<AccessoryInfo> chooseRow(int row);

  std::shared_ptr<TableView> listTableview_;
  std::shared_ptr<AccessoryInfo> selAccessoryInfo_;
  // The platform's list as of the last reload: what each row shows.
  std::vector<std::shared_ptr<EAAccessory>> shown_;
};

}  // namespace zt
