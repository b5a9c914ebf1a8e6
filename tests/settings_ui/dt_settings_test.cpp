// The transfer settings screen as a person uses it: fields typed into, "OK" and "Cancel", the
// format picker, and editing (table shift, Done key, Return, the delayed cursor move).
#include "settings_ui/dt_settings_view_controller.h"

#include <array>
#include <climits>

#include "settings_screen_support.h"
#include "support/watchdog.h"

namespace zt {
namespace {

constexpr Rect kTableAtRest{0, 0, 320, 416};

class DTSettingsTest : public test::SettingsScreenTest {
 protected:
  // A new screen in place of the one on top, showing the settings in force now.
  void reopen() {
    if (screen && isOnTop(*screen)) navigation->popViewControllerAnimated(false);
    screen = open<DTSettingsViewController>();
  }
  void retype(int row, std::string_view text) {
    SettingsScreenTest::retype(*screen->tableview(), {1, row}, text);
  }
  bool tapField(int row) { return Touch::tapTextInput(*fieldAt(*screen->tableview(), {1, row})); }
  static GlbParam& param() { return GlbParam::instance(); }
  // The numbers written on "OK": interval, packet size, pause.
  static std::array<std::int32_t, 3> okNumbers() {
    return {param().autoSendInterval(), param().eachPacketSize(), param().sleepTime()};
  }

  std::shared_ptr<DTSettingsViewController> screen;
};

TEST_F(DTSettingsTest, ShowsTheSettingsInForceAndWritesTheChosenFormatAtOnce) {
  param().setAutoSendInterval(7);
  param().setLargeData_LineCharacter("abc");
  param().setLargeData_LineCount(3);
  param().setDataFormat(7);
  reopen();
  EXPECT_EQ(screenText(),
            "[Cancel] Settings [OK]\n== ==\nrow 0.0 | Data Format\n== Send Test File Data ==\n"
            "row 1.0 |  | [text view: abc]\nrow 1.1 | Auto-repeat Interval (S) | [text view: 7]\n"
            "row 1.2 | Repetitions | [text view: 3]\nrow 1.3 | Total Characters | 9\n"
            "row 1.4 | Packet Size | [text view: 200]\n"
            "row 1.5 | Sleep Time (ms) | [text view: 50]\n");
  std::shared_ptr<TableView> picker;
  for (const auto& [choice, rows] : {std::pair{1, "row 0.0 | ASCII\nrow 0.1 | UTF-8\n"},
                                     std::pair{2, "row 0.0 | ASCII\nrow 0.1 | UTF-8 | (v)\n"}}) {
    ASSERT_TRUE(Touch::tapRow(*screen->tableview(), {0, 0}));
    EXPECT_TRUE(shows(std::string(rows) + "row 0.2 | Close\n"));
    const auto shown = std::dynamic_pointer_cast<TableView>(screen->view()->viewWithTag(1));
    EXPECT_TRUE(shown && (!picker || shown == picker));  // made once
    picker = shown;
    ASSERT_TRUE(Touch::tapRow(*picker, {0, choice}));
    EXPECT_TRUE(!shows("Close") && shows("row 0.0 | Data Format | UTF-8\n"));
    EXPECT_EQ(param().dataFormat(), 1);
  }
  ASSERT_TRUE(tapCancel());
  EXPECT_EQ(param().dataFormat(), 1);
}

TEST_F(DTSettingsTest, NumbersAreReadLenientlyAndTheTotalWrapsIn32Bits) {
  const struct { std::string line; std::string_view typed; std::int32_t read; std::string total; }
  cases[] = {{std::string(61, 'x'), "100", 100, "6100"}, {"\xC3\xA9", "abc", 0, "0"},
             {"ab\xF0\x9F\x98\x80", "12abc", 12, "48"},  // the emoji counts two
             {"ab", "-5", -5, "-10"}, {"ab", " \t42", 42, "84"},
             {"ab", "2147483648", INT_MAX, "-2"}, {"ab", "-99999999999", INT_MIN, "0"},
             {"abc", "1000000000", 1000000000, "-1294967296"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    reopen();
    retype(0, c.line);
    for (int row : {1, 2, 4, 5}) retype(row, c.typed);
    EXPECT_EQ(param().largeData_LineCount(), c.read);  // written as it changes
    EXPECT_TRUE(shows("row 1.3 | Total Characters | " + c.total + "\n"));
    ASSERT_TRUE(tapOk());
    EXPECT_FALSE(isOnTop(*screen));
    EXPECT_EQ(param().autoSendData(), c.line);
    EXPECT_EQ(okNumbers(), (std::array{c.read, c.read, c.read}));
  }
}

TEST_F(DTSettingsTest, OkChecksTheLineThenTheRepetitionsAndEmptyNumbersStoreDefaults) {
  param().setAutoSendData("before");
  param().setAutoSendInterval(9);
  param().setEachPacketSize(300);
  param().setSleepTime(70);
  reopen();
  for (int row : {0, 1, 2, 4, 5}) retype(row, "");
  EXPECT_EQ(param().largeData_LineCharacter(), "");  // written at once
  EXPECT_EQ(param().largeData_LineCount(), 0);
  EXPECT_TRUE(shows("row 1.3 | Total Characters | 0\n"));
  const struct { int row; std::string_view typed; std::string alert, sent; std::array<int, 3> ok; }
  steps[] = {{-1, "", "Please enter some auto-send text", "before", {9, 300, 70}},
             {0, "abc", "Please enter 'send repetitions' value", "abc", {1, 300, 70}},
             {2, "2", "", "abc", {1, 200, 50}}};
  for (const auto& s : steps) {
    if (s.row >= 0) retype(s.row, s.typed);
    ASSERT_TRUE(tapOk());
    EXPECT_EQ(isOnTop(*screen), !s.alert.empty());
    EXPECT_TRUE(s.alert.empty() || shows("alert: Warning | " + s.alert + " | [OK]\n"));
    EXPECT_EQ(param().autoSendData(), s.sent);
    EXPECT_EQ(okNumbers(), s.ok);
    dismissAlert();
  }
}

TEST_F(DTSettingsTest, EditingAFieldMovesTheTableByItsAmountUntilTheKeyboardHasGone) {
  test::Watchdog watchdog;
  enum class End { Return, DoneKey, TouchElsewhere, TapRow };
  const struct { int row; float shift; End end; } cases[] = {
      {0, 0, End::Return}, {1, 216 - 44, End::DoneKey}, {2, 216, End::TapRow},
      {4, 216, End::TouchElsewhere}, {5, 216, End::DoneKey}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    reopen();
    std::shared_ptr<View> firstKey;
    // A fresh screen learns the keyboard's height only after its first edit has begun.
    for (const float shift : {0.0f, c.shift}) {
      ASSERT_TRUE(tapField(c.row));
      EXPECT_EQ(screen->tableview()->frame(), kTableAtRest.offsetBy(0, -shift));
      EXPECT_TRUE(shows("(covered)") &&
                  shows(c.row == 0 ? "keyboard: standard\n" : "keyboard: number pad [Done]\n"));
      const auto keys = Application::shared().windows().at(1)->subviews();  // keys, then Done
      EXPECT_EQ(keys.size(), c.row == 0 ? 1U : 2U);
      const auto key = keys.size() == 2 ? keys.back() : nullptr;
      EXPECT_TRUE(!firstKey || key == firstKey);  // made once
      firstKey = key;
      // A tenth of a second later a number's cursor stands after its text again.
      Touch::moveCursor(-1);
      EXPECT_TRUE(!key || test::runUntil(RunLoop::main(), [&] { return shows("|]"); }));
      if (c.end == End::Return) Touch::typeText("x\ny");
      if (c.end == End::DoneKey) Touch::tapButton(dynamic_cast<Button&>(*key));
      if (c.end == End::TouchElsewhere) Touch::touchElsewhere();
      const IndexPath other = shift == 0 ? IndexPath{0, 0} : IndexPath{1, 3};  // on screen
      EXPECT_FALSE(c.end == End::TapRow && Touch::tapRow(*screen->tableview(), other));
      EXPECT_EQ(screen->tableview()->frame(), kTableAtRest);
      EXPECT_FALSE(shows("(covered)") || shows("keyboard:") || shows("Close") || shows("\\n") ||
                   (key && key->superview()))
          << screenText();
    }
  }
}

TEST_F(DTSettingsTest, LeavingWhileEditingEndsTheEditAndTakesTheDoneKeyAway) {
  test::Watchdog watchdog;
  reopen();
  ASSERT_TRUE(tapField(4));
  const auto key = Application::shared().windows().at(1)->subviews().back();
  ASSERT_TRUE(tapCancel());
  EXPECT_FALSE(isOnTop(*screen) || shows("keyboard:") || key->superview());
  const std::weak_ptr<DTSettingsViewController> gone = screen;
  screen.reset();
  EXPECT_TRUE(gone.expired());
  RunLoop::main().runFor(std::chrono::milliseconds(200));  // the cursor move finds no screen
}

}  // namespace
}  // namespace zt
