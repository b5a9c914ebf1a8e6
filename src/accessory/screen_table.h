// The look the accessory screens share: the image "background.jpg" repeated behind a clear
// table that fills the screen under the navigation bar, with the screen as the table's data
// source and delegate.
//
// Main thread only.
#pragma once

#include <memory>

#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"

namespace zt {

// Paints the screen's background and adds the table; call it from viewDidLoad.
std::shared_ptr<TableView> AddScreenTable(ViewController& screen, TableViewStyle style);

}  // namespace zt
