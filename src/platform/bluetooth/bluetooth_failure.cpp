#include "platform/bluetooth/bluetooth_failure.h"

#include <algorithm>
#include <cctype>

namespace zt::bluetooth_failure {

namespace {

BluetoothFailure failure(std::errc code, std::string message, bool lasting) {
  return {{std::make_error_code(code), "Bluetooth", std::move(message)}, lasting};
}

bool oneOf(const std::string& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

// Whether `text` holds one of `words` (lower-case), ignoring case: the daemon words its errors
// differently from one version to the next ("Page Timeout", "br-connection-page-timeout").
bool mentionsAny(std::string text, std::initializer_list<const char*> words) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::any_of(words.begin(), words.end(),
                     [&](const char* w) { return text.find(w) != std::string::npos; });
}

bool isNoSerialPort(const std::string& name, const std::string& text) {
  return name == "org.bluez.Error.NotAvailable" || mentionsAny(text, {"profile-unavailable"});
}

bool isAuthentication(const std::string& name, const std::string& text) {
  return name.starts_with("org.bluez.Error.Authentication") ||
         mentionsAny(text, {"authentication"});
}

bool isNoAnswer(const std::string& name, const std::string& text) {
  return oneOf(name, {"org.freedesktop.DBus.Error.NoReply", "org.freedesktop.DBus.Error.Timeout",
                      "org.freedesktop.DBus.Error.TimedOut"}) ||
         mentionsAny(text, {"page timeout", "page-timeout", "host is down", "timed out"});
}

}  // namespace

BluetoothFailure busUnreachable(const PlatformError& error) {
  return failure(std::errc::no_such_device,
                 "Bluetooth is not available: the system message bus cannot be reached (" +
                     error.code.message() + ").",
                 true);
}

BluetoothFailure busLost(const PlatformError& error) {
  return failure(std::errc::connection_aborted,
                 "The connection to the Bluetooth service was lost (" + error.code.message() +
                     ").",
                 true);
}

BluetoothFailure listingFailed(const std::string& name, const std::string& text) {
  if (oneOf(name, {"org.freedesktop.DBus.Error.ServiceUnknown",
                   "org.freedesktop.DBus.Error.NameHasNoOwner"})) {
    return failure(std::errc::no_such_device,
                   "Bluetooth is not available: the Bluetooth service (bluetoothd) is not running.",
                   true);
  }
  return failure(std::errc::io_error,
                 "Bluetooth is not available: the Bluetooth service answered \"" + text + "\".",
                 true);
}

BluetoothFailure noAdapter() {
  return failure(std::errc::no_such_device, "No Bluetooth adapter was found on this computer.",
                 true);
}

BluetoothFailure adapterOff() {
  return failure(std::errc::network_down,
                 "Bluetooth is switched off: switch the adapter on (for example with "
                 "\"bluetoothctl power on\") and try again.",
                 true);
}

BluetoothFailure profileRefused(const std::string& name, const std::string& text) {
  if (oneOf(name, {"org.bluez.Error.NotPermitted", "org.bluez.Error.AlreadyExists"})) {
    return failure(std::errc::operation_not_permitted,
                   "Another program already holds the Bluetooth serial port profile (SPP), so "
                   "no serial module can be connected until it lets go of it.",
                   true);
  }
  return failure(std::errc::io_error,
                 "The Bluetooth service refused the serial port profile (SPP): " + text + ".",
                 true);
}

BluetoothFailure connectFailed(const std::string& device, bool paired, const std::string& name,
                               const std::string& text) {
  if (isNoSerialPort(name, text)) {
    return failure(std::errc::protocol_not_supported,
                   device + " offers no serial port (SPP), so it cannot be used as a serial "
                            "module.",
                   false);
  }
  if (!paired && isAuthentication(name, text)) {
    return failure(std::errc::permission_denied,
                   device + " is not paired and asks for a PIN: pair it first with the system's "
                            "Bluetooth tools (for example bluetoothctl), then choose it again.",
                   false);
  }
  if (isNoAnswer(name, text)) {
    return failure(std::errc::timed_out,
                   device + " did not answer: make sure it is switched on and in range, then "
                            "try again.",
                   false);
  }
  return failure(std::errc::io_error, device + " could not be connected: " + text + ".", false);
}

BluetoothFailure connectUnderWay(const std::string& device) {
  return failure(std::errc::operation_in_progress, device + " is being connected already.", false);
}

BluetoothFailure linkNotHandedOver(const std::string& device) {
  return failure(std::errc::device_or_resource_busy,
                 device + " is still held by an earlier connection that could not be ended: "
                          "switch the module off and on, then try again.",
                 false);
}

}  // namespace zt::bluetooth_failure
