// Test support for the Bluetooth tests: a bus of its own (dbus-run-session) with the fake
// Bluetooth daemon (fake_bluez.py on python-dbusmock, run by Debian's python3, which has the
// dbus module) on it, and DBUS_SYSTEM_BUS_ADDRESS pointed at that bus while the object lives.
// The bus and the fake run in a process group of their own, ended when the object goes (also
// when a test fails); they also end by themselves when this process dies, as their input closes.
// The fake is steered with blocking calls: it never waits for the program under test.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/bluetooth/bluetooth_device.h"
#include "support/io.h"

namespace zt::test {

// What the other tests see: an address where nothing listens.
inline constexpr const char* kNoBusAddress = "unix:path=/nonexistent/zt-no-system-bus";

class FakeBluez {
 public:
  enum class Daemon { Running, Absent };

  explicit FakeBluez(Daemon daemon = Daemon::Running) {
    const std::string script =
        std::string("echo \"$DBUS_SESSION_BUS_ADDRESS\"\n") +
        (daemon == Daemon::Running
             ? "DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS /usr/bin/python3 -m dbusmock "
               "--template \"$1\" >/dev/null &\n"
             : "") +
        "exec cat >/dev/null\n";
    start({"dbus-run-session", "--", "sh", "-c", script, "sh", ZT_FAKE_BLUEZ});
    try {
      reach(daemon);
    } catch (...) {
      stop();
      throw;
    }
  }

  ~FakeBluez() { stop(); }
  FakeBluez(const FakeBluez&) = delete;
  FakeBluez& operator=(const FakeBluez&) = delete;

  template <typename... Args>
  void call(const std::string& path, const char* interface, const char* member, const char* types,
            Args... args) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sd_bus_call_method(bus_, "org.bluez", path.c_str(), interface, member, &error,
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

  // A powered adapter "hciN" (address 0N:...): its path.
  std::string addAdapter(const char* name) {
    call("/", "org.bluez.Mock", "AddAdapter", "ss", name, "host");
    return std::string("/org/bluez/") + name;
  }
  // A device on hci0; `paired` and `serialPort` are set as pairing would set them.
  std::string addDevice(const char* address, const char* alias, bool paired, bool serialPort) {
    call("/", "org.bluez.Mock", "AddDevice", "sss", "hci0", address, alias);
    std::string path = "/org/bluez/hci0/dev_" + std::string(address);
    for (auto& c : path) c = c == ':' ? '_' : c;
    if (serialPort) {
      call(path, "org.freedesktop.DBus.Mock", "UpdateProperties", "sa{sv}", "org.bluez.Device1", 1,
           "UUIDs", "as", 1, kSerialPortProfileUuid);
    }
    if (paired) update(path, "org.bluez.Device1", "Paired", true);
    return path;
  }
  bool discovering(const std::string& adapter) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int on = 0;
    const int r = sd_bus_get_property_trivial(bus_, "org.bluez", adapter.c_str(),
                                              "org.bluez.Adapter1", "Discovering", &error, 'b', &on);
    sd_bus_error_free(&error);
    return r >= 0 && on != 0;
  }

 private:
  void reach(Daemon daemon) {
    const std::string address = readFor(out_, 4096, std::chrono::seconds(20), true);
    if (address.empty() || address.back() != '\n') throw std::runtime_error("no private bus");
    address_ = address.substr(0, address.size() - 1);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    connect();
    if (daemon == Daemon::Running) waitForDaemon();
  }

  void stop() {
    if (bus_ != nullptr) bus_ = sd_bus_flush_close_unref(bus_);
    ::close(in_);
    ::close(out_);
    if (pid_ > 0) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", kNoBusAddress, 1);
  }

  void start(std::vector<std::string> argv) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    const int error = ::posix_spawnp(&pid_, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(in[0]);
    ::close(out[1]);
    in_ = in[1];
    out_ = out[0];
    if (error != 0) {
      pid_ = -1;
      stop();
      throw std::runtime_error("cannot start dbus-run-session");
    }
  }

  void connect() {
    if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address_.c_str()) < 0 ||
        sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0) {
      throw std::runtime_error("cannot reach the private bus");
    }
  }

  void waitForDaemon() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      sd_bus_message* reply = nullptr;
      int owned = 0;
      if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                             "org.bluez") >= 0) {
        sd_bus_message_read(reply, "b", &owned);
        sd_bus_message_unref(reply);
      }
      if (owned != 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("the fake Bluetooth daemon did not start within 20 s");
  }

  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string address_;
  sd_bus* bus_ = nullptr;
};

}  // namespace zt::test
