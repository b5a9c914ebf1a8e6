#include "platform/ui/table_view_controller.h"

#include "platform/ui/application.h"

namespace zt {

std::shared_ptr<TableView> TableViewController::tableView() {
  view();
  return table_;
}

void TableViewController::loadView() {
  Rect app = Application::shared().applicationFrame();
  table_ = std::make_shared<TableView>(Rect{0, 0, app.width, app.height});
  table_->setDataSource(weakAs<TableViewDataSource>());
  table_->setDelegate(weakAs<TableViewDelegate>());
  setView(table_);
}

}  // namespace zt
