// The accessory manager against real devices: a symlinked pseudo-terminal coming and going,
// TCP endpoints that refuse, do not answer, accept and drop, the demo module's echo, and the
// picker without a presenter.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <optional>
#include <thread>

#include "accessory_test_support.h"
#include "platform/external_accessory/session.h"
#include "platform/ui/application.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using namespace std::chrono_literals;
using test::Collector;
using test::NotificationLog;
using test::TempDir;

AccessoryOptions quietOptions(const TempDir& sysfs) {
  AccessoryOptions options;
  options.demo = false;
  options.sysfsRoot = sysfs.path().string();
  options.rescanInterval = 50ms;
  return options;
}

TEST(AccessoryManagerTest, SymlinkedPtyAppearingAndDisappearingIsConnectAndDisconnect) {
  test::Watchdog dog;
  TempDir dir;
  const auto link = dir.path() / "bt-module";
  auto options = quietOptions(dir);
  options.devices.push_back({link.string(), 9600});
  options.rescanInterval = std::chrono::hours(1);  // only the folder watch can notice in time
  RunLoop loop;
  EAAccessoryManager manager(options, loop);
  NotificationLog log;
  EXPECT_TRUE(manager.connectedAccessories().empty());

  test::PtyPair pty;
  std::filesystem::create_symlink(pty.slavePath(), link);
  loop.runFor(200ms);
  EXPECT_TRUE(log.entries.empty()) << "no notification before registering";
  ASSERT_EQ(manager.connectedAccessories().size(), 1u);
  const auto first = manager.connectedAccessories()[0];
  EXPECT_EQ(first->name(), "bt-module");
  EXPECT_EQ(first->serialNumber(), link.string());
  EXPECT_EQ(first->protocolStrings(), std::vector<std::string>{kDefaultProtocolString});

  manager.registerForLocalNotifications();
  std::filesystem::remove(link);
  ASSERT_TRUE(test::runUntil(loop, [&] { return log.entries.size() == 1; }));
  EXPECT_FALSE(log.entries[0].connected);
  EXPECT_EQ(log.entries[0].accessory, first);
  EXPECT_FALSE(first->isConnected());

  std::filesystem::create_symlink(pty.slavePath(), link);
  ASSERT_TRUE(test::runUntil(loop, [&] { return log.entries.size() == 2; }));
  EXPECT_TRUE(log.entries[1].connected);
  EXPECT_GT(log.entries[1].accessory->connectionID(), first->connectionID());
  loop.runFor(200ms);
  EXPECT_EQ(log.entries.size(), 2u) << "one notification per change";

  // Pointing the path at another device is that device leaving and another arriving.
  test::PtyPair other;
  std::filesystem::remove(link);
  std::filesystem::create_symlink(other.slavePath(), link);
  manager.rescan();
  ASSERT_EQ(log.entries.size(), 4u);
  EXPECT_FALSE(log.entries[2].connected);
  EXPECT_TRUE(log.entries[3].connected);

  // The device at the end of the link goes while the link stays: noticed in the device's folder.
  other.closeMaster();
  ASSERT_TRUE(test::runUntil(loop, [&] { return log.entries.size() == 5; }));
  EXPECT_FALSE(log.entries[4].connected);
  manager.unregisterForLocalNotifications();
}

// A manager listing one TCP endpoint, its notifications logged, and a session on the endpoint
// with both streams open.
struct TcpSession {
  TcpSession(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout) {
    auto options = quietOptions(dir);
    options.tcpEndpoints.push_back({host, port});
    options.tcpConnectTimeout = timeout;
    manager.emplace(options, loop);
    manager->registerForLocalNotifications();
    accessory = manager->connectedAccessories().at(0);
    session = EASession::create(accessory, kDefaultProtocolString);
    if (session) test::openStreams(*session, loop, collector);
  }
  ~TcpSession() { manager->unregisterForLocalNotifications(); }
  TcpSession(const TcpSession&) = delete;
  TcpSession& operator=(const TcpSession&) = delete;

  // The accessory's disconnect, then its endpoint listed again as a new connection.
  void expectGoneAndListedAgain() const {
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_FALSE(log.entries[0].connected);
    EXPECT_EQ(log.entries[0].accessory, accessory);
    EXPECT_TRUE(log.entries[1].connected);
    EXPECT_EQ(log.entries[1].accessory->name(), accessory->name());
    EXPECT_GT(log.entries[1].accessory->connectionID(), accessory->connectionID());
    EXPECT_EQ(manager->connectedAccessories(),
              std::vector<std::shared_ptr<EAAccessory>>{log.entries[1].accessory});
  }

  TempDir dir;
  RunLoop loop;
  std::optional<EAAccessoryManager> manager;
  NotificationLog log;
  std::shared_ptr<EAAccessory> accessory;
  std::shared_ptr<EASession> session;
  std::shared_ptr<Collector> collector = std::make_shared<Collector>();
};

TEST(AccessoryManagerTest, TcpEndpointCarriesBytesAndADropRelistsIt) {
  test::Watchdog dog;
  test::Listener listener;
  // A name, looked up off the loop's thread; it may resolve to ::1 first, which refuses.
  TcpSession s("localhost", listener.port(), 3s);
  ASSERT_TRUE(s.session);
  auto& loop = s.loop;
  const auto& session = s.session;
  // The connection is made on the loop: until then there is no space to write, and a worker
  // waiting for space waits for the connection.
  EXPECT_FALSE(session->outputStream()->hasSpaceAvailable());
  EXPECT_EQ(test::writeText(*session->outputStream(), "early"), 0);
  std::atomic<int> waited{-1};
  std::thread worker([&] { waited = session->outputStream()->waitForSpace(60s) ? 1 : 0; });
  ASSERT_TRUE(test::runUntil(loop, [&] { return waited != -1; }));
  worker.join();
  EXPECT_EQ(waited, 1);
  const int peer = listener.accept();
  ASSERT_GE(peer, 0);

  ASSERT_TRUE(test::writeAll(peer, "from bridge"));
  ASSERT_TRUE(test::runUntil(loop, [&] { return s.collector->data == "from bridge"; }));
  ASSERT_EQ(test::writeText(*session->outputStream(), "to bridge"), 9);
  EXPECT_EQ(test::readFor(peer, 9), "to bridge");

  ::close(peer);
  ASSERT_TRUE(test::runUntil(loop, [&] { return s.log.entries.size() >= 2; }));
  loop.runFor(200ms);
  ASSERT_NO_FATAL_FAILURE(s.expectGoneAndListedAgain());
  EXPECT_EQ(s.collector->count(StreamEvent::EndEncountered), 1);

  // The writing side of the dropped connection fails instead of raising SIGPIPE.
  std::ptrdiff_t result = 0;
  for (int i = 0; i < 100 && result >= 0; ++i) result = test::writeText(*session->outputStream(), "x");
  EXPECT_EQ(result, -1);
  EXPECT_TRUE(session->outputStream()->hasSpaceAvailable()) << "a failed stream fails at once";
  EXPECT_EQ(test::writeText(*session->outputStream(), "x"), -1);

  // The new connection works as the first did.
  const auto again = EASession::create(s.log.entries[1].accessory, kDefaultProtocolString);
  ASSERT_TRUE(again);
  test::openStreams(*again, loop, std::make_shared<Collector>());
  ASSERT_TRUE(test::runUntil(loop, [&] { return again->outputStream()->hasSpaceAvailable(); }));
  const int peer2 = listener.accept();
  ASSERT_GE(peer2, 0);
  ASSERT_EQ(test::writeText(*again->outputStream(), "again"), 5);
  EXPECT_EQ(test::readFor(peer2, 5), "again");
  ::close(peer2);
}

TEST(AccessoryManagerTest, DemoModuleEchoesEverythingWithoutLoss) {
  test::Watchdog dog;
  TempDir dir;
  auto options = quietOptions(dir);
  options.demo = true;
  RunLoop loop;
  EAAccessoryManager manager(options, loop);
  const auto list = manager.connectedAccessories();
  ASSERT_EQ(list.size(), 1u);
  const auto& demo = *list[0];
  EXPECT_EQ(demo.name(), "Zemra Demo Module");
  EXPECT_EQ(demo.serialNumber(), "ZD0001");
  EXPECT_EQ(demo.protocolStrings(), std::vector<std::string>{"com.Zemra.Demo"});

  const auto session = EASession::create(list[0], "com.Zemra.Demo");
  ASSERT_TRUE(session);
  auto collector = std::make_shared<Collector>();
  test::openStreams(*session, loop, collector);
  // 64 KiB of every byte value, written as fast as the stream takes it.
  std::string payload(std::size_t{64} * 1024, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
  std::size_t sent = 0;
  auto out = session->outputStream();
  ASSERT_TRUE(test::runUntil(loop, [&] {
    while (sent < payload.size() && out->hasSpaceAvailable()) {
      const auto n = out->write(reinterpret_cast<const std::uint8_t*>(payload.data()) + sent,
                                std::min<std::size_t>(200, payload.size() - sent));
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    return collector->data.size() >= payload.size();
  }));
  EXPECT_TRUE(collector->data == payload);

  // A second session on the demo module is independent of the first.
  const auto second = EASession::create(list[0], "com.Zemra.Demo");
  ASSERT_TRUE(second);
  auto collector2 = std::make_shared<Collector>();
  test::openStreams(*second, loop, collector2);
  session->inputStream()->close();
  session->outputStream()->close();
  ASSERT_EQ(test::writeText(*second->outputStream(), "two"), 3);
  ASSERT_TRUE(test::runUntil(loop, [&] { return collector2->data == "two"; }));
}

TEST(AccessoryManagerTest, ListsInAStableOrderEvenWhatGivesNoSession) {
  test::Watchdog dog;
  TempDir dir;
  const auto fileDevice = dir.path() / "ttyFAKE";
  std::ofstream(fileDevice) << "";
  std::uint16_t refusing = 0;
  {
    test::Listener gone;
    refusing = gone.port();
  }
  auto options = quietOptions(dir);
  options.demo = true;
  options.devices.push_back({fileDevice.string(), 115200});
  options.tcpEndpoints.push_back({"127.0.0.1", refusing});
  RunLoop loop;
  EAAccessoryManager manager(options, loop);
  const auto list = manager.connectedAccessories();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]->name(), "ttyFAKE");
  EXPECT_EQ(list[1]->name(), "127.0.0.1:" + std::to_string(refusing));
  EXPECT_EQ(list[2]->name(), "Zemra Demo Module");
  EXPECT_LT(list[0]->connectionID(), list[1]->connectionID());
  EXPECT_LT(list[1]->connectionID(), list[2]->connectionID());
  // A plain file is no tty: no session, yet it stays listed.
  EXPECT_FALSE(EASession::create(list[0], kDefaultProtocolString));
  loop.runFor(150ms);
  EXPECT_EQ(manager.connectedAccessories(), list);
}

// A connection refused or not answered in time is the endpoint going away: the streams fail,
// and the endpoint is listed again as a new connection, as after a drop.
TEST(AccessoryManagerTest, TcpEndpointThatRefusesOrDoesNotAnswerIsGoneAndListedAgain) {
  test::Watchdog dog;
  struct Case {
    const char* what;
    bool refuses;  // else a listener whose backlog is full never answers
  };
  for (const Case& c : {Case{"refused", true}, Case{"timed out", false}}) {
    SCOPED_TRACE(c.what);
    std::optional<test::Listener> listener(std::in_place);
    const std::uint16_t port = listener->port();
    if (c.refuses) {
      listener.reset();  // nothing listens on the port any more
    } else {
      listener->fillBacklog();
    }
    TcpSession s("127.0.0.1", port, 200ms);
    ASSERT_TRUE(s.session) << "the session exists while it connects";
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

TEST(AccessoryManagerTest, BluetoothPickerWithoutAPresenterIsNotSupported) {
  TempDir dir;
  RunLoop loop;
  EAAccessoryManager manager(quietOptions(dir), loop);
  Application::shared().resetForTesting();
  std::error_code result;
  manager.showBluetoothAccessoryPickerWithNameFilter(std::nullopt,
                                                     [&](std::error_code e) { result = e; });
  EXPECT_EQ(result, std::errc::not_supported);
  EXPECT_TRUE(Application::shared().popups().empty()) << "this layer shows nothing";
  manager.showBluetoothAccessoryPickerWithNameFilter("Zemra", nullptr);  // no completion: fine
}

}  // namespace
}  // namespace zt
