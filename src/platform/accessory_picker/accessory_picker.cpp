#include "platform/accessory_picker/accessory_picker.h"

#include "platform/accessory_picker/accessory_picker_view_controller.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"

namespace zt {

namespace {

std::weak_ptr<ViewController>& openPicker() {
  static std::weak_ptr<ViewController> picker;
  return picker;
}

// The screen on top: the key window's root, or what it presents, and so on.
std::shared_ptr<ViewController> topScreen() {
  const auto window = Application::shared().keyWindow();
  auto screen = window ? window->rootViewController() : nullptr;
  while (screen && screen->modalViewController()) screen = screen->modalViewController();
  return screen;
}

}  // namespace

void installBluetoothAccessoryPicker() {
  EAAccessoryManager::setBluetoothAccessoryPickerPresenter(presentBluetoothAccessoryPicker);
}

void presentBluetoothAccessoryPicker(EAAccessoryManager& manager,
                                     const std::optional<std::string>& nameFilter,
                                     EAAccessoryManager::PickerCompletion completion) {
  const auto host = topScreen();
  if (!host || !openPicker().expired()) {
    const auto code = host ? std::errc::operation_in_progress : std::errc::not_supported;
    completion({std::make_error_code(code), "Bluetooth accessory picker", {}});
    return;
  }
  auto client = BluezClient::acquire(manager);
  if (!client) {
    const auto failure = bluetooth_failure::busUnreachable(client.error());
    showBluetoothWarning(failure.error.message());
    completion(failure.error);
    return;
  }
  auto picker = std::make_shared<AccessoryPickerViewController>(std::move(*client), nameFilter,
                                                                std::move(completion));
  openPicker() = picker;
  host->presentModalViewController(picker, true);
}

void showBluetoothWarning(const std::string& message) {
  std::make_shared<AlertView>("Warning", message, std::weak_ptr<AlertViewDelegate>(), "OK")->show();
}

}  // namespace zt
