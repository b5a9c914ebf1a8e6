// The transfer screen as a person uses it: what it shows, typed text and answers in the log with
// their counters, Quorvel packets, the capture file, the keys of the terminal, and a device that
// cannot be opened.
#include <gtest/gtest.h>

#include "cipher/quorvel_packet.h"
#include "frontend/terminal/front_end.h"
#include "platform/external_accessory/serial_port.h"
#include "transfer_test_support.h"

namespace zt {
namespace {

using test::TransferTest;

std::string packet(const std::string& plain) {
  std::uint8_t out[kQuorvelMaxCiphertext + 2];
  const auto n = QuorvelEncipher(std::span(reinterpret_cast<const std::uint8_t*>(plain.data()),
                                           plain.size()), out);
  return {reinterpret_cast<const char*>(out), n};
}

TEST_F(TransferTest, ShowsTheLogAndCountersAndMakesRoomForTheKeyboard) {
  open();
  EXPECT_EQ(text(),
            "[< Back] ZTX [Action]\nrow 0.0 |  | [text view (read-only): ]\n"
            "row 1.0 | Received | 0\nrow 1.1 | Sent | 0\ntoolbar: [text field: ] [Send]\n");
  std::vector<int> heights;
  for (const auto& item : buildDisplayList(Application::shared()).items) {
    if (const auto* row = std::get_if<DisplayRow>(&item)) heights.push_back(row->heightPoints);
  }
  EXPECT_EQ(heights, (std::vector<int>{250, 30, 30}));
  const auto& views = screen->view()->subviews();
  const auto table = std::dynamic_pointer_cast<TableView>(views.at(0));
  const auto bar = std::dynamic_pointer_cast<Toolbar>(views.at(1));
  ASSERT_TRUE(Touch::tapTextInput(*toolbar().entries.at(0).control->view));
  EXPECT_EQ(bar->frame(), (Rect{0, 216 - 15 - 44, 320, 44}));
  EXPECT_EQ(table->frame(), (Rect{0, 0, 320, 460 + 15 - (216 + 60) - 44}));
  EXPECT_EQ(table->rectForRowAtIndexPath({1, 1}).maxY(), table->visibleRect().maxY());
  ASSERT_TRUE(Touch::tapBarButton(toolbar().entries.at(1).item.get()));  // Send ends the typing
  EXPECT_EQ(bar->frame(), (Rect{0, 460 - 44 - 44, 320, 44}));
  EXPECT_EQ(table->frame(), (Rect{0, 0, 320, 450}));
}

TEST_F(TransferTest, TheTerminalsKeysSendOpenTheMenuAndLeave) {
  using Code = term::Key::Code;
  open();
  term::FrontEnd frontEnd;
  const auto press = [&](Code code) { frontEnd.key(term::Key::of(code), 24); };
  frontEnd.frame(80, 24);
  press(Code::Tab);  // to the send field, typing at once
  frontEnd.key(term::Key::character("h"), 24);
  frontEnd.key(term::Key::character("i"), 24);
  press(Code::Enter);
  EXPECT_EQ(peer->record(), "hi");
  press(Code::F2);
  EXPECT_NE(text().find("action sheet: [Settings] [Auto Send] [Send Test File Data] [Clear] "
                        "[Cancel]"), std::string::npos);
  press(Code::Escape);
  press(Code::Enter);  // the send field again
  press(Code::Escape);
  EXPECT_EQ(navigation->topViewController(), screen);
  press(Code::Escape);
  EXPECT_NE(navigation->topViewController(), screen);
}

TEST_F(TransferTest, SendsAndReceivesStampedLinesWithCountersUntilCleared) {
  open();
  send("");  // an empty text goes nowhere
  send("hello");
  EXPECT_EQ(peer->record(), "hello");
  peer->send("hi\r\n");
  ASSERT_TRUE(runUntil([&] { return received() == 4; }));
  EXPECT_EQ(log(), R"(\r\n[Sent hh:mm:ss]hello\r\n[Received hh:mm:ss]hi\r\n)");
  EXPECT_EQ(line("row 1.1"), "row 1.1 | Sent | 5");
  const std::string block(300, 'x');
  for (int i = 1; i <= 2; ++i) {
    peer->send(block);
    ASSERT_TRUE(runUntil([&] { return received() == 4 + 300 * i; }));
  }
  EXPECT_EQ(log().rfind(R"(\r\n[Sent hh:mm:ss]hello)", 0), 0u);  // not past 500 characters yet
  peer->send(block);
  ASSERT_TRUE(runUntil([&] { return received() == 904; }));
  ASSERT_TRUE(runUntil([&] { return log() == R"(\r\n[Received hh:mm:ss])" + block; }));
  choose(3);
  EXPECT_EQ(line("row 0.0"), "row 0.0 |  | [text view (read-only): ]");
  EXPECT_EQ(line("row 1.0"), "row 1.0 | Received | 0");
  EXPECT_EQ(line("row 1.1"), "row 1.1 | Sent | 0");
}

TEST_F(TransferTest, ReceivedBytesDecodeStrictlyAndAUtf8CharacterMayBeSplit) {
  struct Case {
    std::uint8_t format;
    std::vector<std::string> events;
    std::string log;
  };
  const Case cases[] = {
      {kDataFormatUtf8, {"\xC3", "\xA9!"}, R"(\r\n[Received hh:mm:ss]é!)"},
      {kDataFormatAscii, {"\xC3\xA9", "ok"}, R"(\r\n[Received hh:mm:ss]ok)"},
      {kDataFormatUtf8, {"\xFF", "ok"}, R"(\r\n[Received hh:mm:ss]ok)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    TearDown();
    SetUp();
    settings().setDataFormat(c.format);
    open();
    long long count = 0;
    for (const auto& event : c.events) {
      peer->send(event);
      count += static_cast<long long>(event.size());
      ASSERT_TRUE(runUntil([&] { return received() == count; }));  // counted on arrival
    }
    ASSERT_TRUE(runUntil([&] { return !log().empty(); }));
    EXPECT_EQ(log(), c.log);
  }
}

TEST_F(TransferTest, QuorvelPacketsAreCountedWholeAndShownAsTheirPlaintext) {
  settings().setOpenQuorvel(true);
  open();
  send("hello");
  const std::string sent = peer->record();
  std::uint8_t plain[kQuorvelMaxCiphertext];
  const auto opened =
      QuorvelDecipher(std::span(reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size()),
                      plain);
  ASSERT_TRUE(opened);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain), *opened), "hello");
  ASSERT_TRUE(runUntil([&] { return line("row 1.1") == "row 1.1 | Sent | 10"; }));
  const std::string split = packet("split");
  for (const std::string& event : {packet("ab") + packet("cd"), split.substr(0, 5),
                                   split.substr(5), packet("\xC3\xA9")}) {
    peer->send(event);
    ASSERT_TRUE(runUntil([&, count = received() + static_cast<long long>(event.size())] {
      return received() == count;
    }));
  }
  ASSERT_TRUE(runUntil([&] { return log().find("split") != std::string::npos; }));
  EXPECT_EQ(log(), R"(\r\n[Sent hh:mm:ss]hello\r\n[Received hh:mm:ss]abcd)"
                   R"(\r\n[Received hh:mm:ss]split)");
  const std::string refused =
      "The text cannot be sent as one Quorvel packet: use at most 392 ASCII characters.";
  for (const std::string& typed : {std::string("h\xC3\xA9llo"), std::string(393, 'x')}) {
    send(typed);
    ASSERT_TRUE(runUntil([&] { return !Application::shared().popups().empty(); }));
    EXPECT_EQ(alert(), refused);
  }
  settings().setAutoSendData("\xC3\xBC");
  choose(1);
  EXPECT_EQ(alert(), refused);
  EXPECT_EQ(toolbar().entries.at(1).title, "Send");
  send("after");
  EXPECT_EQ(peer->record().size(), 10u) << "nothing went out for the refused texts";
}

TEST_F(TransferTest, TheCaptureFileGetsEveryEntryAndAFailureIsToldOnce) {
  test::TempDir dir;
  SessionCapture capture;
  ASSERT_EQ(capture.open(dir.path() / "log"), std::nullopt);
  settings().setLargeData_LineCount(0);
  open(nullptr, &capture);
  send("ping");
  EXPECT_EQ(peer->record(), "ping");
  peer->send(std::string("pong\xFF", 5));
  ASSERT_TRUE(runUntil([&] { return received() == 5; }));
  choose(2);
  ASSERT_TRUE(runUntil([&] { return log().find("finish") != std::string::npos; }));
  std::string entries;
  std::istringstream file(test::readFile(dir.path() / "log"));
  for (std::string entry; std::getline(file, entry);) {
    entries += entry.erase(entry.find_first_of("0123456789"), 19) + "|";  // without the date
  }
  EXPECT_EQ(entries, "=== Zemra Test Module (ZTX) |[Sent ]ping|"
                             "[Received ](5 bytes not shown: 706f6e67ff)|"
                             "[]the app finish sending test file data operation|");
  ASSERT_EQ(capture.open("/dev/full"), std::nullopt);
  TearDown();
  SetUp();
  open(nullptr, &capture);
  EXPECT_EQ(alert(), "The log file could not be written: No space left on device.");
  send("more");
  EXPECT_EQ(peer->record(), "more");
  ASSERT_TRUE(runUntil([&] { return !log().empty(); }));
  EXPECT_EQ(alert(), "");
}

TEST_F(TransferTest, AnAccessoryThatCannotBeOpenedIsExplained) {
  test::TempDir dir;
  const std::string path = (dir.path() / "not-a-device").string();
  std::ofstream{path};
  open(std::make_shared<SerialTransport>(path, 115200));
  const std::string shown = alert();
  EXPECT_EQ(shown.rfind("The accessory could not be opened: " + path + ": ", 0), 0u) << shown;
  EXPECT_EQ(shown.back(), '.');
  send("dropped");
  EXPECT_EQ(line("toolbar"), "toolbar: [text field: ] [Send]");
}

}  // namespace
}  // namespace zt
