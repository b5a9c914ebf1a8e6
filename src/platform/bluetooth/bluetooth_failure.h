// BluetoothFailure: why Bluetooth cannot be used or a device cannot be connected, as a
// PlatformError whose message is one sentence for a person (naming the device where there is
// one). A lasting failure means Bluetooth as a whole is unusable now; otherwise only that
// device is.
//
// The builders turn the Bluetooth daemon's D-Bus error names and texts, and the system bus's
// failures, into those sentences. Pure; any thread.
#pragma once

#include <string>

#include "platform/foundation/platform_error.h"

namespace zt {

struct BluetoothFailure {
  PlatformError error;
  bool lasting = false;
};

namespace bluetooth_failure {

// The system bus cannot be reached.
BluetoothFailure busUnreachable(const PlatformError& error);
// The connection to the bus broke while in use.
BluetoothFailure busLost(const PlatformError& error);
// Listing the daemon's objects failed: D-Bus error name and text.
BluetoothFailure listingFailed(const std::string& name, const std::string& text);
BluetoothFailure noAdapter();
BluetoothFailure adapterOff();
// Registering the serial port profile failed.
BluetoothFailure profileRefused(const std::string& name, const std::string& text);
// Connecting `device` (its name) failed; `paired` tells whether pairing could be the cause.
BluetoothFailure connectFailed(const std::string& device, bool paired, const std::string& name,
                               const std::string& text);
// A connect of the same device is under way already.
BluetoothFailure connectUnderWay(const std::string& device);
// The daemon answered without handing over a link, even after ending the earlier one.
BluetoothFailure linkNotHandedOver(const std::string& device);

}  // namespace bluetooth_failure
}  // namespace zt
