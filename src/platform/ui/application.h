// Application: the process's one application object: its delegate, its windows (the key window
// and, while the keyboard is up, the keyboard's), the idle-timer flag, the status-bar orientation,
// the application frame (320 x 460 at y 20, under the status bar), the keyboard, and the alerts
// and action sheets on screen (the newest on top; while one is shown it takes every touch).
//
// The life-cycle entry points run the delegate's callbacks in the toolkit's order:
//   launch()          didFinishLaunchingWithOptions, applicationDidBecomeActive
//   enterBackground() applicationWillResignActive, applicationDidEnterBackground
//   enterForeground() applicationWillEnterForeground, applicationDidBecomeActive
//   terminate()       applicationWillTerminate, then the delegate is released (its destructor
//                     runs here, on the main thread), then the windows and what they show.
//
// The object lives until the process ends and is never destroyed; terminate() releases what it
// holds. Main thread only.
#pragma once

#include <any>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/geometry.h"
#include "platform/ui/keyboard.h"

namespace zt {

class Application;
class AlertView;
class ActionSheet;
class Window;

using LaunchOptions = std::map<std::string, std::any>;

class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual bool didFinishLaunchingWithOptions(Application&, const LaunchOptions&) { return true; }
  virtual void applicationWillResignActive(Application&) {}
  virtual void applicationDidBecomeActive(Application&) {}
  virtual void applicationDidEnterBackground(Application&) {}
  virtual void applicationWillEnterForeground(Application&) {}
  virtual void applicationWillTerminate(Application&) {}
};

// Values as the toolkit numbers them.
enum class InterfaceOrientation {
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeRight = 3,
  LandscapeLeft = 4
};

using Popup = std::variant<std::shared_ptr<AlertView>, std::shared_ptr<ActionSheet>>;

class Application {
 public:
  static Application& shared();

  std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  bool launch(const LaunchOptions& options = {});
  void enterBackground();
  void enterForeground();
  void terminate();

  // The windows on screen, back to front: the application's, then the keyboard's while it is up.
  std::vector<std::shared_ptr<Window>> windows() const;
  std::shared_ptr<Window> keyWindow() const { return keyWindow_; }
  bool isWindowOnScreen(const Window& window) const;
  // Used by Window::makeKeyAndVisible.
  void makeKeyAndVisible(const std::shared_ptr<Window>& window);

  bool isIdleTimerDisabled() const { return idleTimerDisabled_; }
  void setIdleTimerDisabled(bool disabled) { idleTimerDisabled_ = disabled; }
  InterfaceOrientation statusBarOrientation() const { return orientation_; }
  // Portrait: x 0, y 20, 320 x 460.
  Rect applicationFrame() const { return {0, 20, 320, 460}; }
  Keyboard& keyboard() { return keyboard_; }
  const Keyboard& keyboard() const { return keyboard_; }

  // Alerts and action sheets on screen, oldest first.
  const std::vector<Popup>& popups() const { return popups_; }
  void showPopup(Popup popup);
  // Takes the alert or sheet off screen; returns whether it was shown.
  bool removePopup(const void* popup);
  bool isTopPopup(const void* popup) const;

  // Back to the state of a fresh process: no delegate, window, keyboard, alert or sheet.
  void resetForTesting();

 private:
  Application() = default;

  std::shared_ptr<ApplicationDelegate> delegate_;
  std::vector<std::shared_ptr<Window>> windows_;
  std::shared_ptr<Window> keyWindow_;
  bool idleTimerDisabled_ = false;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
  Keyboard keyboard_;
  std::vector<Popup> popups_;
};

}  // namespace zt
