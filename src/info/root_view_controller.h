// RootViewController: the bottom of the navigation stack, beneath the main screen, never shown:
// a table with one section and no rows, whose row taps do nothing.
//
// Main thread only.
#pragma once

#include <memory>

#include "platform/ui/table_view_controller.h"

namespace zt {

class RootViewController : public TableViewController {
 public:
  int numberOfRowsInSection(TableView& table, int section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;
};

}  // namespace zt
