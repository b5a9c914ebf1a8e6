#include "platform/ui/table_view_controller.h"

#include "platform/ui/application.h"

namespace zt {

void TableViewController::loadView() {
  Rect app = Application::shared().applicationFrame();
  auto table = std::make_shared<TableView>(Rect{0, 0, app.width, app.height});
  table->setDataSource(weakAs<TableViewDataSource>());
  table->setDelegate(weakAs<TableViewDelegate>());
  setView(table);
}

}  // namespace zt
