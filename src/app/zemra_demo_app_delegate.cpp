#include "app/zemra_demo_app_delegate.h"

#include <chrono>
#include <thread>
#include <utility>

#include "accessory/accessory_list_view_controller.h"
#include "accessory/accessory_records.h"
#include "accessory/main_view_controller.h"
#include "info/root_view_controller.h"
#include "settings/db_process.h"
#include "settings/glb_param.h"
#include "settings_ui/dt_settings_view_controller.h"
#include "settings_ui/option_view_controller.h"
#include "transfer/data_transfers_view_controller.h"
#include "transfer/history/history_view_controller.h"

namespace zt {
namespace {

// How long quitting waits for the send workers, which stop at once when asked.
constexpr std::chrono::seconds kWorkerStopLimit{10};

}  // namespace

ZemraDemoAppDelegate::ZemraDemoAppDelegate(ShellSettings settings)
    : settings_(std::move(settings)),
      window_(std::make_shared<Window>()),
      navigationController_(
          NavigationController::withRoot(std::make_shared<RootViewController>())) {}

// The option store closes before the settings object that holds it goes. A send worker that
// never handed its screen back may still read the settings: then they stay for the process's
// last moments rather than go from under it.
ZemraDemoAppDelegate::~ZemraDemoAppDelegate() {
  if (DBProcess* store = GlbParam::instance().dbProcess()) store->CloseDB();
  navigationController_.reset();
  window_.reset();
  if (DataTransfersViewController::runningWorkers() == 0) GlbParam::ReleaseResource();
}

bool ZemraDemoAppDelegate::didFinishLaunchingWithOptions(Application& /*app*/,
                                                         const LaunchOptions& /*options*/) {
  std::this_thread::sleep_for(std::chrono::duration<double>(settings_.launchPauseSeconds));
  navigationController_->pushViewController(std::make_shared<MainViewController>(), false);
  window_->setRootViewController(navigationController_);
  window_->makeKeyAndVisible();
  return true;
}

void ZemraDemoAppDelegate::applicationDidEnterBackground(Application& /*app*/) {
  endTransferScreens();
}

void ZemraDemoAppDelegate::applicationWillEnterForeground(Application& /*app*/) {
  RebuildAccessoryList(GlbParam::instance());
  const auto top = navigationController_->topViewController();
  if (auto* list = dynamic_cast<AccessoryListViewController*>(top.get())) {
    list->RefreshAccessoryList();
  }
}

void ZemraDemoAppDelegate::applicationWillTerminate(Application& /*app*/) {
  endTransferScreens();
  DataTransfersViewController::waitForWorkers(kWorkerStopLimit);
}

void ZemraDemoAppDelegate::endTransferScreens() {
  const auto top = navigationController_->topViewController();
  if (dynamic_cast<DataTransfersViewController*>(top.get()) != nullptr) {
    navigationController_->popViewControllerAnimated(false);
  } else if (dynamic_cast<DTSettingsViewController*>(top.get()) != nullptr ||
             dynamic_cast<HistoryViewController*>(top.get()) != nullptr) {
    navigationController_->popViewControllerAnimated(false);
    navigationController_->popViewControllerAnimated(false);
  }
}

void ZemraDemoAppDelegate::ShowAccessoryListView() {
  pushWithBackTitle(std::make_shared<AccessoryListViewController>(), "Back");
}

void ZemraDemoAppDelegate::ShowOptionView() {
  pushWithBackTitle(std::make_shared<OptionViewController>(), "Main");
}

void ZemraDemoAppDelegate::pushWithBackTitle(const std::shared_ptr<ViewController>& screen,
                                             const char* title) {
  if (const auto visible = navigationController_->visibleViewController()) {
    visible->navigationItem().setBackBarButtonItem(
        std::make_shared<BarButtonItem>(title, BarButtonItemStyle::Bordered));
  }
  navigationController_->pushViewController(screen, true);
}

}  // namespace zt
