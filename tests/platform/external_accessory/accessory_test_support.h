// Test support for the accessory layer: a pseudo-terminal pair whose master plays the device,
// a loopback TCP listener (that may be made never to answer), a stream delegate that collects
// what arrives, a log of the accessory notifications, and a rig of all of these around a manager.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/external_accessory/accessory_manager.h"
#include "platform/external_accessory/session.h"
#include "platform/external_accessory/stream.h"
#include "platform/foundation/notification_center.h"
#include "support/io.h"

namespace zt::test {

// A pseudo-terminal: the test holds the master (non-blocking) and the accessory layer opens
// the slave by its path.
class PtyPair {
 public:
  PtyPair() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    char name[128];
    if (master_ < 0 || ::grantpt(master_) < 0 || ::unlockpt(master_) < 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
      throw std::runtime_error("posix_openpt failed");
    }
    slavePath_ = name;
  }
  ~PtyPair() { closeMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  int master() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }
  void closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_;
  std::string slavePath_;
};

// A loopback TCP listener on a free port.
class Listener {
 public:
  Listener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    address_.sin_family = AF_INET;
    address_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address_;
    auto* raw = reinterpret_cast<sockaddr*>(&address_);
    if (fd_ < 0 || ::bind(fd_, raw, length) < 0 || ::listen(fd_, 4) < 0 ||
        ::getsockname(fd_, raw, &length) < 0) {
      throw std::runtime_error("listener failed");
    }
  }
  ~Listener() {
    ::close(fd_);
    if (filler_ >= 0) ::close(filler_);
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  std::uint16_t port() const { return ntohs(address_.sin_port); }
  // The next connection, made non-blocking.
  int accept() { return ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC); }
  // Lets one connection fill the queue of connections not yet accepted, so the next one is
  // never answered: the kernel drops its requests while the queue is full.
  void fillBacklog() {
    filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::listen(fd_, 0) < 0 || filler_ < 0 ||
        ::connect(filler_, reinterpret_cast<const sockaddr*>(&address_), sizeof address_) < 0) {
      throw std::runtime_error("filling the backlog failed");
    }
  }

 private:
  int fd_;
  int filler_ = -1;
  sockaddr_in address_{};
};

// Collects what an input stream announces, reading at most 350 bytes per announcement: the
// stream announces the rest again.
class Collector : public StreamDelegate {
 public:
  void handleEvent(Stream& stream, StreamEvent code) override {
    events.push_back(code);
    if (code != StreamEvent::HasBytesAvailable) return;
    std::uint8_t chunk[350];
    const auto n = dynamic_cast<InputStream&>(stream).read(chunk, sizeof chunk);
    if (n > 0) data.append(reinterpret_cast<const char*>(chunk), static_cast<std::size_t>(n));
  }
  long count(StreamEvent code) const { return std::count(events.begin(), events.end(), code); }

  std::string data;
  std::vector<StreamEvent> events;
};

// The accessory notifications in the order they came: (connected?, accessory).
class NotificationLog {
 public:
  NotificationLog() {
    for (const bool connected : {true, false}) {
      NotificationCenter::defaultCenter().addObserver(
          this,
          connected ? EAAccessoryDidConnectNotification : EAAccessoryDidDisconnectNotification,
          [this, connected](const Notification& n) {
            entries.push_back({connected, std::any_cast<std::shared_ptr<EAAccessory>>(
                                              n.userInfo.at(EAAccessoryKey))});
          });
    }
  }
  ~NotificationLog() { NotificationCenter::defaultCenter().removeObserver(this); }
  NotificationLog(const NotificationLog&) = delete;
  NotificationLog& operator=(const NotificationLog&) = delete;

  struct Entry {
    bool connected;
    std::shared_ptr<EAAccessory> accessory;
  };
  std::vector<Entry> entries;
};

inline std::ptrdiff_t writeText(OutputStream& out, const std::string& text) {
  return out.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// A manager listing only what `configure` adds (no demo module, an empty sysfs, frequent
// rescans), registered for its notifications, which are logged; open() makes a session on an
// accessory (the first by default), both streams open and reporting to `collector`.
struct Rig {
  explicit Rig(const std::function<void(AccessoryOptions&)>& configure) {
    AccessoryOptions options;
    options.demo = false;
    options.sysfsRoot = dir.path().string();
    options.rescanInterval = std::chrono::milliseconds(50);
    configure(options);
    manager.emplace(options, loop);
    manager->registerForLocalNotifications();
  }
  ~Rig() { manager->unregisterForLocalNotifications(); }
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  bool open(std::size_t index = 0) {
    accessory = manager->connectedAccessories().at(index);
    auto made = EASession::create(accessory, kDefaultProtocolString);
    if (!made) return false;
    session = *made;
    for (Stream* stream : {static_cast<Stream*>(session->inputStream().get()),
                           static_cast<Stream*>(session->outputStream().get())}) {
      stream->setDelegate(collector);
      stream->scheduleInRunLoop(loop);
      stream->open();
    }
    return true;
  }
  TempDir dir;
  RunLoop loop;
  std::optional<EAAccessoryManager> manager;
  NotificationLog log;
  std::shared_ptr<EAAccessory> accessory;
  std::shared_ptr<EASession> session;
  std::shared_ptr<Collector> collector = std::make_shared<Collector>();
};

}  // namespace zt::test
