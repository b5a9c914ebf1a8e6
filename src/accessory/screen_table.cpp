#include "accessory/screen_table.h"

#include "platform/ui/application.h"
#include "platform/ui/navigation_controller.h"

namespace zt {

std::shared_ptr<TableView> AddScreenTable(ViewController& screen, TableViewStyle style) {
  const Rect app = Application::shared().applicationFrame();
  auto table = std::make_shared<TableView>(
      Rect{0, 0, app.width, app.height - NavigationController::kBarHeight}, style);
  table->setBackgroundColor(Color::clear());
  table->setDataSource(screen.sharedAs<TableViewDataSource>());
  table->setDelegate(screen.sharedAs<TableViewDelegate>());
  screen.view()->setBackgroundColor(Color::pattern(Image::named("background.jpg")));
  screen.view()->addSubview(table);
  return table;
}

}  // namespace zt
