#include "platform/ui/display_list.h"

#include "platform/ui/action_sheet.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/button.h"
#include "platform/ui/hit_test.h"
#include "platform/ui/model_state.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/switch.h"
#include "platform/ui/table_view.h"
#include "platform/ui/text_field.h"
#include "platform/ui/text_view.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/window.h"

namespace zt {

namespace {

std::optional<DisplayControl> controlOf(const std::shared_ptr<View>& view) {
  DisplayControl control;
  control.view = view;
  if (auto* s = dynamic_cast<Switch*>(view.get())) {
    control.kind = DisplayControl::Kind::Switch;
    control.on = s->isOn();
    control.enabled = s->isEnabled();
  } else if (auto* b = dynamic_cast<Button*>(view.get())) {
    control.kind = DisplayControl::Kind::Button;
    control.text = b->title();
    control.enabled = b->isEnabled();
  } else if (auto* t = dynamic_cast<TextInput*>(view.get())) {
    auto* field = dynamic_cast<TextField*>(t);
    control.kind = field ? DisplayControl::Kind::TextField : DisplayControl::Kind::TextView;
    control.text = t->text();
    if (field) control.placeholder = field->placeholder();
    control.enabled = t->isEnabled();
    control.editable = t->isEditable();
    control.editing = t->isFirstResponder();
    control.cursor = t->selectedRange().location;
    control.alignment = t->textAlignment();
    control.numeric = t->keyboardType() == KeyboardType::NumberPad;
    if (auto* textView = dynamic_cast<TextView*>(t)) {
      control.marked = textView->markedRanges();
      control.inset = textView->contentInset();
    }
  } else {
    return std::nullopt;
  }
  return control;
}

DisplayAccessory accessoryOf(TableViewCellAccessoryType type) {
  switch (type) {
    case TableViewCellAccessoryType::None:
      return DisplayAccessory::None;
    case TableViewCellAccessoryType::DisclosureIndicator:
      return DisplayAccessory::DisclosureIndicator;
    case TableViewCellAccessoryType::DetailDisclosureButton:
      return DisplayAccessory::DetailButton;
    case TableViewCellAccessoryType::Checkmark:
      return DisplayAccessory::Checkmark;
  }
  return DisplayAccessory::None;
}

class Builder {
 public:
  explicit Builder(DisplayList& out) : out_(out) {}

  void walk(const std::shared_ptr<View>& view) {
    if (view->isHidden() || dynamic_cast<NavigationBar*>(view.get())) return;
    const auto controller = view->viewController();
    if (auto navigation = std::dynamic_pointer_cast<NavigationController>(controller);
        navigation && navigation->isViewLoaded() && navigation->view() == view) {
      addNavigationBar(*navigation);
    }
    if (controller && controller->modalBar() && controller->modalBar()->superview()) {
      addBar(controller->navigationItem(), std::nullopt);
    }
    if (auto table = std::dynamic_pointer_cast<TableView>(view)) {
      if (!onScreen(*table)) return;
      addTable(table);
      for (const auto& child : table->subviews()) {
        if (!std::dynamic_pointer_cast<TableViewCell>(child)) walk(child);
      }
      return;
    }
    if (auto toolbar = std::dynamic_pointer_cast<Toolbar>(view)) {
      if (onScreen(*toolbar)) addToolbar(*toolbar);
      return;
    }
    for (const auto& child : view->subviews()) walk(child);
  }

  void addKeyboard(const Keyboard& keyboard) {
    if (!keyboard.isVisible() || !keyboard.window()) return;
    DisplayKeyboard item;
    item.numeric = keyboard.type() == KeyboardType::NumberPad;
    for (const auto& child : keyboard.window()->subviews()) {
      auto button = std::dynamic_pointer_cast<Button>(child);
      if (button && !button->isHidden()) item.extraKeys.emplace_back(button->title(), button);
    }
    out_.items.emplace_back(std::move(item));
  }

  void addKeyCommands(const std::shared_ptr<ViewController>& screen) {
    if (!screen) return;
    DisplayKeyCommands item{screen, {}};
    for (const KeyCommand& command : screen->keyCommands()) {
      item.commands.push_back({command.input, command.title, command.scope});
    }
    if (!item.commands.empty()) out_.items.emplace_back(std::move(item));
  }

  void addPopup(const Popup& popup) {
    if (auto* alert = std::get_if<std::shared_ptr<AlertView>>(&popup)) {
      const auto& a = *alert;
      out_.items.emplace_back(DisplayAlert{a, a->title(), a->message(), a->buttonTitles()});
    } else if (auto* sheet = std::get_if<std::shared_ptr<ActionSheet>>(&popup)) {
      const auto& s = *sheet;
      out_.items.emplace_back(
          DisplayActionSheet{s, s->title(), s->buttonTitles(), s->cancelButtonIndex()});
    }
  }

 private:
  static bool onScreen(const View& view) {
    Rect screen{0, 0, 320, 480};
    if (auto* window = view.window()) screen = window->frame();
    return view.frameInWindow().intersects({0, 0, screen.width, screen.height});
  }

  static DisplayBarButton barButton(const std::shared_ptr<BarButtonItem>& item) {
    return DisplayBarButton{item->title(), item->isEnabled(), false, item};
  }

  void addNavigationBar(NavigationController& navigation) {
    auto top = navigation.topViewController();
    if (!top || navigation.navigationBar()->isHidden()) return;
    addBar(top->navigationItem(), navigation.backButtonTitle());
  }

  // A bar showing `item`, with a back button titled `back` in place of its left item.
  void addBar(const NavigationItem& item, const std::optional<std::string>& back) {
    DisplayNavigationBar bar;
    bar.title = item.title();
    if (back) {
      bar.left = DisplayBarButton{*back, true, true, nullptr};
    } else if (item.leftBarButtonItem()) {
      bar.left = barButton(item.leftBarButtonItem());
    }
    if (item.rightBarButtonItem()) bar.right = barButton(item.rightBarButtonItem());
    out_.items.emplace_back(std::move(bar));
  }

  void addTable(const std::shared_ptr<TableView>& table) {
    Rect app = Application::shared().applicationFrame();
    Rect visible = table->visibleRect();
    for (int s = 0; s < table->numberOfSections(); ++s) {
      Rect header = table->rectForHeaderInSection(s);
      if (header.height > 0 && header.intersects(visible) &&
          table->convertRectToWindow(header).intersects(app)) {
        out_.items.emplace_back(
            DisplaySectionHeader{table, s, table->titleForHeaderInSection(s).value_or("")});
      }
      for (int r = 0; r < table->numberOfRowsInSection(s); ++r) {
        auto cell = table->cellForRowAtIndexPath({s, r});
        if (cell && cell->frameInWindow().intersects(app)) addRow(table, {s, r}, *cell);
      }
    }
  }

  void addRow(const std::shared_ptr<TableView>& table, IndexPath path, TableViewCell& cell) {
    DisplayRow row;
    row.table = table;
    row.path = path;
    row.title = cell.textLabel()->isHidden() ? "" : cell.textLabel()->text();
    row.titleAlignment = cell.textLabel()->textAlignment();
    if (const auto& detail = cell.detailTextLabel(); detail && !detail->isHidden())
      row.value = detail->text();
    row.image = cell.imageView()->image().name;
    row.accessory =
        cell.accessoryView() ? DisplayAccessory::None : accessoryOf(cell.accessoryType());
    if (cell.accessoryView() && !cell.accessoryView()->isHidden()) {
      if (auto control = controlOf(cell.accessoryView())) {
        row.controls.push_back(std::move(*control));
      }
    }
    for (const auto& child : cell.subviews()) collect(cell, child, row);
    row.selectable = table->allowsSelection();
    row.highlighted = !cell.backgroundColor().isClear() && cell.backgroundColor() != Color::white();
    row.heightPoints = static_cast<int>(cell.frame().height);
    row.covered = !touchReaches(cell, visibleCellRect(cell).center());
    out_.items.emplace_back(std::move(row));
  }

  // Controls and further labels inside a cell, depth first, apart from its own parts.
  void collect(const TableViewCell& cell, const std::shared_ptr<View>& view, DisplayRow& row) {
    if (view->isHidden() || view == cell.accessoryView() || view == cell.textLabel() ||
        view == cell.detailTextLabel()) {
      return;
    }
    if (auto control = controlOf(view)) {
      row.controls.push_back(std::move(*control));
      return;
    }
    if (auto* label = dynamic_cast<Label*>(view.get())) {
      row.lines.push_back(label->text());
      return;
    }
    for (const auto& child : view->subviews()) collect(cell, child, row);
  }

  void addToolbar(const Toolbar& toolbar) {
    DisplayToolbar bar;
    for (const auto& item : toolbar.items()) {
      if (!item) continue;
      DisplayToolbar::Entry entry;
      entry.item = item;
      entry.title = item->title();
      entry.enabled = item->isEnabled();
      if (item->isFlexibleSpace()) {
        entry.kind = DisplayToolbar::Entry::Kind::FlexibleSpace;
      } else if (item->customView()) {
        entry.kind = DisplayToolbar::Entry::Kind::Control;
        entry.control = controlOf(item->customView());
      }
      bar.entries.push_back(std::move(entry));
    }
    out_.items.emplace_back(std::move(bar));
  }

  DisplayList& out_;
};

}  // namespace

DisplayList buildDisplayList(const Application& app) {
  assertMainThread();
  DisplayList list;
  auto windows = app.windows();
  for (auto& window : windows) window->layoutIfNeeded();
  Builder builder(list);
  if (auto key = app.keyWindow()) builder.walk(key);
  builder.addKeyboard(app.keyboard());
  builder.addKeyCommands(visibleController());
  if (!app.popups().empty()) builder.addPopup(app.popups().back());
  return list;
}

}  // namespace zt
