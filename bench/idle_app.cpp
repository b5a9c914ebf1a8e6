// zt_idle_app: a stand-in for the application's main screen, for bench/idle_wakeups.sh until
// zemra-telvo has its screens: the terminal front end showing the accessory manager's list,
// reloaded on every connect and disconnect notification. It takes the platform's accessory
// options (--device PATH[@BAUD], --tcp HOST:PORT, --no-demo).
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "frontend/terminal/run_terminal.h"
#include "platform/external_accessory/accessory_manager.h"
#include "platform/ui/ui.h"

namespace zt {
namespace {

class AccessoryListScreen : public ViewController, public TableViewDataSource {
 public:
  ~AccessoryListScreen() override {
    NotificationCenter::defaultCenter().removeObserver(this);
    EAAccessoryManager::sharedAccessoryManager().unregisterForLocalNotifications();
  }

  void viewDidLoad() override {
    setTitle("Accessories");
    table_ = std::make_shared<TableView>(view()->bounds(), TableViewStyle::Plain);
    table_->setDataSource(weakAs<TableViewDataSource>());
    view()->addSubview(table_);
    auto& manager = EAAccessoryManager::sharedAccessoryManager();
    for (const auto* name : {&EAAccessoryDidConnectNotification,
                             &EAAccessoryDidDisconnectNotification}) {
      NotificationCenter::defaultCenter().addObserver(
          this, *name, [this](const Notification&) { table_->reloadData(); });
    }
    manager.registerForLocalNotifications();
  }

  int numberOfRowsInSection(TableView& /*table*/, int /*section*/) override {
    const auto& manager = EAAccessoryManager::sharedAccessoryManager();
    return static_cast<int>(manager.connectedAccessories().size());
  }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& /*table*/,
                                                       IndexPath path) override {
    const auto list = EAAccessoryManager::sharedAccessoryManager().connectedAccessories();
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "Accessory");
    const auto& accessory = *list.at(static_cast<std::size_t>(path.row));
    cell->textLabel()->setText(accessory.name());
    cell->detailTextLabel()->setText(accessory.serialNumber());
    return cell;
  }

 private:
  std::shared_ptr<TableView> table_;
};

class IdleDelegate : public ApplicationDelegate {
 public:
  bool didFinishLaunchingWithOptions(Application& /*app*/,
                                     const LaunchOptions& /*options*/) override {
    window_ = std::make_shared<Window>();
    navigation_ = NavigationController::withRoot(std::make_shared<AccessoryListScreen>());
    window_->setRootViewController(navigation_);
    window_->makeKeyAndVisible();
    return true;
  }

 private:
  std::shared_ptr<Window> window_;
  std::shared_ptr<NavigationController> navigation_;
};

}  // namespace
}  // namespace zt

int main(int argc, char** argv) {
  if (const auto failure = zt::RunLoop::createMain()) {
    (void)std::fprintf(stderr, "zt_idle_app: %s\n", failure.message().c_str());
    return 1;
  }
  zt::AccessoryOptions options;
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto rest = zt::parseAccessoryOptions(args, options);
    if (!rest.empty()) throw std::invalid_argument("unknown option " + rest.front());
  } catch (const std::exception& error) {
    (void)std::fprintf(stderr, "zt_idle_app: %s\n", error.what());
    return 2;
  }
  zt::EAAccessoryManager::createShared(std::move(options));
  zt::Application::shared().setDelegate(std::make_shared<zt::IdleDelegate>());
  return zt::term::RunTerminal({"zt_idle_app"});
}
