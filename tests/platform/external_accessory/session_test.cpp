// Sessions on real pseudo-terminals: bytes both ways through the streams and the run loop, the
// device going away, an output stream that runs out of room, and why there is no session.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "accessory_test_support.h"
#include "platform/external_accessory/serial_port.h"
#include "platform/external_accessory/session.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using namespace std::chrono_literals;
using test::Collector;
using test::NotificationLog;
using test::PtyPair;
using test::TempDir;

AccessoryOptions ptyOptions(const TempDir& sysfs, const std::string& path) {
  AccessoryOptions options;
  options.demo = false;
  options.sysfsRoot = sysfs.path().string();
  options.devices.push_back({path, 115200});
  options.rescanInterval = 50ms;
  return options;
}

struct PtySession {
  TempDir sysfs;
  PtyPair pty;
  RunLoop loop;
  EAAccessoryManager manager{ptyOptions(sysfs, pty.slavePath()), loop};
  std::shared_ptr<EAAccessory> accessory;
  std::shared_ptr<EASession> session;
  std::shared_ptr<Collector> collector = std::make_shared<Collector>();

  void open() {
    const auto list = manager.connectedAccessories();
    ASSERT_EQ(list.size(), 1u);
    accessory = list[0];
    session = EASession::create(accessory, kDefaultProtocolString);
    ASSERT_TRUE(session);
    test::openStreams(*session, loop, collector);
  }
};

TEST(SessionTest, PtyCarriesBytesBothWaysThroughTheRunLoop) {
  test::Watchdog dog;
  PtySession s;
  ASSERT_NO_FATAL_FAILURE(s.open());
  EXPECT_EQ(s.accessory->name(), std::filesystem::path(s.pty.slavePath()).filename().string());
  EXPECT_EQ(s.accessory->serialNumber(), s.pty.slavePath());

  // Raw mode: CR, LF, NUL and bytes above 0x7F pass untouched in both directions.
  const std::string fromDevice = std::string("hello\r\nworld\0\xff\x80", 15);
  ASSERT_TRUE(test::writeAll(s.pty.master(), fromDevice));
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.collector->data.size() >= fromDevice.size(); }));
  EXPECT_EQ(s.collector->data, fromDevice);
  EXPECT_EQ(s.collector->count(StreamEvent::OpenCompleted), 2);

  const std::string toDevice = std::string("ping\r\n\x01\xfe", 8);
  ASSERT_EQ(test::writeText(*s.session->outputStream(), toDevice), 8);
  EXPECT_EQ(test::readFor(s.pty.master(), toDevice.size()), toDevice);

  // Closing is final and harmless twice; a closed stream neither reads nor writes.
  s.session->inputStream()->close();
  s.session->outputStream()->close();
  s.session->outputStream()->close();
  EXPECT_FALSE(s.session->inputStream()->hasBytesAvailable());
  EXPECT_FALSE(s.session->outputStream()->hasSpaceAvailable());
  EXPECT_EQ(test::writeText(*s.session->outputStream(), "x"), -1);
  std::uint8_t byte = 0;
  EXPECT_EQ(s.session->inputStream()->read(&byte, 1), -1);
}

TEST(SessionTest, NoSessionSaysWhyInThePlatformsWords) {
  TempDir dir;
  const std::string file = (dir.path() / "ttyFILE").string();
  std::ofstream(file) << "";
  const std::string missing = (dir.path() / "ttyGONE").string();
  const auto serial = [](const std::string& path) {
    return std::make_shared<EAAccessory>(AccessoryIdentity{}, 1,
                                         std::make_shared<SerialTransport>(path, 115200));
  };
  const auto gone = serial(file);
  gone->markDisconnected();
  struct Case {
    std::shared_ptr<EAAccessory> accessory;
    std::string protocol;
    std::string reason;
  };
  const Case cases[] = {
      {serial(file), kDefaultProtocolString, file + ": Inappropriate ioctl for device"},
      {serial(missing), kDefaultProtocolString, missing + ": No such file or directory"},
      {serial(dir.path().string()), kDefaultProtocolString,
       dir.path().string() + ": Is a directory"},
      {gone, kDefaultProtocolString, "The accessory is no longer connected."},
      {nullptr, kDefaultProtocolString, "The accessory is no longer connected."},
      {serial(file), "com.example.other",
       "The accessory does not support the protocol com.example.other."},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_FALSE(EASession::create(c.accessory, c.protocol, &reason));
    EXPECT_EQ(reason, c.reason);
  }
}

// Reads at most a few bytes per event, or nothing at all while `idle`.
class Sipper : public StreamDelegate {
 public:
  void handleEvent(Stream& stream, StreamEvent code) override {
    if (code != StreamEvent::HasBytesAvailable) return;
    ++events;
    if (idle) return;
    std::uint8_t chunk[3];
    const auto n = dynamic_cast<InputStream&>(stream).read(chunk, sizeof chunk);
    if (n > 0) data.append(reinterpret_cast<const char*>(chunk), static_cast<std::size_t>(n));
  }
  std::string data;
  int events = 0;
  bool idle = false;
};

TEST(SessionTest, BytesLeftUnreadAreAnnouncedAgainOnlyAfterProgress) {
  test::Watchdog dog;
  PtySession s;
  ASSERT_NO_FATAL_FAILURE(s.open());
  auto sipper = std::make_shared<Sipper>();
  sipper->idle = true;
  s.session->inputStream()->setDelegate(sipper);
  ASSERT_TRUE(test::writeAll(s.pty.master(), "0123456789"));
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return sipper->events > 0; }));
  s.loop.runFor(100ms);
  EXPECT_EQ(sipper->events, 1) << "a delegate that reads nothing is not called in a loop";

  sipper->idle = false;
  ASSERT_TRUE(test::writeAll(s.pty.master(), "abc"));
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return sipper->data.size() == 13; }));
  EXPECT_EQ(sipper->data, "0123456789abc");
}

TEST(SessionTest, DeviceClosingIsOneDisconnect) {
  test::Watchdog dog;
  PtySession s;
  NotificationLog log;
  s.manager.registerForLocalNotifications();
  ASSERT_NO_FATAL_FAILURE(s.open());
  ASSERT_TRUE(test::writeAll(s.pty.master(), "last words"));
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.collector->data == "last words"; }));

  // The rescan sees the device gone before the stream reports it: still one disconnect.
  s.pty.closeMaster();
  s.manager.rescan();
  ASSERT_EQ(log.entries.size(), 1u);
  s.loop.runFor(300ms);  // several rescans and polls later: still one report, no spinning
  ASSERT_EQ(log.entries.size(), 1u);
  EXPECT_FALSE(log.entries[0].connected);
  EXPECT_EQ(log.entries[0].accessory, s.accessory);
  EXPECT_FALSE(s.accessory->isConnected());
  EXPECT_TRUE(s.manager.connectedAccessories().empty());
  EXPECT_FALSE(s.session->inputStream()->hasBytesAvailable());
  EXPECT_FALSE(EASession::create(s.accessory, kDefaultProtocolString));
  s.manager.unregisterForLocalNotifications();
}

TEST(SessionTest, FullOutputHasNoSpaceUntilTheDeviceReads) {
  test::Watchdog dog;
  PtySession s;
  ASSERT_NO_FATAL_FAILURE(s.open());
  auto out = s.session->outputStream();

  // Fill the device's buffers until no room comes back on its own (the pty moves bytes
  // between its buffers a moment after a write).
  const std::string block(4096, 'z');
  std::size_t written = 0;
  const auto fill = [&] {
    do {
      for (std::ptrdiff_t n = 1; n > 0 && written < (64u << 20);) {
        n = test::writeText(*out, block);
        ASSERT_GE(n, 0);
        written += static_cast<std::size_t>(n);
      }
    } while (out->waitForSpace(100ms) && written < (64u << 20));
    ASSERT_FALSE(out->hasSpaceAvailable());
  };
  ASSERT_NO_FATAL_FAILURE(fill());

  // A worker waits for room while the device drains what was written.
  std::atomic<int> result{-1};
  std::thread worker([&] { result = out->waitForSpace(std::chrono::milliseconds(60000)) ? 1 : 0; });
  const std::string drained = test::readFor(s.pty.master(), written);
  worker.join();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(drained.size(), written);
  EXPECT_TRUE(out->hasSpaceAvailable());

  // Full again: closing on the main thread ends the worker's wait at once.
  ASSERT_NO_FATAL_FAILURE(fill());
  result = -1;
  std::atomic<bool> waiting{false};
  std::thread blocked([&] {
    waiting = true;
    result = out->waitForSpace(std::chrono::milliseconds(600000)) ? 1 : 0;
  });
  ASSERT_TRUE(test::waitUntil([&] { return waiting.load(); }));
  out->close();
  blocked.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(test::writeText(*out, "x"), -1);
}

TEST(SessionTest, WorkerWritesWhileMainThreadReadsAndCloses) {
  test::Watchdog dog;
  PtySession s;
  ASSERT_NO_FATAL_FAILURE(s.open());
  auto out = s.session->outputStream();
  std::atomic<bool> stop{false};
  std::atomic<std::size_t> sent{0};
  std::thread worker([&] {
    while (!stop) {
      if (!out->waitForSpace(50ms)) continue;
      const auto n = test::writeText(*out, "0123456789");
      if (n < 0) return;  // closed under it: the stream refuses and never touches a stale fd
      sent += static_cast<std::size_t>(n);
    }
  });
  ASSERT_TRUE(test::waitUntil([&] { return sent.load() > 1000; }));
  test::readFor(s.pty.master(), 1000);
  out->close();
  stop = true;
  worker.join();
  EXPECT_EQ(out->streamStatus(), StreamStatus::Closed);
}

}  // namespace
}  // namespace zt
