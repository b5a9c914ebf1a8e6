// MainViewController: the first screen, and the bottom of everything the person reaches. Three
// groups of rows: "Accessory Devices" (the accessory list, the Bluetooth picker), "Quorvel
// Service" (the on/off switch, the key screen) and "Local Device Information" (this machine's
// name, model and system version). Its Action button opens a menu with "About".
//
// At load it starts the option store and the settings object's list of connected accessories;
// from then on it follows the accessory notifications, keeping that list and telling the
// accessory list screen on top, and the transfer screens of an accessory that went away. The
// switch turns Quorvel on (only with a key: otherwise it warns and opens the key screen) and
// off, puts the key into force and stores the state. A failure of the option store is told
// once, in an alert; the program goes on without stored options.
//
// The shell pushes it at launch; it stays on the stack for the application's life. Main thread
// only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ui.h"
#include "settings/db_process.h"

namespace zt {

class MainViewController : public ViewController,
                           public TableViewDataSource,
                           public TableViewDelegate,
                           public ActionSheetDelegate {
 public:
  ~MainViewController() override;

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  void AccessoryConnected(const Notification& notification);
  void AccessoryDisconnected(const Notification& notification);
  void PressQuorvelSwitch();
  // The menu: "About", "Cancel".
  void PressOptionBtn();
  // Presents a new about screen modally.
  void presentInfoPage();
  void OpenAccessoryList();

  int numberOfSectionsInTableView(TableView& table) override;
  int numberOfRowsInSection(TableView& table, int section) override;
  std::optional<std::string> titleForHeaderInSection(TableView& table, int section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;
  void didSelectRowAtIndexPath(TableView& table, IndexPath path) override;
  void clickedButtonAtIndex(ActionSheet& sheet, int index) override;

 private:
  void startOptionStore();
  // Writes the on/off state; a failure is told.
  void storeQuorvelState(bool on);
  // The alert for a failure of the option store (reading or saving), the first time only.
  void tellStoreFailure(const OptionStoreFailure& failure);
  // A new switch in the "Quorvel" row's cell, showing the state in force.
  void placeQuorvelSwitch(TableViewCell& cell);

  std::shared_ptr<TableView> mainTableView_;
  std::shared_ptr<Switch> quorvelSwitch_;
  bool storeFailureTold_ = false;
};

}  // namespace zt
