// Test support for the application's screens: the real shell, launched without its pause, over
// the shared accessory manager, whose devices a test plugs in and pulls out (pseudo-terminals
// linked at paths given with --device; the manager rescans at once). Every test starts from a
// fresh application and settings object, with a documents folder of its own. Screens are driven
// through Touch by what they show: rows, bar buttons, menu entries and alert buttons are picked
// by their text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/zemra_demo_app_delegate.h"
#include "platform/external_accessory/accessory_test_support.h"
#include "platform/external_accessory/accessory_manager.h"
#include "platform/ui/ui.h"
#include "settings/db_process.h"
#include "settings/glb_param.h"
#include "settings/option_store.h"
#include "support/io.h"

namespace zt::test {

// What the application shows, as text.
inline std::string screen() { return buildDisplayList(Application::shared()).toText(); }

// Taps the row titled `title` (its detail button when `detail`); false when none is shown.
inline bool tapRow(const std::string& title, bool detail = false) {
  for (const auto& item : buildDisplayList(Application::shared()).items) {
    const auto* row = std::get_if<DisplayRow>(&item);
    if (row == nullptr || row->title != title) continue;
    return detail ? Touch::tapDetailButton(*row->table, row->path)
                  : Touch::tapRow(*row->table, row->path);
  }
  return false;
}
// Taps the bar button titled `title` ("Back" for the back button, "Action", "Done").
inline bool tapBar(const std::string& title) {
  for (const auto& item : buildDisplayList(Application::shared()).items) {
    const auto* bar = std::get_if<DisplayNavigationBar>(&item);
    if (bar == nullptr) continue;
    for (const auto& button : {bar->left, bar->right}) {
      if (button && button->title == title) return Touch::tapBarButton(button->item.get());
    }
  }
  return false;
}
// Chooses the entry titled `title` of the menu or the alert on top.
inline bool choose(const std::string& title) {
  const auto& popups = Application::shared().popups();
  if (popups.empty()) return false;
  if (const auto* sheet = std::get_if<std::shared_ptr<ActionSheet>>(&popups.back())) {
    const auto& titles = (*sheet)->buttonTitles();
    const auto at = std::find(titles.begin(), titles.end(), title);
    return at != titles.end() &&
           Touch::chooseActionSheetEntry(**sheet, static_cast<int>(at - titles.begin()));
  }
  const auto& alert = std::get<std::shared_ptr<AlertView>>(popups.back());
  const auto& titles = alert->buttonTitles();
  const auto at = std::find(titles.begin(), titles.end(), title);
  return at != titles.end() && Touch::tapAlertButton(*alert, static_cast<int>(at - titles.begin()));
}
// Flips the switch of the row titled `title`.
inline bool toggle(const std::string& title) {
  for (const auto& item : buildDisplayList(Application::shared()).items) {
    const auto* row = std::get_if<DisplayRow>(&item);
    if (row == nullptr || row->title != title || row->controls.empty()) continue;
    return Touch::toggleSwitch(dynamic_cast<Switch&>(*row->controls.front().view));
  }
  return false;
}

class ShellTest : public ::testing::Test {
 public:
  // The devices a test may plug in: "ttyZ0" .. "ttyZ3", each listed by its path.
  static std::filesystem::path devicePath(const std::string& name) { return devices() / name; }

 protected:
  void SetUp() override {
    static const bool configured = [] {
      AccessoryOptions options;
      options.demo = false;
      options.sysfsRoot = devices() / "no-sysfs";
      for (const char* name : {"ttyZ0", "ttyZ1", "ttyZ2", "ttyZ3"}) {
        options.devices.push_back({devicePath(name).string(), kDefaultBaud});
      }
      EAAccessoryManager::configure(options);
      return true;
    }();
    static_cast<void>(configured);
    Application::shared().resetForTesting();
    GlbParam::ReleaseResource();
    for (const auto& entry : std::filesystem::directory_iterator(devices())) {
      std::filesystem::remove(entry.path());
    }
    EAAccessoryManager::sharedAccessoryManager().rescan();
    settings_.documentsDirectory = docs_.path();
    settings_.launchPauseSeconds = 0;
  }
  void TearDown() override {
    shell_.reset();  // the application's reference goes last, in terminate()
    Application::shared().terminate();
    GlbParam::ReleaseResource();
  }

  // Makes the shell the delegate and launches; the main screen is then on top.
  void launch() {
    shell_ = std::make_shared<ZemraDemoAppDelegate>(settings_);
    Application::shared().setDelegate(shell_);
    Application::shared().launch();
  }
  // Stores options as an earlier run would have (before launch()).
  void storeOptions(const std::string& key, bool quorvelOn) {
    ASSERT_TRUE(StartOptionStore(GlbParam::instance(), docs_.path()));
    ASSERT_TRUE(GlbParam::instance().dbProcess()->UpdateQuorvelKey(key));
    ASSERT_TRUE(GlbParam::instance().dbProcess()->UpdateQuorvelOpenState(quorvelOn));
    GlbParam::ReleaseResource();
  }
  void plug(const std::string& name) {
    auto& pty = ptys_[name] = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(pty->slavePath(), devicePath(name));
    EAAccessoryManager::sharedAccessoryManager().rescan();
  }
  // The device's end of a plugged pseudo-terminal (non-blocking).
  int deviceEnd(const std::string& name) const { return ptys_.at(name)->master(); }
  void pull(const std::string& name) {
    std::filesystem::remove(devicePath(name));
    EAAccessoryManager::sharedAccessoryManager().rescan();
  }

  NavigationController& navigation() const { return *shell_->navigationController(); }
  std::shared_ptr<ViewController> top() const { return navigation().topViewController(); }

  TempDir docs_;
  ShellSettings settings_;
  std::shared_ptr<ZemraDemoAppDelegate> shell_;
  std::map<std::string, std::unique_ptr<PtyPair>> ptys_;

 private:
  static std::filesystem::path devices() {
    static const TempDir folder;
    return folder.path();
  }
};

}  // namespace zt::test
