// The Bluetooth accessory picker as the accessory manager shows it. The program installs it once
// at start (installBluetoothAccessoryPicker); until then the manager answers every picker
// request with std::errc::not_supported. Nothing here touches the system bus before a picker
// is asked for.
//
// Main thread only.
#pragma once

#include <optional>
#include <string>

#include "platform/external_accessory/accessory_manager.h"

namespace zt {

// Makes presentBluetoothAccessoryPicker the manager's picker presenter.
void installBluetoothAccessoryPicker();

// Presents the picker modally over the screen on top of the key window. When the system bus
// cannot be reached it shows the alert "Warning" / the reason / "OK" instead; with no screen to
// present over, or a picker already open, the completion gets the error at once.
void presentBluetoothAccessoryPicker(EAAccessoryManager& manager,
                                     const std::optional<std::string>& nameFilter,
                                     EAAccessoryManager::PickerCompletion completion);

// The alert "Warning" / `message` / "OK", with no delegate.
void showBluetoothWarning(const std::string& message);

}  // namespace zt
