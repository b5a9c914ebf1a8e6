// AppShell: what the screens ask of the application shell, which is the application's delegate
// (ZemraDemoAppDelegate implements it): the one navigation controller, the two navigation
// operations, and what the command line gave the program (the documents directory, the
// session capture, the history's size, reconnecting). A screen finds it with AppShell::current(),
// as it would ask the application for its delegate.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/ui/application.h"

namespace zt {

class NavigationController;
class SessionCapture;

class AppShell {
 public:
  virtual ~AppShell() = default;

  // The application's delegate as the shell; null while there is none (or it is no shell).
  static AppShell* current() {
    return dynamic_cast<AppShell*>(Application::shared().delegate().get());
  }

  virtual const std::shared_ptr<NavigationController>& navigationController() const = 0;
  // Pushes a new accessory list screen; the back button over it reads "Back".
  virtual void ShowAccessoryListView() = 0;
  // Pushes a new key screen; the back item set for it reads "Main".
  virtual void ShowOptionView() = 0;
  // Where the option store lives (--data-dir, else the default folder).
  virtual const std::filesystem::path& documentsDirectory() const = 0;
  // The --log file that every transfer screen appends to; null without --log.
  virtual SessionCapture* sessionCapture() const = 0;
  // Whether transfer screens wait for their accessory to come back (--reconnect).
  virtual bool reconnects() const = 0;
  // How many bytes each session's history keeps (--history-size); 0: the history is off.
  virtual std::uint64_t historyLimit() const = 0;
};

}  // namespace zt
