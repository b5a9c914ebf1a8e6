// The accessory layer against real devices: sessions on pseudo-terminals (bytes both ways, the
// device going, an output stream that runs out of room, why there is no session), a symlinked
// pty coming and going, TCP endpoints that refuse, do not answer, accept and drop, and the demo
// module's echo.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "accessory_test_support.h"
#include "platform/external_accessory/serial_port.h"
#include "platform/ui/application.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using namespace std::chrono_literals;
using test::Rig;
using test::TempDir;

// A rig listing the pseudo-terminal whose master it holds.
struct PtyRig : test::PtyPair, Rig {
  PtyRig() : Rig([this](AccessoryOptions& o) { o.devices.push_back({slavePath(), 115200}); }) {}
};

// Reads at most three bytes per event, or nothing at all while `idle`.
struct Sipper : StreamDelegate {
  void handleEvent(Stream& stream, StreamEvent code) override {
    if (code != StreamEvent::HasBytesAvailable) return;
    ++events;
    std::uint8_t chunk[3];
    const auto n = idle ? 0 : dynamic_cast<InputStream&>(stream).read(chunk, sizeof chunk);
    if (n > 0) data.append(reinterpret_cast<const char*>(chunk), static_cast<std::size_t>(n));
  }
  std::string data;
  int events = 0;
  bool idle = true;
};

TEST(SessionTest, PtyCarriesRawBytesBothWaysAndItsClosingIsOneDisconnect) {
  test::Watchdog dog;
  PtyRig s;
  ASSERT_TRUE(s.open());
  EXPECT_EQ(s.accessory->name(), std::filesystem::path(s.slavePath()).filename().string());
  EXPECT_EQ(s.accessory->serialNumber(), s.slavePath());

  // Raw mode: CR, LF, NUL and bytes above 0x7F pass untouched in both directions. Bytes left
  // unread are announced again only after progress: no spinning on a delegate that reads nothing.
  ASSERT_TRUE(test::runUntil(s.loop, [&] {
    return s.collector->count(StreamEvent::OpenCompleted) == 2;
  }));
  auto sipper = std::make_shared<Sipper>();
  s.session->inputStream()->setDelegate(sipper);
  const std::string fromDevice("hello\r\nworld\0\xff\x80", 15);
  ASSERT_TRUE(test::writeAll(s.master(), fromDevice));
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return sipper->events > 0; }));
  s.loop.runFor(100ms);
  EXPECT_EQ(sipper->events, 1) << "a delegate that reads nothing is not called in a loop";
  sipper->idle = false;
  ASSERT_TRUE(test::writeAll(s.master(), "abc"));
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return sipper->data.size() == 18; }));
  EXPECT_EQ(sipper->data, fromDevice + "abc");
  const std::string toDevice("ping\r\n\x01\xfe", 8);
  ASSERT_EQ(test::writeText(*s.session->outputStream(), toDevice), 8);
  EXPECT_EQ(test::readFor(s.master(), toDevice.size()), toDevice);

  // The rescan sees the device gone before the stream reports it: still one disconnect.
  s.closeMaster();
  s.manager->rescan();
  ASSERT_EQ(s.log.entries.size(), 1u);
  s.loop.runFor(300ms);  // several rescans and polls later: still one report, no spinning
  ASSERT_EQ(s.log.entries.size(), 1u);
  EXPECT_FALSE(s.log.entries[0].connected);
  EXPECT_EQ(s.log.entries[0].accessory, s.accessory);
  EXPECT_FALSE(s.accessory->isConnected());
  EXPECT_TRUE(s.manager->connectedAccessories().empty());
  EXPECT_FALSE(s.session->inputStream()->hasBytesAvailable());
  EXPECT_FALSE(EASession::create(s.accessory, kDefaultProtocolString));
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

TEST(SessionTest, FullOutputHasNoSpaceUntilTheDeviceReadsAndCloseEndsAWait) {
  test::Watchdog dog;
  PtyRig s;
  ASSERT_TRUE(s.open());
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
  std::thread worker([&] { result = out->waitForSpace(60s) ? 1 : 0; });
  EXPECT_EQ(test::readFor(s.master(), written).size(), written);
  worker.join();
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(out->hasSpaceAvailable());

  // Full again: closing on the main thread ends the worker's wait at once.
  ASSERT_NO_FATAL_FAILURE(fill());
  result = -1;
  std::atomic<bool> waiting{false};
  std::thread blocked([&] {
    waiting = true;
    result = out->waitForSpace(600s) ? 1 : 0;
  });
  ASSERT_TRUE(test::waitUntil([&] { return waiting.load(); }));
  out->close();
  blocked.join();
  EXPECT_EQ(result, 0);
}

TEST(SessionTest, WorkerWritesWhileMainThreadReadsAndClosesForGood) {
  test::Watchdog dog;
  PtyRig s;
  ASSERT_TRUE(s.open());
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
  test::readFor(s.master(), 1000);
  out->close();
  stop = true;
  worker.join();

  // Closing is final and harmless twice; a closed stream neither reads nor writes.
  out->close();
  s.session->inputStream()->close();
  EXPECT_EQ(out->streamStatus(), StreamStatus::Closed);
  EXPECT_FALSE(out->hasSpaceAvailable());
  EXPECT_EQ(test::writeText(*out, "x"), -1);
  EXPECT_FALSE(s.session->inputStream()->hasBytesAvailable());
  std::uint8_t byte = 0;
  EXPECT_EQ(s.session->inputStream()->read(&byte, 1), -1);
}

TEST(AccessoryManagerTest, SymlinkedPtyAppearingAndDisappearingIsConnectAndDisconnect) {
  test::Watchdog dog;
  Rig s([](AccessoryOptions& o) {
    o.devices.push_back({o.sysfsRoot + "/bt-module", 9600});
    o.rescanInterval = 1h;  // only the folder watch can notice in time
  });
  const auto link = s.dir.path() / "bt-module";
  s.manager->unregisterForLocalNotifications();
  EXPECT_TRUE(s.manager->connectedAccessories().empty());

  test::PtyPair pty;
  std::filesystem::create_symlink(pty.slavePath(), link);
  s.loop.runFor(200ms);
  EXPECT_TRUE(s.log.entries.empty()) << "no notification unless registered";
  ASSERT_EQ(s.manager->connectedAccessories().size(), 1u);
  const auto first = s.manager->connectedAccessories()[0];
  EXPECT_EQ(first->name(), "bt-module");
  EXPECT_EQ(first->serialNumber(), link.string());
  EXPECT_EQ(first->protocolStrings(), std::vector<std::string>{kDefaultProtocolString});

  s.manager->registerForLocalNotifications();
  std::filesystem::remove(link);
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.log.entries.size() == 1; }));
  EXPECT_FALSE(s.log.entries[0].connected);
  EXPECT_EQ(s.log.entries[0].accessory, first);
  EXPECT_FALSE(first->isConnected());

  std::filesystem::create_symlink(pty.slavePath(), link);
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.log.entries.size() == 2; }));
  EXPECT_TRUE(s.log.entries[1].connected);
  EXPECT_GT(s.log.entries[1].accessory->connectionID(), first->connectionID());
  s.loop.runFor(200ms);
  EXPECT_EQ(s.log.entries.size(), 2u) << "one notification per change";

  // Pointing the path at another device is that device leaving and another arriving.
  test::PtyPair other;
  std::filesystem::remove(link);
  std::filesystem::create_symlink(other.slavePath(), link);
  s.manager->rescan();
  ASSERT_EQ(s.log.entries.size(), 4u);
  EXPECT_FALSE(s.log.entries[2].connected);
  EXPECT_TRUE(s.log.entries[3].connected);

  // The device at the end of the link goes while the link stays: noticed in the device's folder.
  other.closeMaster();
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.log.entries.size() == 5; }));
  EXPECT_FALSE(s.log.entries[4].connected);
}

TEST(AccessoryManagerTest, TcpEndpointCarriesBytesAndADropRelistsIt) {
  test::Watchdog dog;
  test::Listener listener;
  // A name, looked up off the loop's thread; it may resolve to ::1 first, which refuses.
  Rig s([&](AccessoryOptions& o) { o.tcpEndpoints.push_back({"localhost", listener.port()}); });
  ASSERT_TRUE(s.open());
  const auto out = s.session->outputStream();
  // The connection is made on the loop: until then there is no space to write, and a worker
  // waiting for space waits for the connection.
  EXPECT_FALSE(out->hasSpaceAvailable());
  EXPECT_EQ(test::writeText(*out, "early"), 0);
  std::atomic<int> waited{-1};
  std::thread worker([&] { waited = out->waitForSpace(60s) ? 1 : 0; });
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return waited != -1; }));
  worker.join();
  EXPECT_EQ(waited, 1);
  const int peer = listener.accept();
  ASSERT_GE(peer, 0);

  ASSERT_TRUE(test::writeAll(peer, "from bridge"));
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.collector->data == "from bridge"; }));
  ASSERT_EQ(test::writeText(*out, "to bridge"), 9);
  EXPECT_EQ(test::readFor(peer, 9), "to bridge");

  ::close(peer);
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.log.entries.size() >= 2; }));
  s.loop.runFor(200ms);
  ASSERT_NO_FATAL_FAILURE(s.expectGoneAndListedAgain());
  EXPECT_EQ(s.collector->count(StreamEvent::EndEncountered), 1);

  // The writing side of the dropped connection fails instead of raising SIGPIPE.
  std::ptrdiff_t result = 0;
  for (int i = 0; i < 100 && result >= 0; ++i) result = test::writeText(*out, "x");
  EXPECT_EQ(result, -1);
  EXPECT_TRUE(out->hasSpaceAvailable()) << "a failed stream fails at once";
  EXPECT_EQ(test::writeText(*out, "x"), -1);

  // The new connection works as the first did.
  ASSERT_TRUE(s.open());
  const auto again = s.session->outputStream();
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return again->hasSpaceAvailable(); }));
  const int peer2 = listener.accept();
  ASSERT_GE(peer2, 0);
  ASSERT_EQ(test::writeText(*again, "again"), 5);
  EXPECT_EQ(test::readFor(peer2, 5), "again");
  ::close(peer2);
}

// A connection refused or not answered in time is the endpoint going away: the streams fail,
// and the endpoint is listed again as a new connection, as after a drop.
TEST(AccessoryManagerTest, TcpEndpointThatRefusesOrDoesNotAnswerIsGoneAndListedAgain) {
  test::Watchdog dog;
  for (const bool refuses : {true, false}) {  // else a listener with a full backlog never answers
    SCOPED_TRACE(refuses ? "refused" : "timed out");
    test::Listener listener;
    if (!refuses) listener.fillBacklog();
    // Nothing listens any more on the port of a listener that is gone.
    const std::uint16_t port = refuses ? test::Listener().port() : listener.port();
    Rig s([&](AccessoryOptions& o) {
      o.tcpEndpoints.push_back({"127.0.0.1", port});
      o.tcpConnectTimeout = 200ms;
    });
    ASSERT_TRUE(s.open()) << "the session exists while it connects";
    ASSERT_TRUE(test::runUntil(s.loop, [&] {
      return s.log.entries.size() == 2 && s.collector->count(StreamEvent::ErrorOccurred) == 1;
    }));
    ASSERT_NO_FATAL_FAILURE(s.expectGoneAndListedAgain());
    const auto& out = s.session->outputStream();
    EXPECT_TRUE(out->hasSpaceAvailable()) << "a failed stream fails at once";
    EXPECT_EQ(test::writeText(*out, "x"), -1);
    EXPECT_FALSE(out->waitForSpace(60s));
  }
}

TEST(AccessoryManagerTest, DemoModuleEchoesEverythingWithoutLoss) {
  test::Watchdog dog;
  Rig s([](AccessoryOptions& o) { o.demo = true; });
  ASSERT_TRUE(s.open());
  EXPECT_EQ(s.accessory->name(), "Zemra Demo Module");
  EXPECT_EQ(s.accessory->serialNumber(), "ZD0001");
  EXPECT_EQ(s.accessory->protocolStrings(), std::vector<std::string>{"com.Zemra.Demo"});

  // 64 KiB of every byte value, written as fast as the stream takes it.
  std::string payload(std::size_t{64} * 1024, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) {
    payload[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
  }
  std::size_t sent = 0;
  auto out = s.session->outputStream();
  ASSERT_TRUE(test::runUntil(s.loop, [&] {
    while (sent < payload.size() && out->hasSpaceAvailable()) {
      const auto n = out->write(reinterpret_cast<const std::uint8_t*>(payload.data()) + sent,
                                std::min<std::size_t>(200, payload.size() - sent));
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    return s.collector->data.size() >= payload.size();
  }));
  EXPECT_TRUE(s.collector->data == payload);

  // A second session on the demo module is independent of the first.
  const auto first = s.session;
  ASSERT_TRUE(s.open());
  first->inputStream()->close();
  first->outputStream()->close();
  s.collector->data.clear();
  ASSERT_EQ(test::writeText(*s.session->outputStream(), "two"), 3);
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.collector->data == "two"; }));
}

TEST(AccessoryManagerTest, ListsInAStableOrderEvenWhatGivesNoSession) {
  test::Watchdog dog;
  const std::uint16_t refusing = test::Listener().port();  // nothing listens there any more
  std::string fileDevice;
  Rig s([&](AccessoryOptions& o) {
    fileDevice = o.sysfsRoot + "/ttyFAKE";
    std::ofstream(fileDevice) << "";
    o.demo = true;
    o.devices.push_back({fileDevice, 115200});
    o.tcpEndpoints.push_back({"127.0.0.1", refusing});
  });
  const auto list = s.manager->connectedAccessories();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]->name(), "ttyFAKE");
  EXPECT_EQ(list[1]->name(), "127.0.0.1:" + std::to_string(refusing));
  EXPECT_EQ(list[2]->name(), "Zemra Demo Module");
  EXPECT_LT(list[0]->connectionID(), list[1]->connectionID());
  EXPECT_LT(list[1]->connectionID(), list[2]->connectionID());
  // A plain file is no tty: no session, yet it stays listed.
  EXPECT_FALSE(s.open());
  s.loop.runFor(150ms);
  EXPECT_EQ(s.manager->connectedAccessories(), list);

  // Without a presenter this layer shows no picker, and says so.
  Application::shared().resetForTesting();
  std::error_code result;
  s.manager->showBluetoothAccessoryPickerWithNameFilter(std::nullopt,
                                                        [&](std::error_code e) { result = e; });
  EXPECT_EQ(result, std::errc::not_supported);
  EXPECT_TRUE(Application::shared().popups().empty());
  s.manager->showBluetoothAccessoryPickerWithNameFilter("Zemra", nullptr);  // no completion: fine
}

}  // namespace
}  // namespace zt
