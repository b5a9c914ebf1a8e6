// The History screen as a person reads it: entries in order with milliseconds and both time
// forms, the hex view, following and pausing with the count of new entries, paging, search
// both ways with wrap and "not found", the limit dropping the oldest with its line; and over a
// real session: it grows while shown, the session stays open under it, and a session that ends
// underneath.
#include "transfer/history/history_view_controller.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/ui/ui_test_support.h"
#include "support/shell_fixture.h"
#include "support/watchdog.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt::test {
namespace {

using namespace std::chrono_literals;

// 2024-03-05 09:05:07 UTC; the tests run two hours east of UTC, so local time shows 11:05:07.
const HistoryStore::Time kStart{1709629507s};

std::span<const std::uint8_t> bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The History screen shown over a store the test fills, `lines` lines of 80 cells.
class HistoryTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ::setenv("TZ", "UTC-2", 1);  // NOLINT(concurrency-mt-unsafe): no other thread runs
    ::tzset();
  }
  void show(std::uint64_t limit = 1 << 20, int lines = 20) {
    store = std::make_shared<HistoryStore>(limit);
    history = std::make_shared<HistoryViewController>(store);
    showNavigation(history);
    resize(lines);
  }
  void resize(int lines) { Touch::showTextLines(textView(), lines, 80); }
  TextView& textView() {
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      if (const auto* row = std::get_if<DisplayRow>(&item); row && !row->controls.empty()) {
        return dynamic_cast<TextView&>(*row->controls.front().view);
      }
    }
    throw std::logic_error("no text view shown");
  }
  // "STATE | ROW\nROW..." as the display list writes the screen's one row.
  std::string shown() {
    const std::string text = screenText();
    const auto at = text.find("row 0.0 | ");
    std::string row = text.substr(at + 10, text.find('\n', at) - at - 10);
    for (std::size_t i = 0; (i = row.find("\\n", i)) != std::string::npos;) row.replace(i, 2, "\n");
    const auto view = row.find(" | [text view (read-only): ");
    if (view == std::string::npos) return row;
    return row.substr(0, view) + " | " + row.substr(view + 27, row.size() - view - 28);
  }
  void add(std::string_view text, std::chrono::milliseconds at,
           HistoryKind kind = HistoryKind::Received) {
    store->appendText(kind, kStart + at, text);
  }
  bool press(std::string_view key) { return Touch::pressKeyCommand(*history, key); }
  // "/", the text, then Find (what Enter taps), which stays above the keyboard.
  bool search(const std::string& text) {
    if (!press("/") || !Touch::typeText(text)) return false;
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      if (const auto* bar = std::get_if<DisplayToolbar>(&item)) {
        return Touch::tapBarButton(bar->entries.back().item.get());
      }
    }
    return false;
  }

  std::shared_ptr<HistoryStore> store;
  std::shared_ptr<HistoryViewController> history;
};

TEST_F(HistoryTest, EntriesInOrderWithMillisecondsDeltasAndHex) {
  show();
  add("hello\r\nworld", 1482ms);
  add("hi \x1b[2J", 1497ms, HistoryKind::Sent);
  store->append(HistoryKind::Received, kStart + 2s, "plain", bytes("PACKET"));
  store->append(HistoryKind::Undecodable, kStart + 2s, "", bytes("\xc3\x28"));
  add("the app started sending test file data: \"ab\" 3 times, 6 bytes", 3s,
      HistoryKind::TestFileStart);
  add("the app finish sending test file data operation", 3s + 50ms, HistoryKind::TestFileEnd);
  press("End");
  EXPECT_EQ(shown(),
            "Following: 6 entries | [Received 11:05:08.482]hello\n"
            "world\n"
            "[Sent 11:05:08.497]hi ^[[2J\n"
            "[Received 11:05:09.000]plain\n"
            "[Received 11:05:09.000](2 bytes not shown: c328)\n"
            "[11:05:10.000]the app started sending test file data: \"ab\" 3 times, 6 bytes\n"
            "[11:05:10.050]the app finish sending test file data operation");
  press("t");
  EXPECT_NE(shown().find("[Sent +0.015]hi ^[[2J\n[Received +0.503]plain\n"), std::string::npos);
  press("t");
  press("x");
  press("Home");
  EXPECT_EQ(shown().substr(0, shown().find("[Sent")),
            "Paused: 0 new entries | [Received 11:05:08.482] 12 bytes\n"
            "0000  68 65 6c 6c 6f 0d 0a 77 6f 72 6c 64              hello..world\n");
  EXPECT_NE(shown().find("[Received 11:05:09.000] 6 bytes\n0000  50 41 43 4b 45 54"),
            std::string::npos)
      << "a Quorvel entry's hex is its packet";
}

TEST_F(HistoryTest, FollowsPausesWithTheNewCountPagesAndFollowsAgain) {
  show(1 << 20, 3);
  for (int i = 0; i < 10; ++i) add("e" + std::to_string(i), std::chrono::milliseconds(i));
  press("End");
  const auto rows = [this] { return shown().substr(shown().find(" | ") + 3); };
  const auto entries = [&rows] {
    std::string names;
    for (std::size_t at = 0; (at = rows().find("]e", at)) != std::string::npos; ++at) {
      names += rows().substr(at + 1, 2);
    }
    return names;
  };
  EXPECT_EQ(entries(), "e7e8e9");
  press("Up");
  EXPECT_EQ(entries(), "e6e7e8");
  add("e10", 20ms);
  add("e11", 21ms);
  EXPECT_TRUE(runUntil(RunLoop::main(), [this] { return shown().starts_with("Paused: 2 new"); }));
  EXPECT_EQ(entries(), "e6e7e8") << "a paused view stays where it is";
  press("PgUp");
  EXPECT_EQ(entries(), "e3e4e5");
  press("Home");
  EXPECT_EQ(entries(), "e0e1e2");
  for (int i = 0; i < 5; ++i) press("PgDn");
  EXPECT_EQ(entries(), "e9e1e1") << "moving down to the end follows again";
  EXPECT_TRUE(shown().starts_with("Following: 12 entries"));
  add("e12", 22ms);
  EXPECT_TRUE(runUntil(RunLoop::main(), [&] { return rows().ends_with("]e12"); }));
}

TEST_F(HistoryTest, SearchGoesBackThenBothWaysWrappingAndSaysNotFound) {
  show(1 << 20, 2);
  add("one ping", 1ms);
  add("\x07 bell", 2ms);
  add("two ping", 3ms);
  add("filler", 4ms);
  add("three", 5ms);
  press("End");
  ASSERT_TRUE(search("ping"));
  EXPECT_EQ(shown(), "Paused: 0 new entries | [Received 11:05:07.003]two «ping»\n"
                     "[Received 11:05:07.004]filler");
  const struct {
    bool older;
    const char* found;
  } steps[] = {{true, "one «ping»"}, {true, "two «ping»"}, {false, "one «ping»"},
               {false, "two «ping»"}};
  for (const auto& step : steps) {
    press(step.older ? "n" : "N");
    EXPECT_NE(shown().find(step.found), std::string::npos) << step.found;
  }
  ASSERT_TRUE(search("^G b"));
  EXPECT_NE(shown().find("]«^G b»ell"), std::string::npos) << "a control character as shown";
  ASSERT_TRUE(search("pong"));
  EXPECT_TRUE(shown().starts_with("\"pong\" not found | ")) << shown();
  EXPECT_NE(screenText().find("key commands: [ \"pong\" not found] [/ Search"), std::string::npos)
      << "the hint line says it";
}

// A small store and one of the default size, whose chunks are made ready ahead while it grows.
TEST_F(HistoryTest, TheLimitDropsTheOldestAndSaysHowMany) {
  const struct {
    std::uint64_t limit;
    const char* said;
    std::size_t entry;
    int count;
  } cases[] = {{64 * 1024, "65536 bytes", 1000, 200},
               {std::uint64_t{32} << 20, "32 MiB", 64 * 1024, 700}};
  for (const auto& [limit, said, entry, count] : cases) {
    show(limit, 3);
    const std::string text(entry, 'x');
    for (int i = 0; i < count; ++i) add(std::to_string(i) + text, std::chrono::milliseconds(i));
    EXPECT_LE(store->usage(), store->limit());
    EXPECT_GT(store->firstId(), 100U);
    EXPECT_EQ(store->entry(store->endId() - 1).text, std::to_string(count - 1) + text);
    press("Home");
    EXPECT_TRUE(shown().starts_with(
        "Paused: 0 new entries | (" + std::to_string(store->firstId()) +
        " older entries dropped: the history keeps the newest " + said +
        ")\n[Received 11:05:07." + std::to_string(store->firstId())))
        << shown().substr(0, 200);
  }
}

using HistorySessionTest = ShellTest;

// Over a real device: History opens while the send field is edited, whose text stays; the
// history grows while shown and the session stays open under it. A device that goes while History is shown is told on the
// transfer screen; History still reads.
TEST_F(HistorySessionTest, GrowsWhileShownAndTheSessionStaysOpenUnderIt) {
  Watchdog dog;
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List") && tapRow(path("ttyZ0")));
  auto& transfer = *top();
  for (const auto& item : buildDisplayList(Application::shared()).items) {
    if (const auto* bar = std::get_if<DisplayToolbar>(&item)) {
      ASSERT_TRUE(Touch::tapTextInput(*bar->entries.front().control->view));
    }
  }
  ASSERT_TRUE(Touch::typeText("draft"));
  ASSERT_TRUE(Touch::pressKeyCommand(transfer, "F3")) << "also while the send field is edited";
  ASSERT_TRUE(shows("[< Back] History\n") && !shows("keyboard:")) << screen();
  const int master = ptys_["ttyZ0"]->master();
  ASSERT_TRUE(writeAll(master, "from the device"));
  EXPECT_TRUE(runUntil(RunLoop::main(), [] { return shows("]from the device"); }));
  ASSERT_TRUE(tapBar("Back"));
  EXPECT_TRUE(shows("toolbar: [text field: draft] [Send] [EOL none]")) << "the typed text stays";
  ASSERT_TRUE(writeAll(master, "still open"));
  EXPECT_TRUE(runUntil(RunLoop::main(), [] { return shows("]still open"); }));

  ASSERT_TRUE(Touch::pressKeyCommand(*top(), "F3"));
  pull("ttyZ0");
  ptys_.clear();
  EXPECT_TRUE(shows("]still open")) << "History still reads after the session ended";
  ASSERT_TRUE(tapBar("Back"));
  EXPECT_TRUE(runUntil(RunLoop::main(), [] { return shows("alert: Warning | The bluetooth"); }));
}

TEST_F(HistorySessionTest, OffSaysHowToTurnItOn) {
  settings_.historyLimit = 0;
  plug("ttyZ0");
  launch();
  ASSERT_TRUE(tapRow("Accessory Devices List") && tapRow(path("ttyZ0")));
  ASSERT_TRUE(Touch::pressKeyCommand(*top(), "F3"));
  EXPECT_TRUE(shows("The history is off.\\nStart zemra-telvo with --history-size MIB")) << screen();
}

}  // namespace
}  // namespace zt::test
