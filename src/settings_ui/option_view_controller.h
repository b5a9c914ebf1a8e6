// OptionViewController: the Quorvel key screen. One field shows the key in force; "OK" takes the
// first 16 characters of what was typed, stores them in the settings object and the option store
// and puts them in force in the cipher at once; "Cancel" leaves everything as it was. Entering a
// key does not turn Quorvel on.
//
// A key is refused, with an alert and nothing stored, when it has fewer than 16 characters
// (counted in UTF-16 units) or when its first 16 are not all ASCII, so the cipher's key is
// always 16 defined bytes. When the option store cannot write the key, the key is still in
// force for this run and a "Warning" alert over the screen beneath says so.
//
// Construct with std::make_shared and push it; it closes through its navigation controller.
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ui.h"

namespace zt {

class OptionViewController : public ViewController, public TableViewDataSource {
 public:
  OptionViewController() = default;

  const std::shared_ptr<TableView>& tableview() const { return tableview_; }

  void viewDidLoad() override;
  // Fills the field with the key in force (empty without one).
  void viewDidAppear(bool animated) override;

  void PressOKBtn();
  void PressCancelBtn();

  int numberOfSectionsInTableView(TableView& table) override;
  int numberOfRowsInSection(TableView& table, int section) override;
  std::optional<std::string> titleForHeaderInSection(TableView& table, int section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;

 private:
  std::shared_ptr<TableView> tableview_;
  std::shared_ptr<TextField> quorvelTextView_;
};

}  // namespace zt
