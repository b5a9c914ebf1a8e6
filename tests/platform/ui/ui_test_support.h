// Helpers for the widget model's tests: a fixture that starts every test from a fresh
// application, a screen that logs its life-cycle callbacks, a table data source with
// configurable rows that counts the cells it builds, and a screen showing one such table.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace zt::test {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override { Application::shared().resetForTesting(); }
  void TearDown() override {
    Application::shared().resetForTesting();
    window_.reset();
  }

  // A key window showing a navigation controller with `root` at the bottom of its stack.
  std::shared_ptr<NavigationController> showNavigation(std::shared_ptr<ViewController> root) {
    auto navigation = NavigationController::withRoot(std::move(root));
    window_ = std::make_shared<Window>();
    window_->setRootViewController(navigation);
    window_->makeKeyAndVisible();
    return navigation;
  }

  std::string screenText() { return buildDisplayList(Application::shared()).toText(); }

  // Outlives the window, so that screens released with it can still log.
  std::vector<std::string> log;
  std::shared_ptr<Window> window_;
};

// A screen that appends "<name>.<callback>(<animated>)" to a shared log.
class LoggingScreen : public ViewController {
 public:
  LoggingScreen(std::string name, std::vector<std::string>& log)
      : name_(std::move(name)), log_(log) {}
  ~LoggingScreen() override { log_.push_back(name_ + ".destroyed"); }

  void viewDidLoad() override { log_.push_back(name_ + ".viewDidLoad"); }
  void viewWillAppear(bool a) override { add("viewWillAppear", a); }
  void viewDidAppear(bool a) override { add("viewDidAppear", a); }
  void viewWillDisappear(bool a) override { add("viewWillDisappear", a); }
  void viewDidDisappear(bool a) override { add("viewDidDisappear", a); }
  void touchesEnded() override { log_.push_back(name_ + ".touchesEnded"); }

 private:
  void add(const char* what, bool animated) {
    log_.push_back(name_ + "." + what + (animated ? "(animated)" : "()"));
  }
  std::string name_;
  std::vector<std::string>& log_;
};

// Rows titled "r<section>.<row>", all `rowHeight` high unless overridden in `heights`.
class RowSource : public TableViewDataSource, public TableViewDelegate {
 public:
  explicit RowSource(std::vector<int> rowsPerSection) : rows(std::move(rowsPerSection)) {}

  int numberOfSectionsInTableView(TableView&) override { return static_cast<int>(rows.size()); }
  int numberOfRowsInSection(TableView&, int s) override {
    return rows.at(static_cast<std::size_t>(s));
  }
  std::optional<std::string> titleForHeaderInSection(TableView&, int s) override {
    auto it = titles.find(s);
    return it == titles.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath p) override {
    auto cell = table.dequeueReusableCellWithIdentifier("Cell");
    if (!cell) {
      cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "Cell");
      ++created;
    }
    built.push_back(p);
    std::string title = "r";  // appended: g++ 12 at -O3 warns falsely on "r" + std::string
    title.append(std::to_string(p.section)).append(".").append(std::to_string(p.row));
    cell->textLabel()->setText(title);
    return cell;
  }
  float heightForRowAtIndexPath(TableView&, IndexPath p) override {
    auto it = heights.find(p);
    return it == heights.end() ? rowHeight : it->second;
  }
  void didSelectRowAtIndexPath(TableView&, IndexPath p) override { selected.push_back(p); }
  void accessoryButtonTappedForRowWithIndexPath(TableView&, IndexPath p) override {
    detailTapped.push_back(p);
  }

  std::vector<int> rows;
  std::map<int, std::string> titles;
  std::map<IndexPath, float> heights;
  float rowHeight = 44;
  int created = 0;
  std::vector<IndexPath> built;
  std::vector<IndexPath> selected;
  std::vector<IndexPath> detailTapped;
};

// A screen whose view holds one table fed by a RowSource; it counts the touches that reach it.
class TableScreen : public ViewController {
 public:
  TableScreen(std::vector<int> rows, Rect frame, TableViewStyle style = TableViewStyle::Plain)
      : source(std::make_shared<RowSource>(std::move(rows))),
        table(std::make_shared<TableView>(frame, style)) {}
  void viewDidLoad() override {
    table->setDataSource(source);
    table->setDelegate(source);
    view()->addSubview(table);
  }
  void touchesEnded() override { ++touches; }

  std::shared_ptr<RowSource> source;
  std::shared_ptr<TableView> table;
  int touches = 0;
};

}  // namespace zt::test
