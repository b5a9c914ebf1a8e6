// The accessory layer against real devices: sessions on pseudo-terminals (bytes both ways, the
// device going, a writer thread against a full device and a close, why there is no session), a
// symlinked pty coming and going, TCP endpoints that refuse, do not answer, accept and drop, and
// the demo module's echo.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "accessory_test_support.h"
#include "platform/external_accessory/serial_port.h"
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

TEST(SessionTest, PtyCarriesRawBytesBothWaysAndItsClosingIsOneDisconnect) {
  test::Watchdog dog;
  PtyRig s;
  ASSERT_TRUE(s.open());

  // Raw mode: CR, LF, NUL and bytes above 0x7F pass untouched in both directions.
  const std::string fromDevice("hello\r\nworld\0\xff\x80", 15);
  ASSERT_TRUE(test::writeAll(s.master(), fromDevice));
  ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.collector->data == fromDevice; }));
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
  EXPECT_TRUE(s.manager->connectedAccessories().empty());
}

TEST(SessionTest, NoSessionSaysWhyInThePlatformsWords) {
  TempDir dir;
  const std::string file = (dir.path() / "ttyFILE").string();
  std::ofstream(file) << "";
  const std::string missing = (dir.path() / "ttyGONE").string();
  const auto serial = [](const std::string& path) {
    return std::make_shared<EAAccessory>(AccessoryKey{AccessoryKind::GivenPath, path},
                                         AccessoryIdentity{}, 1,
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
      {gone, kDefaultProtocolString, "The accessory is no longer connected."},
      {serial(file), "com.example.other",
       "The accessory does not support the protocol com.example.other."},
  };
  for (const Case& c : cases) {
    const auto made = EASession::create(c.accessory, c.protocol);
    EXPECT_FALSE(made);
    EXPECT_EQ(made.error().message(), c.reason);
  }
}

// A worker writes as fast as the device takes it, on a stream the main thread owns and closes.
TEST(SessionTest, WorkerWaitsForRoomAsTheDeviceReadsAndCloseEndsItsWait) {
  test::Watchdog dog;
  PtyRig s;
  ASSERT_TRUE(s.open());
  auto out = s.session->outputStream();
  const std::string block(4096, 'z');
  std::atomic<bool> waiting{false};
  std::thread worker([&] {
    while (true) {
      waiting = true;
      if (!out->waitForSpace(600s)) return;
      waiting = false;
      // Closed under it: the stream refuses, and never touches a stale descriptor.
      if (test::writeText(*out, block) < 0) return;
    }
  });
  // The device reads far more than its buffers hold: each time room comes, the worker wakes.
  constexpr std::size_t kDrained = std::size_t{4} << 20;
  EXPECT_EQ(test::readFor(s.master(), kDrained).size(), kDrained);

  // The device stops reading. Filling what room is left (the pty moves bytes between its buffers
  // a moment after a write) leaves the worker waiting; closing ends its wait at once.
  while (out->waitForSpace(100ms)) test::writeText(*out, block);
  EXPECT_TRUE(test::waitUntil([&] { return waiting.load(); }));
  out->close();
  worker.join();
  out->close();
  EXPECT_EQ(out->streamStatus(), StreamStatus::Closed);
  EXPECT_EQ(test::writeText(*out, "x"), -1);
}

TEST(AccessoryManagerTest, SymlinkedPtyAppearingAndDisappearingIsConnectAndDisconnect) {
  test::Watchdog dog;
  Rig s([](AccessoryOptions& o) {
    o.devices.push_back({o.sysfsRoot + "/bt-module", 9600});
    o.rescanInterval = 1h;  // only the folder watch can notice in time
  });
  const auto link = s.dir.path() / "bt-module";
  EXPECT_TRUE(s.manager->connectedAccessories().empty());

  test::PtyPair pty;
  for (std::size_t n = 0; n < 4; ++n) {  // appears, goes, comes back as a new connection, goes
    if (n % 2 == 0) {
      std::filesystem::create_symlink(pty.slavePath(), link);
    } else {
      std::filesystem::remove(link);
    }
    ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.log.entries.size() == n + 1; }));
    EXPECT_EQ(s.log.entries[n].connected, n % 2 == 0);
    EXPECT_EQ(s.manager->connectedAccessories().size(), n % 2 == 0 ? 1u : 0u);
  }
  const auto& log = s.log.entries;
  EXPECT_EQ(log[0].accessory->name(), "bt-module");
  EXPECT_EQ(log[0].accessory->serialNumber(), link.string());
  EXPECT_EQ(log[1].accessory, log[0].accessory);
  EXPECT_GT(log[2].accessory->connectionID(), log[0].accessory->connectionID());
  EXPECT_EQ(log[2].accessory->key(), (AccessoryKey{AccessoryKind::GivenPath, link.string()}));
  s.loop.runFor(200ms);
  EXPECT_EQ(log.size(), 4u) << "one notification per change";
}

// A connection refused, not answered in time or dropped is the endpoint going away: the streams
// fail, and the endpoint is listed again as a new connection.
TEST(AccessoryManagerTest, TcpEndpointThatRefusesDoesNotAnswerOrDropsIsGoneAndListedAgain) {
  test::Watchdog dog;
  for (const std::string how : {"refuses", "does not answer", "drops"}) {
    SCOPED_TRACE(how);
    const bool drops = how == "drops";
    test::Listener listener;
    if (how == "does not answer") listener.fillBacklog();  // a full backlog: never answered
    // Nothing listens any more on the port of a listener that is gone.
    const std::uint16_t port = how == "refuses" ? test::Listener().port() : listener.port();
    Rig s([&](AccessoryOptions& o) {
      // A name is looked up off the loop's thread; it may resolve to ::1 first, which refuses.
      o.tcpEndpoints.push_back({drops ? "localhost" : "127.0.0.1", port});
      if (!drops) o.tcpConnectTimeout = 200ms;
    });
    ASSERT_TRUE(s.open()) << "the session exists while it connects";
    // The connection is made on the loop: until then there is no space to write, and a worker
    // waiting for space waits for the outcome.
    const auto out = s.session->outputStream();
    EXPECT_EQ(test::writeText(*out, "early"), 0);
    std::atomic<int> waited{-1};
    std::thread worker([&] { waited = out->waitForSpace(60s) ? 1 : 0; });
    EXPECT_TRUE(test::runUntil(s.loop, [&] { return waited != -1; }));
    worker.join();
    EXPECT_EQ(waited, drops ? 1 : 0);
    if (drops) {
      const int peer = listener.accept();
      ASSERT_GE(peer, 0);
      ASSERT_TRUE(test::writeAll(peer, "from bridge"));
      ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.collector->data == "from bridge"; }));
      ASSERT_EQ(test::writeText(*out, "to bridge"), 9);
      EXPECT_EQ(test::readFor(peer, 9), "to bridge");
      ::close(peer);
    }
    ASSERT_TRUE(test::runUntil(s.loop, [&] { return s.log.entries.size() >= 2; }));
    s.loop.runFor(200ms);
    const auto& log = s.log.entries;
    ASSERT_EQ(log.size(), 2u);
    EXPECT_FALSE(log[0].connected);
    EXPECT_EQ(log[0].accessory, s.accessory);
    EXPECT_TRUE(log[1].connected);
    EXPECT_EQ(log[1].accessory->key(), s.accessory->key());
    EXPECT_GT(log[1].accessory->connectionID(), s.accessory->connectionID());
    EXPECT_EQ(s.manager->connectedAccessories(),
              std::vector<std::shared_ptr<EAAccessory>>{log[1].accessory});
    EXPECT_EQ(s.collector->count(drops ? StreamEvent::EndEncountered : StreamEvent::ErrorOccurred),
              1);

    // Writing fails, instead of raising SIGPIPE on a dropped connection, and both streams
    // tell why, naming the endpoint.
    std::ptrdiff_t result = 0;
    for (int i = 0; i < 100 && result >= 0; ++i) result = test::writeText(*out, "x");
    EXPECT_EQ(result, -1);
    const std::string endpoint = s.accessory->name() + ": ";
    const std::string why = out->streamError().message();
    EXPECT_EQ(why.rfind(endpoint, 0), 0u) << why;
    if (!drops) {
      EXPECT_EQ(why, endpoint + (how == "refuses" ? "Connection refused" : "Connection timed out"));
      EXPECT_EQ(s.session->inputStream()->streamError().message(), why);
    }
  }
}

// The list: sysfs ttys, then device paths, endpoints and the demo module, each listed even when
// it gives no session. The demo module echoes.
TEST(AccessoryManagerTest, ListsInAStableOrderAndTheDemoModuleEchoesEverythingWithoutLoss) {
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
  EXPECT_FALSE(s.open()) << "a plain file is no tty";

  // 64 KiB of every byte value, written as fast as the stream takes it.
  ASSERT_TRUE(s.open(2));
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
  EXPECT_EQ(s.manager->connectedAccessories(), list) << "all stay listed";
}

}  // namespace
}  // namespace zt
