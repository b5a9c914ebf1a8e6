// The transfer screen as a person uses it: what it shows, typed text and answers in the log with
// their counters, Quorvel packets, the capture file, and a device that cannot be opened.
#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>

#include "cipher/quorvel_packet.h"
#include "platform/external_accessory/serial_port.h"
#include "transfer_test_support.h"

namespace zt {
namespace {

using test::TransferTest;

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

TEST_F(TransferTest, ShowsTheLogAndCountersAndMakesRoomForTheKeyboard) {
  open();
  EXPECT_EQ(screenText(),
            "[< Back] ZTX [Action]\nrow 0.0 |  | [text view (read-only): ]\n"
            "row 1.0 | Received | 0\nrow 1.1 | Sent | 0\ntoolbar: [text field: ] [Send]\n");
  screen->viewDidLoad();  // loaded again: still one session and one worker
  EXPECT_EQ(DataTransfersViewController::runningWorkers(), 1);
  const auto table = std::dynamic_pointer_cast<TableView>(screen->view()->subviews().at(0));
  const auto bar = screen->view()->subviews().at(1);
  ASSERT_TRUE(Touch::tapTextInput(*toolbarItem(0)->customView()));
  EXPECT_EQ(bar->frame(), (Rect{0, 216 - 15 - 44, 320, 44}));
  EXPECT_EQ(table->frame(), (Rect{0, 0, 320, 460 + 15 - (216 + 60) - 44}));
  EXPECT_EQ(table->rectForRowAtIndexPath({1, 1}).maxY(), table->visibleRect().maxY());
  tapSendButton();  // ends the typing
  EXPECT_EQ(bar->frame(), (Rect{0, 460 - 44 - 44, 320, 44}));
  EXPECT_EQ(table->frame(), (Rect{0, 0, 320, 450}));
}

TEST_F(TransferTest, SendsAndReceivesStampedLinesUntilClearedAndKeepsTheSessionUnderSettings) {
  settings().setDataFormat(kDataFormatUtf8);
  open();
  send("");  // an empty text goes nowhere
  EXPECT_EQ(exchange("hello"), "hello");
  // A character split across two events is shown whole; bytes are counted as they come.
  for (const auto& event : {std::pair{"hi\r\n\xC3", 5}, {"\xA9", 6}}) {
    peer->send(event.first);
    ASSERT_TRUE(runUntil([&] { return received() == event.second; }));
  }
  EXPECT_EQ(log(), R"(\r\n[Sent ##:##:##]hello\r\n[Received ##:##:##]hi\r\n\r\n[Received ##:##:##]é)");
  EXPECT_EQ(line("row 1.1"), "row 1.1 | Sent | 5");
  const std::string block(300, 'x');
  for (int i = 1; i <= 3; ++i) {
    peer->send(block);
    ASSERT_TRUE(runUntil([&] { return received() == 6 + 300 * i; }));
    // The log is emptied before an entry only once it is longer than 500 characters.
    EXPECT_EQ(log().starts_with(R"(\r\n[Sent)"), i < 3);
  }
  EXPECT_EQ(log(), R"(\r\n[Received ##:##:##])" + block);
  choose(3);
  EXPECT_EQ(line("row"), "row 0.0 |  | [text view (read-only): ]");
  EXPECT_EQ(line("row 1."), "row 1.0 | Received | 0");
  EXPECT_EQ(line("row 1.1"), "row 1.1 | Sent | 0");

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
  EXPECT_EQ(peer->record(), "") << "leaving ends the session";
}

TEST_F(TransferTest, QuorvelPacketsAreCountedWholeAndShownAsTheirPlaintext) {
  settings().setOpenQuorvel(true);
  open();
  EXPECT_EQ(opened(exchange("hello")), "hello");
  const std::string split = packet("split");
  for (const std::string& event : {packet("ab") + packet("cd"), split.substr(0, 5),
                                   split.substr(5), packet("\xC3\xA9")}) {
    const long long count = received() + static_cast<long long>(event.size());
    peer->send(event);
    ASSERT_TRUE(runUntil([&] { return received() == count; }));
  }
  EXPECT_EQ(log(), R"(\r\n[Sent ##:##:##]hello\r\n[Received ##:##:##]abcd)"
                   R"(\r\n[Received ##:##:##]split)");
  EXPECT_EQ(line("row 1.1"), "row 1.1 | Sent | 10");
  const std::string refused =
      "The text cannot be sent as one Quorvel packet: use at most 392 ASCII characters.";
  for (const std::string& typed : {std::string("h\xC3\xA9llo"), std::string(393, 'x')}) {
    send(typed);
    ASSERT_TRUE(runUntil([&] { return !Application::shared().popups().empty(); }));
    EXPECT_EQ(alert(), refused);
  }
  settings().setAutoSendData("\xC3\xBC");
  choose(1);  // auto-send does not start
  EXPECT_EQ(alert(), refused);
  send("after");
  EXPECT_EQ(opened(peer->record()), "after") << "nothing went out for the refused texts";
}

TEST_F(TransferTest, TheCaptureFileGetsEveryEntryAndAFailureIsToldOnce) {
  test::TempDir dir;
  SessionCapture capture;
  ASSERT_EQ(capture.open(dir.path() / "log"), std::nullopt);
  settings().setLargeData_LineCount(0);
  open(nullptr, &capture);
  EXPECT_EQ(exchange("ping"), "ping");
  peer->send("pong\xFF");
  ASSERT_TRUE(runUntil([&] { return received() == 5; }));
  choose(2);
  ASSERT_TRUE(runUntil([&] { return log().ends_with("operation"); }));
  std::string entries;
  std::istringstream file(test::readFile(dir.path() / "log"));
  for (std::string entry; std::getline(file, entry);) {
    entries += entry.erase(entry.find_first_of("0123456789"), 19) + "|";  // without its date
  }
  EXPECT_EQ(entries, "=== Zemra Test Module (ZTX) |[Sent ]ping|[Received ](5 bytes not shown: "
                     "706f6e67ff)|[]the app finish sending test file data operation|");
  ASSERT_EQ(capture.open("/dev/full"), std::nullopt);
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
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send]");
}

}  // namespace
}  // namespace zt
