// AboutViewController: the product title, the platform, the version, the logo and three lines
// about the program. The main screen presents it modally; its bar's "Done" (at the left, where
// Esc reaches it) ends the presentation. Its table allows no selection.
//
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace zt {

class AboutViewController : public ViewController,
                            public TableViewDataSource,
                            public TableViewDelegate {
 public:
  void viewDidLoad() override;

  // Ends the modal presentation of this screen.
  void dismissSelfView();

  int numberOfSectionsInTableView(TableView& table) override;
  int numberOfRowsInSection(TableView& table, int section) override;
  std::optional<std::string> titleForHeaderInSection(TableView& table, int section) override;
  float heightForRowAtIndexPath(TableView& table, IndexPath path) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;

 protected:
  // The views an interface file would supply: the table and the two logos.
  void loadView() override;

 private:
  void layOut();
  // Replaces any text lines placed on the cell before with the three about lines.
  static void placeAboutLines(TableViewCell& cell);

  std::vector<std::string> rowInfoList_;
  std::vector<std::string> rowValueList_;
  std::shared_ptr<TableView> aboutTableView_;
  std::shared_ptr<ImageView> logoImageView_;
  std::shared_ptr<ImageView> sTlogoImageView_;
};

}  // namespace zt
