// TableViewController: a screen whose view is one plain table (the size of the application
// frame) with the screen as its data source and delegate. Subclasses answer the data source.
//
// Create with make_shared. Main thread only.
#pragma once

#include <memory>

#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"

namespace zt {

class TableViewController : public ViewController,
                            public TableViewDataSource,
                            public TableViewDelegate {
 protected:
  void loadView() override;
};

}  // namespace zt
