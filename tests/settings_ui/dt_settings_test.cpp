// The transfer settings screen as a person uses it: fields typed into, "OK" and "Cancel", the
// format picker, and the editing behaviour (table shift, Done key, Return, delayed cursor).
#include "settings_ui/dt_settings_view_controller.h"

#include <climits>

#include "settings_screen_support.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using namespace std::chrono_literals;

constexpr Rect kTableAtRest{0, 0, 320, 416};
const std::string kDefaultLine = "This is a test file data from Zemra Demo application for iPhone";

class DTSettingsTest : public test::SettingsScreenTest {
 protected:
  void SetUp() override {
    SettingsScreenTest::SetUp();
    reopen();
  }
  // A new screen in place of the one on top, showing the settings in force now.
  void reopen() {
    if (screen && isOnTop(*screen)) navigation->popViewControllerAnimated(false);
    screen = open<DTSettingsViewController>();
  }
  bool shows(const std::string& line) { return screenText().find(line) != std::string::npos; }
  // The format picker: the other table with rows on screen.
  std::shared_ptr<TableView> picker() {
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      const auto* row = std::get_if<DisplayRow>(&item);
      if (row && row->table != screen->tableview()) return row->table;
    }
    return nullptr;
  }

  std::shared_ptr<DTSettingsViewController> screen;
  static GlbParam& param() { return GlbParam::instance(); }
};

TEST_F(DTSettingsTest, ShowsTheSettingsInForce) {
  param().setAutoSendInterval(7);
  param().setLargeData_LineCharacter("abc");
  param().setLargeData_LineCount(3);
  param().setEachPacketSize(300);
  param().setSleepTime(70);
  param().setDataFormat(1);
  reopen();
  EXPECT_EQ(screenText(),
            "[Cancel] Settings [OK]\n"
            "== ==\n"
            "row 0.0 | Data Format | UTF-8\n"
            "== Send Test File Data ==\n"
            "row 1.0 |  | [text view: abc]\n"
            "row 1.1 | Auto-repeat Interval (S) | [text view: 7]\n"
            "row 1.2 | Repetitions | [text view: 3]\n"
            "row 1.3 | Total Characters | 9\n"
            "row 1.4 | Packet Size | [text view: 300]\n"
            "row 1.5 | Sleep Time (ms) | [text view: 70]\n");
}

TEST_F(DTSettingsTest, NumbersAreReadLeniently) {
  const struct {
    std::string_view typed;
    std::int32_t read;
  } cases[] = {{"12abc", 12}, {"abc", 0},       {"-5", -5},
               {" \t42", 42}, {"0", 0},         {"2147483648", INT_MAX},
               {"+8", 8},     {"-99999999999", INT_MIN}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    reopen();
    for (int row : {1, 2, 4, 5}) retype(*screen->tableview(), {1, row}, c.typed);
    EXPECT_EQ(param().largeData_LineCount(), c.read);  // written as it changes
    ASSERT_TRUE(tapRight());
    EXPECT_FALSE(isOnTop(*screen));
    EXPECT_EQ(param().autoSendInterval(), c.read);
    EXPECT_EQ(param().eachPacketSize(), c.read);
    EXPECT_EQ(param().sleepTime(), c.read);
    EXPECT_EQ(param().autoSendData(), kDefaultLine);
  }
}

TEST_F(DTSettingsTest, OkStopsAtEmptyRepetitionsAfterWritingTextAndIntervalThenStoresDefaults) {
  param().setAutoSendInterval(9);
  param().setEachPacketSize(300);
  param().setSleepTime(70);
  for (int row : {1, 2, 4, 5}) retype(*screen->tableview(), {1, row}, "");
  EXPECT_EQ(param().largeData_LineCount(), 0);
  EXPECT_TRUE(shows("row 1.3 | Total Characters | 0\n"));
  ASSERT_TRUE(tapRight());
  EXPECT_TRUE(shows("alert: Warning | Please enter 'send repetitions' value | [OK]\n"));
  EXPECT_TRUE(isOnTop(*screen));
  EXPECT_EQ(param().autoSendInterval(), 1);
  EXPECT_EQ(param().eachPacketSize(), 300);
  EXPECT_EQ(param().sleepTime(), 70);
  ASSERT_TRUE(dismissAlert());
  retype(*screen->tableview(), {1, 2}, "2");
  ASSERT_TRUE(tapRight());
  EXPECT_FALSE(isOnTop(*screen));
  EXPECT_EQ(param().eachPacketSize(), 200);
  EXPECT_EQ(param().sleepTime(), 50);
}

TEST_F(DTSettingsTest, EmptyLineStopsOkAndCancelKeepsWhatWasWrittenAtOnce) {
  param().setAutoSendData("before");
  retype(*screen->tableview(), {1, 0}, "");
  retype(*screen->tableview(), {1, 1}, "5");
  EXPECT_EQ(param().largeData_LineCharacter(), "");
  EXPECT_TRUE(shows("row 1.3 | Total Characters | 0\n"));
  ASSERT_TRUE(tapRight());
  EXPECT_TRUE(shows("alert: Warning | Please enter some auto-send text | [OK]\n"));
  ASSERT_TRUE(dismissAlert());
  ASSERT_TRUE(tapLeft());
  EXPECT_FALSE(isOnTop(*screen));
  EXPECT_EQ(param().largeData_LineCharacter(), "");
  EXPECT_EQ(param().autoSendData(), "before");
  EXPECT_EQ(param().autoSendInterval(), 1);
}

TEST_F(DTSettingsTest, TotalIsTheLinesUtf16LengthTimesRepetitionsInWrapping32Bits) {
  const struct {
    std::string line;
    std::string_view repetitions;
    std::string total;
  } cases[] = {{std::string(61, 'x'), "100", "6100"},
               {"ab\xF0\x9F\x98\x80", "3", "12"},  // the emoji takes two units
               {"\xC3\xA9", "7", "7"},
               {"abc", "1000000000", "-1294967296"},
               {"ab", "2147483647", "-2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.total);
    retype(*screen->tableview(), {1, 0}, c.line);
    retype(*screen->tableview(), {1, 2}, c.repetitions);
    EXPECT_TRUE(shows("row 1.3 | Total Characters | " + c.total + "\n")) << screenText();
  }
}

TEST_F(DTSettingsTest, FormatPickerShowsTheFormatInForceAndWritesTheChoiceAtOnce) {
  param().setDataFormat(7);
  reopen();
  TableView& table = *screen->tableview();
  EXPECT_TRUE(shows("row 0.0 | Data Format\n"));
  ASSERT_TRUE(Touch::tapRow(table, {0, 0}));
  EXPECT_TRUE(shows("row 0.0 | ASCII\nrow 0.1 | UTF-8\nrow 0.2 | Close\n"));
  const auto shown = picker();
  ASSERT_TRUE(shown);
  EXPECT_EQ(*shown->animationForKey("animation"),
            (Transition{kCATransitionPush, kCATransitionFromTop, 0.3, kCAFillModeForwards}));
  ASSERT_TRUE(Touch::tapRow(*shown, {0, 1}));
  EXPECT_EQ(param().dataFormat(), 1);
  EXPECT_FALSE(picker());
  EXPECT_TRUE(shows("row 0.0 | Data Format | UTF-8\n"));
  EXPECT_EQ(table.lastRowAnimation(), TableViewRowAnimation::Fade);
  EXPECT_EQ(*shown->animationForKey("animation"),
            (Transition{kCATransitionReveal, kCATransitionFromBottom, 0.3, kCAFillModeForwards}));
  ASSERT_TRUE(Touch::tapRow(table, {0, 0}));
  EXPECT_EQ(picker(), shown);
  EXPECT_TRUE(shows("row 0.0 | ASCII\nrow 0.1 | UTF-8 | (v)\nrow 0.2 | Close\n"));
  ASSERT_TRUE(Touch::tapRow(*shown, {0, 2}));
  EXPECT_FALSE(picker());
  ASSERT_TRUE(tapLeft());
  EXPECT_EQ(param().dataFormat(), 1);
}

TEST_F(DTSettingsTest, EditingAFieldMovesTheTableByItsAmountUntilTheKeyboardHasGone) {
  enum class End { Return, DoneKey, TouchElsewhere };
  const struct {
    int row;
    float shift;
    bool numeric;
    End end;
  } cases[] = {{0, 0, false, End::Return},
               {1, 216 - 44, true, End::DoneKey},
               {2, 216, true, End::DoneKey},
               {4, 216, true, End::TouchElsewhere},
               {5, 216, true, End::DoneKey}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    reopen();
    TableView& table = *screen->tableview();
    std::shared_ptr<Button> firstKey;
    // A fresh screen learns the keyboard's height only after its first edit has begun.
    for (const float shift : {0.0f, c.shift}) {
      ASSERT_TRUE(Touch::tapTextInput(*fieldAt(table, {1, c.row})));
      EXPECT_EQ(table.frame(), kTableAtRest.offsetBy(0, -shift));
      EXPECT_TRUE(shows(c.numeric ? "keyboard: number pad [Done]\n" : "keyboard: standard\n"));
      EXPECT_TRUE(shows("(covered)"));
      const auto key = extraKey();
      if (c.numeric) {
        EXPECT_EQ(key, firstKey ? firstKey : key);  // made once, never added twice
        EXPECT_EQ(Application::shared().windows().at(1)->subviews().size(), 2u);
        firstKey = key;
      }
      if (c.end == End::Return) Touch::pressReturn();
      if (c.end == End::DoneKey) Touch::tapButton(*key);
      if (c.end == End::TouchElsewhere) Touch::touchElsewhere();
      EXPECT_EQ(table.frame(), kTableAtRest);
      EXPECT_FALSE(shows("(covered)") || shows("keyboard:")) << screenText();
      EXPECT_FALSE(key && key->superview());
    }
  }
}

TEST_F(DTSettingsTest, ATouchWhileEditingOnlyEndsTheEdit) {
  TableView& table = *screen->tableview();
  ASSERT_TRUE(Touch::tapTextInput(*fieldAt(table, {1, 2})));
  EXPECT_FALSE(Touch::tapRow(table, {0, 0}));
  EXPECT_FALSE(shows("Close") || shows("keyboard:"));
  ASSERT_TRUE(Touch::tapTextInput(*fieldAt(table, {1, 1})));
  EXPECT_FALSE(Touch::tapTextInput(*fieldAt(table, {1, 4})));
  EXPECT_FALSE(shows("keyboard:"));
}

TEST_F(DTSettingsTest, ReturnEndsTheLineEditWithoutABreakButPastedBreaksStay) {
  TableView& table = *screen->tableview();
  ASSERT_TRUE(Touch::tapTextInput(*fieldAt(table, {1, 0})));
  Touch::typeText("xy\nz");
  EXPECT_TRUE(shows("[text view: " + kDefaultLine + "xy]"));
  EXPECT_FALSE(shows("keyboard:") || shows("(covered)"));
  ASSERT_TRUE(Touch::tapTextInput(*fieldAt(table, {1, 0})));
  Touch::pasteText("a\nb");
  EXPECT_TRUE(shows("[text view: " + kDefaultLine + "xya\\nb|]"));
}

TEST_F(DTSettingsTest, ANumberFieldPutsItsCursorAfterItsTextATenthOfASecondLater) {
  test::Watchdog watchdog;
  ASSERT_TRUE(Touch::tapTextInput(*fieldAt(*screen->tableview(), {1, 2})));
  Touch::moveCursor(-2);
  EXPECT_TRUE(shows("[text view: 1|00]"));
  EXPECT_TRUE(test::runUntil(RunLoop::main(), [&] { return shows("[text view: 100|]"); }));
}

TEST_F(DTSettingsTest, LeavingWhileEditingEndsTheEditAndTakesTheDoneKeyAway) {
  test::Watchdog watchdog;
  ASSERT_TRUE(Touch::tapTextInput(*fieldAt(*screen->tableview(), {1, 4})));
  const auto key = extraKey();
  ASSERT_TRUE(key);
  ASSERT_TRUE(tapLeft());
  EXPECT_FALSE(isOnTop(*screen));
  EXPECT_FALSE(shows("keyboard:"));
  EXPECT_FALSE(key->superview());
  const std::weak_ptr<DTSettingsViewController> gone = screen;
  screen.reset();
  EXPECT_TRUE(gone.expired());
  RunLoop::main().runFor(200ms);  // the pending cursor move finds no screen
}

}  // namespace
}  // namespace zt
