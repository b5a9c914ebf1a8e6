// Test support for the Bluetooth tests: a bus of its own (dbus-run-session) with the fake
// Bluetooth daemon (fake_bluez.py on python-dbusmock, run by Debian's python3, which has the
// dbus module) on it, and DBUS_SYSTEM_BUS_ADDRESS pointed at that bus while the object lives.
// The bus and the fake run in a process group of their own, killed when the object goes (also
// when a test fails); they end by themselves when this process dies, as their input closes.
// The fake is steered with blocking calls: it never waits for the program under test.
#pragma once

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "platform/bluetooth/bluetooth_device.h"
#include "support/io.h"

namespace zt::test {

class FakeBluez {
 public:
  enum class Daemon { Running, Absent };

  explicit FakeBluez(Daemon daemon = Daemon::Running)
      : bus_({"dbus-run-session", "--", "sh", "-c", kScript, "sh", ZT_FAKE_BLUEZ,
              daemon == Daemon::Running ? "run" : "absent"},
             true) {
    const std::string address = bus_.line();
    if (address.empty()) {
      throw std::runtime_error("the fake Bluetooth daemon did not start within 20 s: " +
                               readFor(bus_.err(), 4096, std::chrono::milliseconds(100)));
    }
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    if (sd_bus_new(&client_) < 0 || sd_bus_set_address(client_, address.c_str()) < 0 ||
        sd_bus_set_bus_client(client_, 1) < 0 || sd_bus_start(client_) < 0) {
      throw std::runtime_error("cannot reach the private bus at \"" + address + "\"");
    }
  }
  ~FakeBluez() {
    sd_bus_flush_close_unref(client_);
    // What the other tests see too: an address where nothing listens.
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zt-no-system-bus", 1);
  }
  FakeBluez(const FakeBluez&) = delete;
  FakeBluez& operator=(const FakeBluez&) = delete;

  template <typename... Args>
  void call(const std::string& path, const char* interface, const char* member, const char* types,
            Args... args) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sd_bus_call_method(client_, "org.bluez", path.c_str(), interface, member, &error,
                                     nullptr, types, args...);
    const std::string text = error.message != nullptr ? error.message : "";
    sd_bus_error_free(&error);
    if (r < 0) throw std::runtime_error(std::string(member) + ": " + text);
  }
  // A knob of the fake (org.zemra.FakeBluez on /).
  template <typename... Args>
  void knob(const char* member, const char* types, Args... args) {
    call("/", "org.zemra.FakeBluez", member, types, args...);
  }
  void update(const std::string& path, const char* interface, const char* name, bool value) {
    call(path, "org.freedesktop.DBus.Mock", "UpdateProperties", "sa{sv}", interface, 1, name, "b",
         static_cast<int>(value));
  }
  // A powered adapter "hciN": its path.
  std::string addAdapter(const char* name) {
    call("/", "org.bluez.Mock", "AddAdapter", "ss", name, "host");
    return std::string("/org/bluez/") + name;
  }
  // A device on hci0, paired and offering the serial port as pairing would have told.
  std::string addDevice(const char* address, const char* alias, bool paired, bool serialPort) {
    call("/", "org.bluez.Mock", "AddDevice", "sss", "hci0", address, alias);
    std::string path = "/org/bluez/hci0/dev_" + std::string(address);
    std::replace(path.begin(), path.end(), ':', '_');
    if (serialPort) {
      call(path, "org.freedesktop.DBus.Mock", "UpdateProperties", "sa{sv}", "org.bluez.Device1", 1,
           "UUIDs", "as", 1, kSerialPortProfileUuid);
    }
    if (paired) update(path, "org.bluez.Device1", "Paired", true);
    return path;
  }
  // How many times the device at `address` was asked to connect its serial port.
  unsigned connectAttempts(const char* address) {
    sd_bus_message* reply = nullptr;
    unsigned count = 0;
    const bool read = sd_bus_call_method(client_, "org.bluez", "/", "org.zemra.FakeBluez",
                                         "ConnectAttempts", nullptr, &reply, "s", address) >= 0 &&
                      sd_bus_message_read(reply, "u", &count) >= 0;
    sd_bus_message_unref(reply);
    if (!read) throw std::runtime_error("ConnectAttempts failed");
    return count;
  }
  bool discovering(const std::string& adapter) {
    int on = 0;
    const int r = sd_bus_get_property_trivial(client_, "org.bluez", adapter.c_str(),
                                              "org.bluez.Adapter1", "Discovering", nullptr, 'b',
                                              &on);
    return r >= 0 && on != 0;
  }

 private:
  // Starts the fake in the background and waits (20 s at most) until it answers on the bus, then
  // prints the bus's address and waits for input to end; prints nothing if the fake never came.
  static constexpr const char* kScript =
      "A=$DBUS_SESSION_BUS_ADDRESS\n"
      "if [ \"$2\" = run ]; then\n"
      "  DBUS_SYSTEM_BUS_ADDRESS=$A /usr/bin/python3 -m dbusmock --template \"$1\" >/dev/null &\n"
      "  n=0\n"
      "  until dbus-send --bus=\"$A\" --dest=org.bluez --print-reply / "
      "org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1; do\n"
      "    n=$((n + 1)); [ $n -lt 400 ] || exit 1; sleep 0.05\n"
      "  done\n"
      "fi\n"
      "echo \"$A\"\n"
      "exec cat >/dev/null\n";

  Child bus_;
  sd_bus* client_ = nullptr;
};

}  // namespace zt::test
