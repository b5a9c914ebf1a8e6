// zt_ui_fixture: a small application on the widget model, run through the terminal front end,
// for the end-to-end tests. Its one screen has what the real screens use: a log row (fed with an
// escape sequence at launch), a switch row, a row that opens a second screen, a row with a
// detail button that raises an alert, a toolbar with a send field and a Send button (whose text
// is echoed back a moment later, through the run loop), and an Action menu, whose "About"
// presents a screen modally. Going to the background and coming back are written to the log.
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "frontend/terminal/run_terminal.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/ui.h"

namespace zt {
namespace {

class SecondScreen : public ViewController, public TableViewDataSource {
 public:
  void viewDidLoad() override {
    setTitle("Second");
    table_ = std::make_shared<TableView>(view()->bounds(), TableViewStyle::Grouped);
    table_->setDataSource(weakAs<TableViewDataSource>());
    view()->addSubview(table_);
  }
  int numberOfRowsInSection(TableView&, int) override { return 2; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath path) override {
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, "Second");
    cell->textLabel()->setText(path.row == 0 ? "Alpha" : "Beta");
    return cell;
  }

 private:
  std::shared_ptr<TableView> table_;
};

// Presented modally: nothing but a bar of its own, whose "Done" ends the presentation.
class AboutScreen : public ViewController {
 public:
  void viewDidLoad() override {
    setTitle("About");
    navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(
        BarButtonSystemItem::Done, [this] { dismissModalViewControllerAnimated(true); }));
  }
};

class FixtureScreen : public ViewController,
                      public TableViewDataSource,
                      public TableViewDelegate,
                      public ActionSheetDelegate {
 public:
  ~FixtureScreen() override { NotificationCenter::defaultCenter().removeObserver(this); }

  void viewDidLoad() override {
    setTitle("Fixture");
    navigationItem().setHidesBackButton(true);
    navigationItem().setRightBarButtonItem(
        std::make_shared<BarButtonItem>(BarButtonSystemItem::Action, [this] { openMenu(); }));
    table_ = std::make_shared<TableView>(Rect{0, 0, 320, 372}, TableViewStyle::Grouped);
    table_->setDataSource(weakAs<TableViewDataSource>());
    table_->setDelegate(weakAs<TableViewDelegate>());
    view()->addSubview(table_);
    field_ = std::make_shared<TextField>(Rect{0, 0, 230, 31});
    field_->setPlaceholder("Type here");
    toolbar_ = std::make_shared<Toolbar>(Rect{0, 372, 320, 44});
    toolbar_->setItems({std::make_shared<BarButtonItem>(field_),
                       std::make_shared<BarButtonItem>("Send", BarButtonItemStyle::Bordered,
                                                       [this] { send(); })});
    view()->addSubview(toolbar_);
    // Like the transfer screen: the toolbar rises above the keyboard while it is up.
    auto& centre = NotificationCenter::defaultCenter();
    centre.addObserver(this, UIKeyboardWillShowNotification, [this](const Notification&) {
      toolbar_->setFrame(Rect{0, 157, 320, 44});
      table_->setFrame(Rect{0, 0, 320, 155});
    });
    centre.addObserver(this, UIKeyboardDidHideNotification, [this](const Notification&) {
      toolbar_->setFrame(Rect{0, 372, 320, 44});
      table_->setFrame(Rect{0, 0, 320, 372});
    });
    log("\r\n[Received 10:00:00]hello\r\n[Received 10:00:01]\x1b]0;pwned\x07\x1b[2Jafter");
  }

  void log(const std::string& text) {
    log_ += text;
    if (logView_) logView_->setText(log_);
  }

  int numberOfSectionsInTableView(TableView&) override { return 2; }
  int numberOfRowsInSection(TableView&, int section) override { return section == 0 ? 1 : 3; }
  std::optional<std::string> titleForHeaderInSection(TableView&, int section) override {
    return section == 0 ? "" : "Controls";
  }
  float heightForRowAtIndexPath(TableView&, IndexPath path) override {
    return path.section == 0 ? 150 : 44;
  }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath path) override {
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "Fixture");
    if (path.section == 0) {
      logView_ = std::make_shared<TextView>(Rect{5, 0, 310, 140});
      logView_->setEditable(false);
      logView_->setText(log_);
      cell->contentView()->addSubview(logView_);
    } else if (path.row == 0) {
      cell->textLabel()->setText("Wireless");
      auto control = std::make_shared<Switch>();
      control->addTarget([this, raw = control.get()] { log(raw->isOn() ? "\r\n[Switch ON]" : "\r\n[Switch OFF]"); },
                         ControlEvent::ValueChanged);
      cell->setAccessoryView(control);
    } else if (path.row == 1) {
      cell->textLabel()->setText("Details");
      cell->setAccessoryType(TableViewCellAccessoryType::DisclosureIndicator);
    } else {
      cell->textLabel()->setText("Module");
      cell->detailTextLabel()->setText("demo");
      cell->setAccessoryType(TableViewCellAccessoryType::DetailDisclosureButton);
    }
    return cell;
  }
  void didSelectRowAtIndexPath(TableView&, IndexPath path) override {
    if (path != IndexPath{1, 1}) return;
    navigationItem().setBackBarButtonItem(
        std::make_shared<BarButtonItem>("Back", BarButtonItemStyle::Bordered));
    navigationController()->pushViewController(std::make_shared<SecondScreen>(), true);
  }
  void accessoryButtonTappedForRowWithIndexPath(TableView&, IndexPath) override {
    showAlert("Module", "Detail button tapped");
  }
  void clickedButtonAtIndex(ActionSheet&, int index) override {
    if (index == 0) {
      log_.clear();
      log("");
    } else if (index == 1) {
      showAlert("Warning", "Something happened");
    } else if (index == 2) {
      presentModalViewController(std::make_shared<AboutScreen>(), true);
    }
  }

 private:
  void openMenu() {
    sheet_ = std::make_shared<ActionSheet>("", weakAs<ActionSheetDelegate>(), "Cancel",
                                           std::nullopt,
                                           std::vector<std::string>{"Clear", "Show Alert", "About"});
    sheet_->showInView(*view());
  }
  void showAlert(const std::string& title, const std::string& message) {
    alert_ = std::make_shared<AlertView>(title, message, std::weak_ptr<AlertViewDelegate>{}, "OK");
    alert_->show();
  }
  void send() {
    log("\r\n[Sent]" + field_->text());
    // Answered later, from the run loop, as a module's echo arrives.
    RunLoop::main().post([this, text = field_->text()] { log("\r\n[Echo]" + text); });
    field_->setText("");
    field_->resignFirstResponder();
  }

  std::shared_ptr<TableView> table_;
  std::shared_ptr<Toolbar> toolbar_;
  std::shared_ptr<TextField> field_;
  std::shared_ptr<TextView> logView_;
  std::shared_ptr<ActionSheet> sheet_;
  std::shared_ptr<AlertView> alert_;
  std::string log_;
};

class FixtureDelegate : public ApplicationDelegate {
 public:
  bool didFinishLaunchingWithOptions(Application&, const LaunchOptions&) override {
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the launch pause shows the splash
    window_ = std::make_shared<Window>();
    navigation_ = NavigationController::withRoot(std::make_shared<ViewController>());
    screen_ = std::make_shared<FixtureScreen>();
    navigation_->pushViewController(screen_, false);
    window_->setRootViewController(navigation_);
    window_->makeKeyAndVisible();
    return true;
  }
  void applicationDidEnterBackground(Application&) override { screen_->log("\r\n[background]"); }
  void applicationWillEnterForeground(Application&) override { screen_->log("\r\n[foreground]"); }

 private:
  std::shared_ptr<Window> window_;
  std::shared_ptr<NavigationController> navigation_;
  std::shared_ptr<FixtureScreen> screen_;
};

}  // namespace
}  // namespace zt

int main() {
  zt::RunLoop::createMain();
  zt::Application::shared().setDelegate(std::make_shared<zt::FixtureDelegate>());
  return zt::term::RunTerminal();
}
