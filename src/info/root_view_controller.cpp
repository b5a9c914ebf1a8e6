#include "info/root_view_controller.h"

namespace zt {

int RootViewController::numberOfRowsInSection(TableView& /*table*/, int /*section*/) { return 0; }

// Never asked: the table has no rows.
std::shared_ptr<TableViewCell> RootViewController::cellForRowAtIndexPath(TableView& /*table*/,
                                                                         IndexPath /*path*/) {
  return std::make_shared<TableViewCell>(TableViewCellStyle::Default, "RootCell");
}

}  // namespace zt
