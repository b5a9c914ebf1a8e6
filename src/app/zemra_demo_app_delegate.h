// ZemraDemoAppDelegate: the application shell. It holds the window and the one navigation
// controller through which every screen is shown, offers the screens their two navigation
// operations (AppShell), and maps the application's life onto the screens:
//   launch      a pause (the splash stays up), then the main screen, pushed without animation
//               over a root screen that is never shown
//   background  a transfer screen on top is popped, or a transfer settings or History screen
//               and the transfer screen beneath it, without animation (their sessions end)
//   foreground  the settings object's accessory list is rebuilt; an accessory list screen on
//               top reloads
//   terminate   transfer screens end as for the background, and the shell waits until their
//               send workers have handed their screens back
//   destruction the option store is closed, then the settings object released.
//
// Construct it with std::make_shared and make it the application's delegate. Main thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/ui/ui.h"
#include "shell/app_shell.h"

namespace zt {

inline constexpr std::uint64_t kDefaultHistoryLimit = std::uint64_t{32} << 20;

struct ShellSettings {
  std::filesystem::path documentsDirectory;
  // The --log file, owned by main() and outliving the shell; null without --log.
  SessionCapture* capture = nullptr;
  // How long the launch blocks before the main screen comes; tests pass 0.
  double launchPauseSeconds = 1.0;
  // What each session's history keeps, in bytes (--history-size); 0: off.
  std::uint64_t historyLimit = kDefaultHistoryLimit;
  // --reconnect: transfer screens wait for their accessory to come back.
  bool reconnect = false;
};

class ZemraDemoAppDelegate : public ApplicationDelegate, public AppShell {
 public:
  explicit ZemraDemoAppDelegate(ShellSettings settings);
  ~ZemraDemoAppDelegate() override;
  ZemraDemoAppDelegate(const ZemraDemoAppDelegate&) = delete;
  ZemraDemoAppDelegate& operator=(const ZemraDemoAppDelegate&) = delete;

  bool didFinishLaunchingWithOptions(Application& app, const LaunchOptions& options) override;
  void applicationDidEnterBackground(Application& app) override;
  void applicationWillEnterForeground(Application& app) override;
  void applicationWillTerminate(Application& app) override;

  const std::shared_ptr<Window>& window() const { return window_; }
  const std::shared_ptr<NavigationController>& navigationController() const override {
    return navigationController_;
  }
  void ShowAccessoryListView() override;
  void ShowOptionView() override;
  const std::filesystem::path& documentsDirectory() const override {
    return settings_.documentsDirectory;
  }
  SessionCapture* sessionCapture() const override { return settings_.capture; }
  bool reconnects() const override { return settings_.reconnect; }
  std::uint64_t historyLimit() const override { return settings_.historyLimit; }

 private:
  // Pops a transfer screen on top, or a transfer settings or History screen and its transfer
  // screen.
  void endTransferScreens();
  // Gives the visible screen the back item `title`, then pushes `screen` animated.
  void pushWithBackTitle(const std::shared_ptr<ViewController>& screen, const char* title);

  ShellSettings settings_;
  std::shared_ptr<Window> window_;
  std::shared_ptr<NavigationController> navigationController_;
};

}  // namespace zt
