// Test support for the application's screens: the real shell over the shared accessory manager,
// whose devices (pseudo-terminals linked at --device paths) a test plugs in and pulls out. Each
// test starts afresh with a documents folder of its own; rows, bar buttons and popup buttons are
// picked by their text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "app/zemra_demo_app_delegate.h"
#include "platform/external_accessory/accessory_test_support.h"
#include "settings/glb_param.h"

namespace zt::test {

inline std::string screen() { return buildDisplayList(Application::shared()).toText(); }
inline bool shows(const std::string& text) { return screen().find(text) != std::string::npos; }

inline std::optional<DisplayRow> shownRow(const std::string& title) {
  const DisplayList shown = buildDisplayList(Application::shared());
  for (const auto& item : shown.items) {
    const auto* row = std::get_if<DisplayRow>(&item);
    if (row && row->title == title) return *row;
  }
  return std::nullopt;
}
enum class RowPart { Row, DetailButton, Switch };
inline bool tapRow(const std::string& title, RowPart part = RowPart::Row) {
  const auto row = shownRow(title);
  if (!row) return false;
  if (part == RowPart::Switch)
    return Touch::toggleSwitch(dynamic_cast<Switch&>(*row->controls.at(0).view));
  return part == RowPart::Row ? Touch::tapRow(*row->table, row->path)
                              : Touch::tapDetailButton(*row->table, row->path);
}
// A bar button by its title (the back button by the title it shows).
inline bool tapBar(const std::string& title) {
  const DisplayList shown = buildDisplayList(Application::shared());
  for (const auto& item : shown.items) {
    const auto* bar = std::get_if<DisplayNavigationBar>(&item);
    for (const auto& button : {bar ? bar->left : std::nullopt, bar ? bar->right : std::nullopt}) {
      if (button && button->title == title) return Touch::tapBarButton(button->item.get());
    }
  }
  return false;
}
inline bool press(ActionSheet& sheet, int index) {
  return Touch::chooseActionSheetEntry(sheet, index);
}
inline bool press(AlertView& alert, int index) { return Touch::tapAlertButton(alert, index); }
// The button titled `title` of the menu or alert on top.
inline bool choose(const std::string& title) {
  const auto& popups = Application::shared().popups();
  const auto pick = [&](const auto& popup) {
    const auto& titles = popup->buttonTitles();
    const auto at = std::find(titles.begin(), titles.end(), title);
    return at != titles.end() && press(*popup, static_cast<int>(at - titles.begin()));
  };
  return !popups.empty() && std::visit(pick, popups.back());
}

class ShellTest : public ::testing::Test {
 public:
  // Where the device `name` ("ttyZ0" .. "ttyZ3") is listed.
  static std::string path(const std::string& name) { return (devices() / name).string(); }

 protected:
  void SetUp() override {
    static const bool configured = [] {
      AccessoryOptions options;
      for (const char* name : {"ttyZ0", "ttyZ1", "ttyZ2", "ttyZ3"}) {
        options.devices.push_back({path(name), kDefaultBaud});
      }
      options.demo = false;
      options.sysfsRoot = devices() / "no-sysfs";
      EAAccessoryManager::createShared(options);
      return true;
    }();
    static_cast<void>(configured);
    for (const auto& entry : std::filesystem::directory_iterator(devices())) remove(entry.path());
    manager().rescan();
    settings_ = {docs_.path(), nullptr, 0};
  }
  void TearDown() override { quit(); }

  void launch() {
    shell_ = std::make_shared<ZemraDemoAppDelegate>(settings_);
    Application::shared().setDelegate(shell_);
    Application::shared().launch();
  }
  void quit() {
    shell_.reset();  // the shell goes in terminate()
    Application::shared().terminate();
    GlbParam::ReleaseResource();
  }
  void plug(const std::string& name) {
    ptys_[name] = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(ptys_[name]->slavePath(), path(name));
    manager().rescan();
  }
  void pull(const std::string& name) {
    std::filesystem::remove(path(name));
    manager().rescan();
  }
  static EAAccessoryManager& manager() { return EAAccessoryManager::sharedAccessoryManager(); }
  NavigationController& navigation() const { return *shell_->navigationController(); }
  std::shared_ptr<ViewController> top() const { return navigation().topViewController(); }

  TempDir docs_;
  ShellSettings settings_;
  std::shared_ptr<ZemraDemoAppDelegate> shell_;
  std::map<std::string, std::unique_ptr<PtyPair>> ptys_;  // the devices' ends

 private:
  static std::filesystem::path devices() {
    static const TempDir folder;
    return folder.path();
  }
};

}  // namespace zt::test
