// The transfer screen as a person uses it, over a socket pair whose far end plays the device (a
// SOCK_SEQPACKET pair keeps every write as one record, so write boundaries can be checked), the
// screen pushed on a navigation stack and driven through Touch: what it shows, typed text and
// answers in the log with their counters, Quorvel packets, the capture file, a device that
// cannot be opened; and the send worker and the receive path under way: auto-send and test
// files with their pauses and Stop, the menu's refusals, a device that goes away, leaving the
// screen, and a flood; and a new stream handed to the worker.
#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <utility>

#include "cipher/quorvel_packet.h"
#include "platform/external_accessory/serial_port.h"
#include "support/io.h"
#include "transfer/send_channel.h"
#include "transfer/transfer_screen_fixture.h"

namespace zt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct PeerTransport final : AccessoryTransport {
  explicit PeerTransport(int socketType = SOCK_SEQPACKET) : type(socketType) {}
  ~PeerTransport() override { closePeer(); }
  PlatformResult<TransportChannel> open() override {
    int pair[2] = {-1, -1};
    EXPECT_EQ(::socketpair(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair), 0);
    peer = pair[1];
    return TransportChannel{pair[0], true, nullptr, "peer"};
  }
  void closePeer() {
    if (peer >= 0) ::close(peer);
    peer = -1;
  }
  // The next record; "" at the end or when none comes within `limitMs`.
  std::string record(int limitMs = 20000) const {
    pollfd pfd{peer, POLLIN, 0};
    char bytes[65536];
    const ssize_t n = ::poll(&pfd, 1, limitMs) > 0 ? ::recv(peer, bytes, sizeof bytes, 0) : 0;
    return {bytes, static_cast<std::size_t>(std::max<ssize_t>(n, 0))};
  }
  // Whether the screen's end closed within `limitMs`, with no record left unread.
  bool closed(int limitMs = 20000) const {
    pollfd pfd{peer, POLLIN, 0};
    char byte = 0;
    return ::poll(&pfd, 1, limitMs) > 0 && ::recv(peer, &byte, 1, 0) == 0;
  }
  void send(std::string_view bytes) const { ASSERT_TRUE(test::writeAll(peer, bytes)); }

  int type;
  int peer = -1;
};

class TransferTest : public test::TransferScreenTest {
 protected:
  void reset() {
    TearDown();
    SetUp();
  }
  void open(const std::shared_ptr<AccessoryTransport>& transport = nullptr,
            SessionCapture* capture = nullptr) {
    AccessoryIdentity identity{"Zemra Test Module", "", "", "ZTX", "", "", {}};
    push(std::make_shared<EAAccessory>(AccessoryKey{AccessoryKind::GivenPath, "peer"}, identity, 1,
                                       transport ? transport : peer),
         capture);
  }
  // Sends `typed`; what the device got, once the log shows it sent (the worker tells the main
  // thread only after its write, so an answer could otherwise be logged first).
  std::string exchange(const std::string& typed) {
    send(typed);
    std::string got = peer->record();
    EXPECT_TRUE(runUntil([&] { return log().find("[Sent") != std::string::npos; }));
    return got;
  }

  // The send field's text, as the toolbar shows it (without the cursor).
  std::string field() {
    std::string shown = line("toolbar");
    shown = shown.substr(shown.find(": ", 10) + 2);
    shown = shown.substr(0, shown.rfind("] [", shown.rfind("] [") - 1));
    std::erase(shown, '|');
    return shown;
  }
  void clearField() {
    while (!field().empty() && Touch::deleteBackward()) {
    }
  }

  std::shared_ptr<PeerTransport> peer = std::make_shared<PeerTransport>();
};

std::string packet(const std::string& plain) {
  std::uint8_t out[kQuorvelMaxCiphertext + 2];
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(plain.data());
  return {reinterpret_cast<const char*>(out), QuorvelEncipher(std::span(bytes, plain.size()), out)};
}

std::string opened(const std::string& packet) {
  std::uint8_t out[kQuorvelMaxCiphertext];
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(packet.data());
  const auto n = QuorvelDecipher(std::span(bytes, packet.size()), out);
  return {reinterpret_cast<const char*>(out), n.value_or(0)};
}

TEST_F(TransferTest, SendsAndReceivesStampedLinesUntilClearedAndKeepsTheSessionUnderSettings) {
  settings().setDataFormat(kDataFormatUtf8);
  open();
  EXPECT_EQ(screenText(),
            "[< Back] ZTX [Action]\nrow 0.0 |  | [text view (read-only): ]\n"
            "row 1.0 | Received | 0\nrow 1.1 | Sent | 0\n"
            "toolbar: [text field: ] [Send] [EOL none]\n"
            "key commands: [F3 History] [F4 EOL] [Up (while editing)] [Down (while editing)]\n");
  screen->viewDidLoad();  // loaded again: still one session and one worker
  EXPECT_EQ(DataTransfersViewController::runningWorkers(), 1);
  // While typing, the table ends above the keyboard with its last row in view.
  ASSERT_TRUE(Touch::tapTextInput(*toolbarItem(0)->customView()));
  const auto table = std::dynamic_pointer_cast<TableView>(screen->view()->subviews().at(0));
  EXPECT_EQ(table->rectForRowAtIndexPath({1, 1}).maxY(), table->visibleRect().maxY());
  tapSendButton();  // an empty text goes nowhere
  EXPECT_EQ(exchange("hello"), "hello");
  // A character split across two events is shown whole; bytes are counted as they come.
  for (const auto& event : {std::pair{"hi\r\n\xC3", 5}, {"\xA9", 6}}) {
    peer->send(event.first);
    ASSERT_TRUE(runUntil([&] { return received() == event.second; }));
  }
  EXPECT_EQ(log(), R"(\r\n[Sent ##:##:##]hello\r\n[Received ##:##:##]hi\r\n\r\n[Received ##:##:##]é)");
  EXPECT_EQ(line("row 1.1"), "row 1.1 | Sent | 5");
  std::string block;  // 600 bytes, 300 UTF-16 units, 150 characters
  for (int i = 0; i < 150; ++i) block += "\xF0\x9F\x98\x80";
  for (int i = 1; i <= 3; ++i) {
    peer->send(block);
    ASSERT_TRUE(runUntil([&] { return received() == 6 + 600 * i; }));
    // The log is emptied before an entry only once it is longer than 500 UTF-16 units.
    EXPECT_EQ(log().starts_with(R"(\r\n[Sent)"), i < 3);
  }
  EXPECT_EQ(log(), R"(\r\n[Received ##:##:##])" + block);
  choose(3);
  EXPECT_TRUE(screenText().find(": ]\nrow 1.0 | Received | 0\nrow 1.1 | Sent | 0\n") !=
              std::string::npos);
  // Texts go out in the order typed, each in writes of at most the packet size.
  const std::string longText(450, 'p');
  send(longText);
  send("next");
  for (const std::string& write : {longText.substr(0, 200), longText.substr(200, 200),
                                   longText.substr(400), std::string("next")}) {
    EXPECT_EQ(peer->record(), write);
  }
  ASSERT_TRUE(runUntil([&] { return log().ends_with("]next"); }));
  EXPECT_EQ(log(), R"(\r\n[Sent ##:##:##])" + longText + R"(\r\n[Sent ##:##:##]next)");
  choose(3);

  choose(0);
  EXPECT_EQ(navigation->topViewController()->title(), "Settings");
  peer->send("while away");
  ASSERT_TRUE(runUntil([&] {  // the screen below takes what comes
    int unread = 0;
    return ::ioctl(peer->peer, SIOCOUTQ, &unread) == 0 && unread == 0;
  }));
  navigation->popViewControllerAnimated(true);
  ASSERT_TRUE(runUntil([&] { return received() == 10; }));
  send("back");
  EXPECT_EQ(peer->record(), "back");
  ASSERT_TRUE(Touch::tapBarButton(nullptr));
  EXPECT_TRUE(peer->closed()) << "leaving ends the session";
}

TEST_F(TransferTest, QuorvelPacketsAreCountedWholeAndShownAsTheirPlaintext) {
  test::TempDir dir;
  SessionCapture capture;
  ASSERT_FALSE(capture.open(dir.path() / "log"));
  settings().setOpenQuorvel(true);
  open(nullptr, &capture);
  EXPECT_EQ(opened(exchange("hello")), "hello");
  const std::string split = packet("split");
  for (const std::string& event : {packet("ab") + packet("cd"), split.substr(0, 5),
                                   split.substr(5), packet("\xC3\xA9")}) {
    const long long count = received() + static_cast<long long>(event.size());
    peer->send(event);
    ASSERT_TRUE(runUntil([&] { return received() == count; }));
  }
  // A stray byte holds the packet behind it until the line has been quiet for a moment.
  peer->send("X" + packet("late"));
  ASSERT_TRUE(runUntil([&] { return log().ends_with("]late"); }));
  EXPECT_EQ(log(), R"(\r\n[Sent ##:##:##]hello\r\n[Received ##:##:##]abcd)"
                   R"(\r\n[Received ##:##:##]split\r\n[Received ##:##:##]late)");
  EXPECT_NE(test::readFile(dir.path() / "log").find("](1 bytes not shown: 58)\n"),
            std::string::npos);
  EXPECT_EQ(line("row 1.1"), "row 1.1 | Sent | 10");
  const std::string refused =
      "The text cannot be sent as one Quorvel packet: use at most 392 ASCII characters.";
  settings().setAutoSendData("\xC3\xBC");
  choose(1);  // auto-send does not start
  EXPECT_EQ(alert(), refused);
  // A typed text is refused at once and stays in the field; a line ending counts toward the
  // packet.
  const std::string shorter = "The text cannot be sent as one Quorvel packet: use at most 390 "
                              "ASCII characters before the line ending CR LF.";
  for (const auto& [typed, told] : {std::pair{std::string("h\xC3\xA9llo"), refused},
                                    {std::string(391, 'x'), shorter}}) {
    send(typed);
    EXPECT_EQ(alert(), told);
    EXPECT_EQ(field(), typed);
    clearField();
    settings().setLineEnding(LineEnding::CrLf);
  }
  send(std::string(390, 'x'));
  const std::string written = peer->record();  // writes of at most 200 bytes
  EXPECT_EQ(opened(written + peer->record()), std::string(390, 'x') + "\r\n")
      << "nothing went out for the refused texts";
  reset();  // the screen, and what it still has to show, go before the capture
}

// Typed texts as a person sends them to a module that wants its commands ended: a backslash is
// plain until escapes are on, F4 cycles the ending for the rest of the run, escaped bytes go out
// as they are under ASCII, a malformed escape is refused and kept, Up and Down recall what went;
// the log, the capture and History show each text as it went.
TEST_F(TransferTest, TypedTextsTakeTheEndingAndEscapesAndUpAndDownRecallThem) {
  open();
  EXPECT_EQ(exchange("a\\x4"), "a\\x4");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Touch::pressKeyCommand(*screen, "F4"));
  ASSERT_TRUE(Touch::tapBarButton(nullptr));
  peer->closePeer();
  historyLimit = 1 << 20;
  test::TempDir dir;
  SessionCapture capture;
  ASSERT_FALSE(capture.open(dir.path() / "log"));
  open(nullptr, &capture);  // the ending chosen holds for the next screen
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send] [EOL CR LF]");
  settings().setEscapes(true);
  EXPECT_EQ(exchange("\\x01\\xFF\\t"), "\x01\xFF\t\r\n");
  choose(3);
  EXPECT_EQ(exchange("AT\\\\"), "AT\\\r\n");
  EXPECT_EQ(log(), R"(\r\n[Sent ##:##:##]AT\\r\n)");
  EXPECT_NE(test::readFile(dir.path() / "log").find("]AT\\\r\n\n"), std::string::npos);
  send("");
  EXPECT_EQ(peer->record(), "\r\n") << "Enter on an empty field sends the ending";
  for (const std::string escape : {"\\x4", "\\q", "\\x\xC3\xA9"}) {
    send("AT" + escape);
    EXPECT_EQ(alert(), "The text holds \"" + escape + "\", which is not an escape; use \\r, "
                       "\\n, \\t, \\\\ or \\x with two hex digits.");
    EXPECT_EQ(field(), "AT" + escape);
    clearField();
  }
  EXPECT_EQ(exchange("AT\\\\"), "AT\\\r\n");  // sent twice, recalled once
  ASSERT_TRUE(Touch::tapTextInput(*toolbarItem(0)->customView()));
  Touch::typeText("draft");
  std::string recalled;
  for (const char* key : {"Up", "Up", "Up", "Up", "Down", "Down", "Down", "Down"}) {
    ASSERT_TRUE(Touch::pressKeyCommand(*screen, key));
    recalled += field() + " ";
  }
  EXPECT_EQ(recalled, "AT\\\\ \\x01\\xFF\\t a\\x4 a\\x4 \\x01\\xFF\\t AT\\\\ draft draft ");
  tapSendButton();
  EXPECT_FALSE(Touch::pressKeyCommand(*screen, "Up")) << "rows move as before";
  EXPECT_EQ(peer->record(), "draft\r\n") << "nothing went out for the refused texts";
  // History shows each text as it went: control bytes in their visible forms, the ending as a
  // line break.
  ASSERT_TRUE(runUntil([&] { return log().ends_with(R"(]draft\r\n)"); }));
  ASSERT_TRUE(Touch::pressKeyCommand(*screen, "F3"));
  const std::string history = screenText();
  EXPECT_NE(history.find(R"(]^A)" "\uFFFD" R"(^I\n\n[Sent )"), std::string::npos) << history;
  EXPECT_NE(history.find(R"(]AT\\n\n[Sent )"), std::string::npos) << history;
  ASSERT_TRUE(Touch::tapBarButton(nullptr));
  reset();  // the screen, and what it still has to show, go before the capture
}

TEST_F(TransferTest, TheCaptureFileGetsEveryEntryAndAFailureIsToldOnce) {
  test::TempDir dir;
  SessionCapture capture;
  ASSERT_FALSE(capture.open(dir.path() / "log"));
  settings().setLargeData_LineCount(0);
  open(nullptr, &capture);
  EXPECT_EQ(exchange("ping"), "ping");
  peer->send("pong\xFF");
  ASSERT_TRUE(runUntil([&] { return received() == 5; }));
  choose(2);
  ASSERT_TRUE(runUntil([&] { return log().ends_with("operation"); }));
  const std::string file = test::readFile(dir.path() / "log");
  for (const char* entry : {"=== Zemra Test Module (ZTX) ", "]ping\n[Received ",
                            "](5 bytes not shown: 706f6e67ff)\n[", "]the app finish sending"}) {
    EXPECT_NE(file.find(entry), std::string::npos) << entry;
  }
  ASSERT_FALSE(capture.open("/dev/full"));
  reset();
  open(nullptr, &capture);
  EXPECT_EQ(alert(), "The log file could not be written: No space left on device.");
  EXPECT_EQ(exchange("more"), "more");
  EXPECT_EQ(alert(), "");
}

TEST_F(TransferTest, AnAccessoryThatCannotBeOpenedIsExplained) {
  test::TempDir dir;
  const std::string path = (dir.path() / "not-a-device").string();
  ASSERT_TRUE(std::ofstream(path));
  open(std::make_shared<SerialTransport>(path, 115200));
  EXPECT_EQ(alert(), "The accessory could not be opened: " + path +
                         ": Inappropriate ioctl for device.");
  send("dropped");
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send] [EOL none]");
}

const std::string kLine(60, 'L');
const std::string kFinished = R"(\r\nthe app finish sending test file data operation)";
const std::string kDisconnected =
    "The bluetooth device is disconnected with the phone, please check it.";

std::string Runs(const std::string& what) {
  return "The app is performing " + what + " operation. Please first stop it.";
}

TEST_F(TransferTest, AutoSendRepeatsAtItsIntervalUntilStopEndsTheWait) {
  open();
  const auto start = Clock::now();
  choose(1);
  EXPECT_EQ(line("toolbar"),
            "toolbar: [text field (disabled): Auto sending data...] [Stop] [EOL none]");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(peer->record(), settings().autoSendData());
  EXPECT_GE(Clock::now() - start, 2s);  // an interval of 1 second, twice
  const std::string sent = R"(\r\n[Sent ##:##:##])" + settings().autoSendData();
  ASSERT_TRUE(runUntil([&] { return log().find(sent + sent + sent) != std::string::npos; }));
  for (const auto& [entry, shown] : {std::pair{1, ""}, {2, "auto-send"}, {0, "auto-send"}}) {
    choose(entry);
    EXPECT_EQ(alert(), *shown ? Runs(shown) : "");
  }
  settings().setAutoSendInterval(600);
  tapSendButton();  // Stop
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send] [EOL none]");
  send("now");
  std::string got;
  while (got != "now" && !(got = peer->record()).empty()) {
  }
  EXPECT_EQ(got, "now") << "Stop ends the interval";
}

TEST_F(TransferTest, TestFilesGoOutInPacketsWithPausesAndEndWithTheFinishLine) {
  struct Case {
    std::int32_t count, packetSize, pauseMs;
    std::size_t writes, writeSize;
  };
  for (const Case& c : {Case{100, 200, 50, 30, 200}, Case{0, 200, 50, 0, 0},
                        Case{-3, 200, 50, 0, 0}, Case{2, 0, 0, 120, 1}}) {
    reset();
    settings().setLargeData_LineCharacter(kLine);
    settings().setLargeData_LineCount(c.count);
    settings().setEachPacketSize(c.packetSize);
    settings().setSleepTime(c.pauseMs);
    open();
    const auto start = Clock::now();
    choose(2);
    for (std::size_t i = 0; i < c.writes; ++i) {
      ASSERT_EQ(peer->record().size(), c.writeSize);
      if (i > 0 || c.pauseMs == 0) continue;
      EXPECT_EQ(line("toolbar"),
                "toolbar: [text field (disabled): Sending test file data...] [Stop] [EOL none]");
      for (const auto& [entry, refused] : {std::pair{2, false}, {1, true}}) {
        choose(entry);
        EXPECT_EQ(alert(), refused ? Runs("sending test file data") : "");
      }
      tapSendButton();  // Stop: the burst goes on to its end
    }
    const auto pauses = static_cast<long long>(std::max<std::size_t>(c.writes, 1) - 1);
    EXPECT_GE(Clock::now() - start, pauses * std::chrono::milliseconds(c.pauseMs));
    ASSERT_TRUE(runUntil([&] { return log().ends_with(kFinished); }));
    EXPECT_EQ(log(), kFinished) << "writes after Stop are counted, not logged";
    EXPECT_EQ(sentCount(), std::to_string(c.writes * c.writeSize));
    EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send] [EOL none]");
    EXPECT_EQ(peer->record(100), "");
  }
}

TEST_F(TransferTest, AStoppedTestFileEndsWithoutEndingTheOneStartedAfterIt) {
  settings().setLargeData_LineCharacter(kLine);
  settings().setLargeData_LineCount(4);
  settings().setEachPacketSize(60);
  settings().setSleepTime(500);
  open();
  choose(2);
  ASSERT_EQ(peer->record(), kLine);
  tapSendButton();
  choose(2);  // while the first block still runs
  for (int i = 1; i < 8; ++i) ASSERT_EQ(peer->record(), kLine);
  ASSERT_TRUE(runUntil([&] { return log() == kFinished + kFinished; }));
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send] [EOL none]");
}

// A test file ended before its last byte says how far it got: Stop while the device takes
// nothing, or the device going away during a pause, reported before its last bytes were read.
TEST_F(TransferTest, ATestFileCutShortSaysHowFarItGotAndAGoneDeviceLeavesAnIdleWorker) {
  settings().setLargeData_LineCharacter(kLine);
  settings().setLargeData_LineCount(INT32_MAX);
  settings().setSleepTime(0);
  open();
  const auto stopped = [](const std::string& count) {
    return R"(\r\nthe app stopped sending test file data after )" + count + " of " +
           std::to_string(60LL * INT32_MAX) + " bytes";
  };
  choose(2);
  ASSERT_TRUE(runUntil([&] { return sentCount() != "0"; }));
  tapSendButton();  // Stop: the device reads nothing, so no burst runs on to the end
  ASSERT_TRUE(runUntil([&] { return log().ends_with("bytes"); }));
  EXPECT_EQ(log(true), stopped(sentCount()));
  while (!peer->record(100).empty()) {
  }
  choose(3);
  settings().setSleepTime(600'000);  // a pause that the device going away ends
  choose(2);
  ASSERT_EQ(peer->record().size(), 200u);
  peer->send("bye");
  screen->AccessoryDisconnect();  // told by the main screen before the bytes were read
  ASSERT_TRUE(runUntil([&] { return log().ends_with("bytes"); }));
  EXPECT_EQ(alert(), kDisconnected);
  screen->AccessoryDisconnect();  // the same end reported again
  EXPECT_EQ(alert(), "") << "told once";
  EXPECT_EQ(received(), 3) << "what came before the end is counted";
  EXPECT_TRUE(logHas("]bye"));
  EXPECT_TRUE(log(true).ends_with(stopped("200"))) << log(true);
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [(Send)] [EOL none]");
  choose(1);
  EXPECT_EQ(alert(), kDisconnected);
  const clockid_t clock = screen->sendThreadCpuClock().value();
  const auto cpu = [&] {
    timespec now{};
    return ::clock_gettime(clock, &now) == 0 ? now.tv_sec * 1'000'000'000LL + now.tv_nsec : 0;
  };
  const long long before = cpu();
  RunLoop::main().runFor(1500ms);
  EXPECT_LT(cpu() - before, 100'000'000LL) << "the worker spins";
}

// The system's reason for a session's end goes in the log before the alert: a device that takes
// no more bytes (the write fails), or that goes with bytes it did not read (the read fails).
TEST_F(TransferTest, AFailedWriteOrReadEndsTheSessionWithItsReasonLogged) {
  for (const bool writing : {true, false}) {
    open();
    if (writing) {
      ASSERT_EQ(::shutdown(peer->peer, SHUT_RD), 0);
    }
    send("unread");
    if (!writing) {
      ASSERT_TRUE(runUntil([&] { return logHas("[Sent"); }));
      peer->closePeer();
    }
    ASSERT_TRUE(runUntil([&] { return logHas("[Link lost"); }));
    EXPECT_TRUE(log().ends_with(writing ? "]peer: Broken pipe" : "]peer: Connection reset by peer"))
        << log();
    EXPECT_EQ(alert(), kDisconnected);
    reset();
  }
}

TEST_F(TransferTest, LeavingStopsTheWorkerAtOnceAndDropsQueuedTexts) {
  settings().setLargeData_LineCharacter(kLine);
  settings().setLargeData_LineCount(INT32_MAX);  // 128 GB, made a write at a time
  settings().setSleepTime(600'000);  // a pause that only the stop request ends
  open();
  choose(2);
  ASSERT_EQ(peer->record().size(), 200u);
  tapSendButton();  // Stop
  send("queued");
  ASSERT_TRUE(Touch::tapBarButton(nullptr));  // Back
  screen.reset();
  EXPECT_TRUE(DataTransfersViewController::waitForWorkers(20s));
  EXPECT_TRUE(peer->closed()) << "both streams closed, nothing more written";
}

TEST_F(TransferTest, AnEndlessFloodLeavesTheLoopFreeAndLosesNoByte) {
  peer = std::make_shared<PeerTransport>(SOCK_STREAM);
  open();
  std::atomic<bool> flooding{true};
  std::atomic<long long> written{0};
  std::thread flood([&] {
    const std::string chunk(16384, 'f');
    for (pollfd pfd{peer->peer, POLLOUT, 0}; flooding; ::poll(&pfd, 1, 20)) {
      written += std::max<ssize_t>(::write(peer->peer, chunk.data(), chunk.size()), 0);
    }
  });
  // The loop comes back to the test between batches however fast the bytes come.
  ASSERT_TRUE(runUntil([&] { return received() > 4 << 20; }));
  flooding = false;
  flood.join();
  ASSERT_TRUE(runUntil([&] { return received() == written; }));
  EXPECT_LE(log().size(), 2 * (500 + 64 * 1024));
}

// What a link that comes back needs of the state the screen shares with its worker: the worker
// takes up a new stream, the one it leaves goes on the main thread, dropped texts never go out
// and are counted with the one being written when none of it went out.
TEST(SendChannelTest, AWorkerTakesUpANewStreamAndNeverSendsDroppedTexts) {
  SendChannel channel;
  std::shared_ptr<OutputStream> out;  // the worker's
  const auto follow = [&] { std::thread([&] { channel.followOutput(out); }).join(); };
  auto first = std::make_shared<OutputStream>(-1, false, "first");
  channel.setOutput(first);
  follow();
  EXPECT_EQ(out, first);
  const std::weak_ptr<OutputStream> left = std::exchange(first, nullptr);
  const auto second = std::make_shared<OutputStream>(-1, false, "second");
  channel.setOutput(second);
  follow();
  EXPECT_EQ(out, second);
  EXPECT_FALSE(left.expired()) << "released by the worker";
  RunLoop::main().runUntilIdle();
  EXPECT_TRUE(left.expired());
  for (const char* text : {"a", "b", "c"}) channel.append(ReadTypedText(text, false, {}).text);
  EXPECT_EQ(channel.takeQueued()->bytes(), "a");
  EXPECT_EQ(channel.dropQueued(), std::nullopt) << "told when the write of a has ended";
  EXPECT_EQ(channel.textDone(false), 3u) << "none of a went out";
  EXPECT_FALSE(channel.takeQueued());
}

}  // namespace
}  // namespace zt
