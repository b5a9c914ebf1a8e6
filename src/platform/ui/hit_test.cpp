#include "platform/ui/hit_test.h"

#include "platform/ui/application.h"
#include "platform/ui/control.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/table_view.h"
#include "platform/ui/window.h"

namespace zt {

std::shared_ptr<View> viewAtScreenPoint(Point point) {
  auto windows = Application::shared().windows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    Window& window = **it;
    Rect f = window.frame();
    if (auto hit = window.hitTest({point.x - f.x, point.y - f.y})) return hit;
  }
  return nullptr;
}

Rect visibleCellRect(const View& cell) {
  Rect rect = cell.frameInWindow();
  if (const View* table = cell.superview()) rect = rect.intersection(table->frameInWindow());
  return rect;
}

bool touchReaches(const View& target, Point point) {
  auto hit = viewAtScreenPoint(point);
  return hit && hit->isDescendantOf(target);
}

void deliverStrayTouch(const std::shared_ptr<View>& hit) {
  for (View* v = hit.get(); v; v = v->superview()) {
    if (auto* cell = dynamic_cast<TableViewCell*>(v)) {
      auto* table = dynamic_cast<TableView*>(cell->superview());
      if (!table) return;
      auto keepTable = std::static_pointer_cast<TableView>(table->shared_from_this());
      auto path = table->indexPathForCell(*cell);
      auto d = table->delegate();
      if (path && d && table->allowsSelection()) d->didSelectRowAtIndexPath(*table, *path);
      return;
    }
    if (dynamic_cast<Control*>(v)) return;
    if (auto controller = v->viewController()) {
      controller->touchesEnded();
      return;
    }
  }
}

namespace {
std::shared_ptr<ViewController> nextShown(const std::shared_ptr<ViewController>& controller) {
  if (auto modal = controller->modalViewController()) return modal;
  if (auto* navigation = dynamic_cast<NavigationController*>(controller.get())) {
    return navigation->topViewController();
  }
  return nullptr;
}
}  // namespace

std::shared_ptr<ViewController> visibleController() {
  auto window = Application::shared().keyWindow();
  auto controller = window ? window->rootViewController() : nullptr;
  while (controller) {
    auto next = nextShown(controller);
    if (!next) break;
    controller = next;
  }
  return controller;
}

std::vector<std::shared_ptr<ViewController>> retainControllers() {
  std::vector<std::shared_ptr<ViewController>> kept;
  auto window = Application::shared().keyWindow();
  for (auto c = window ? window->rootViewController() : nullptr; c; c = nextShown(c)) {
    kept.push_back(c);
    if (auto* navigation = dynamic_cast<NavigationController*>(c.get())) {
      const auto& pushed = navigation->viewControllers();
      kept.insert(kept.end(), pushed.begin(), pushed.end());
    }
  }
  return kept;
}

}  // namespace zt
