// The settings screens as a person uses them, each pushed over a stand-in screen ("Beneath") on
// a fresh application and settings object: the transfer settings (fields, OK and Cancel, the
// format picker, the keyboard) and the Quorvel key screen over a real option store.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "frontend/terminal/front_end.h"
#include "platform/ui/ui.h"
#include "platform/ui/ui_test_support.h"
#include "settings/cipher_probe.h"
#include "settings/db_process.h"
#include "settings/glb_param.h"
#include "settings/option_store.h"
#include "settings_ui/dt_settings_view_controller.h"
#include "settings_ui/option_view_controller.h"
#include "support/io.h"
#include "support/watchdog.h"

namespace zt {
namespace {

class SettingsScreenTest : public test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    GlbParam::ReleaseResource();
    beneath->setTitle("Beneath");
    navigation = showNavigation(beneath);
  }
  template <class Screen>
  std::shared_ptr<Screen> open() {
    auto screen = std::make_shared<Screen>();
    navigation->pushViewController(screen, true);
    return screen;
  }
  bool isOnTop(const ViewController& s) { return navigation->topViewController().get() == &s; }
  bool shows(std::string_view text) { return screenText().find(text) != std::string::npos; }
  // The field of a row of `table` on screen (a stray view, which no touch reaches, if none).
  std::shared_ptr<View> fieldAt(const TableView& table, IndexPath path) {
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      const auto* row = std::get_if<DisplayRow>(&item);
      if (row && row->table.get() == &table && row->path == path) return row->controls.at(0).view;
    }
    return std::make_shared<View>();
  }
  // Taps the field, deletes its text, pastes `text` and ends the edit with a touch elsewhere.
  void retype(const TableView& table, IndexPath path, std::string_view text) {
    ASSERT_TRUE(Touch::tapTextInput(*fieldAt(table, path))) << screenText();
    while (Touch::deleteBackward()) {
    }
    Touch::pasteText(text);
    Touch::touchElsewhere();
  }
  bool tapOk() { return Touch::tapBarButton(top().navigationItem().rightBarButtonItem().get()); }
  bool tapCancel() { return Touch::tapBarButton(top().navigationItem().leftBarButtonItem().get()); }
  bool dismissAlert() {
    const auto& popups = Application::shared().popups();
    return !popups.empty() && Touch::tapAlertButton(*std::get<0>(popups.back()), 0);
  }

  std::shared_ptr<ViewController> beneath = std::make_shared<ViewController>();
  std::shared_ptr<NavigationController> navigation;

 private:
  ViewController& top() { return *navigation->topViewController(); }
};


constexpr Rect kTableAtRest{0, 0, 320, 416};

class DTSettingsTest : public SettingsScreenTest {
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
  // By keyboard: the picker takes the focus on the checked format (else the first), keeps Up
  // and Down to itself, and gives the focus back to "Data Format" when it goes.
  using Code = term::Key::Code;
  term::FrontEnd frontEnd;
  const auto press = [&](Code code) { frontEnd.key(term::Key::of(code), 24); };
  for (const auto& [first, rows] : {std::pair{Code::Up, "ASCII\nrow 0.1 | UTF-8\n"},
                                    std::pair{Code::Down, "ASCII\nrow 0.1 | UTF-8 | (v)\n"}}) {
    press(Code::Enter);
    EXPECT_TRUE(shows("row 0.0 | " + std::string(rows) + "row 0.2 | Close\n"));
    EXPECT_NE(frontEnd.frame(60, 24).line(23).find("Enter choose"), std::string::npos);
    for (const Code code : {first, Code::Down, Code::Enter}) press(code);  // UTF-8, then Close
    EXPECT_TRUE(!shows("Close") && shows("row 0.0 | Data Format | UTF-8\n"));
    EXPECT_EQ(param().dataFormat(), 1);
  }
  frontEnd.refresh();
  EXPECT_EQ(frontEnd.focus().table, screen->tableview().get());
  EXPECT_EQ(frontEnd.focus().row, (IndexPath{0, 0}));
  ASSERT_TRUE(tapCancel());
  EXPECT_EQ(param().dataFormat(), 1);
}

// Numbers are read leniently ("12abc" is 12, "-5" is -5, beyond the range the nearest limit)
// and the total wraps in 32 bits.
TEST_F(DTSettingsTest, OkChecksTheLineThenTheRepetitionsAndEmptyNumbersStoreDefaults) {
  param().setAutoSendData("before");
  param().setAutoSendInterval(9);
  param().setEachPacketSize(300);
  param().setSleepTime(70);
  reopen();
  for (int row : {0, 1, 2, 4, 5}) retype(row, "");
  EXPECT_EQ(param().largeData_LineCharacter(), "");  // written at once
  EXPECT_EQ(param().largeData_LineCount(), 0);
  const struct {
    std::vector<std::pair<int, std::string_view>> typed;
    std::string total, alert, sent;
    std::array<int, 3> ok;
  } steps[] = {
      {{}, "0", "Please enter some auto-send text", "before", {9, 300, 70}},
      {{{0, "abcd"}, {1, "-5"}}, "0", "Please enter 'send repetitions' value", "abcd",
       {-5, 300, 70}},
      {{{1, ""}, {2, " \t3000000000abc"}}, "-4", "", "abcd", {1, 200, 50}}};
  for (const auto& s : steps) {
    for (const auto& [row, text] : s.typed) retype(row, text);
    EXPECT_TRUE(shows("row 1.3 | Total Characters | " + s.total + "\n"));
    ASSERT_TRUE(tapOk());
    EXPECT_EQ(isOnTop(*screen), !s.alert.empty());
    EXPECT_TRUE(s.alert.empty() || shows("alert: Warning | " + s.alert + " | [OK]\n"));
    EXPECT_EQ(param().autoSendData(), s.sent);
    EXPECT_EQ(okNumbers(), s.ok);
    dismissAlert();
  }
  EXPECT_EQ(param().largeData_LineCount(), 2147483647);
}

// A fresh screen learns the keyboard's height only after its first edit has begun; then a
// number's field moves the table up by it (less the toolbar's height for the first number).
TEST_F(DTSettingsTest, EditingAFieldMovesTheTableByItsAmountUntilTheKeyboardHasGone) {
  test::Watchdog watchdog;
  const struct { int row; float shift; } cases[] = {{0, 0}, {1, 216 - 44}, {5, 216}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    reopen();
    for (const float shift : {0.0f, c.shift}) {
      ASSERT_TRUE(tapField(c.row));
      EXPECT_EQ(screen->tableview()->frame(), kTableAtRest.offsetBy(0, -shift));
      EXPECT_TRUE(shows(c.row == 0 ? "keyboard: standard\n" : "keyboard: number pad [Done]\n"));
      const auto key = Application::shared().windows().at(1)->subviews().back();  // Done
      if (c.row == 0) {
        Touch::typeText("x\ny");  // Return ends the edit
      } else {
        // A tenth of a second later a number's cursor stands after its text again.
        Touch::moveCursor(-1);
        EXPECT_TRUE(test::runUntil(RunLoop::main(), [&] { return shows("|]"); }));
        Touch::tapButton(dynamic_cast<Button&>(*key));
      }
      EXPECT_EQ(screen->tableview()->frame(), kTableAtRest);
      EXPECT_FALSE(shows("(covered)") || shows("keyboard:") || shows("\\n") ||
                   (c.row != 0 && key->superview()))
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

const std::string kPrevious = "previous-key-000";

class OptionScreenTest : public SettingsScreenTest {
 protected:
  // A process whose option store, settings and cipher hold kPrevious; `key`'s probe first.
  std::array<std::uint8_t, 8> startWithPreviousKey(std::string_view key) {
    test::SetCipherKey(key);
    const auto probe = test::EncipherProbe();
    SetUp();
    GlbParam& param = GlbParam::instance();
    EXPECT_TRUE(StartOptionStore(param, docs_.path()) &&
                param.dbProcess()->UpdateQuorvelKey(kPrevious) &&
                param.dbProcess()->ReadAppOption(param));
    return probe;
  }
  // The key the option store gives the next process.
  std::optional<std::string> storedKey() {
    GlbParam::ReleaseResource();
    EXPECT_TRUE(StartOptionStore(GlbParam::instance(), docs_.path()));
    return GlbParam::instance().quorvelKey();
  }

  test::TempDir docs_;
};

TEST_F(OptionScreenTest, OkPutsTheFirst16AsciiCharactersInForceAndInTheStore) {
  const std::string tooShort = "The Quorvel key length at least is 16, please enter it again.";
  const std::string notAscii =
      "The Quorvel key must be 16 ASCII characters, please enter it again.";
  // What is typed, whether OK (or Cancel) is tapped, the alert (if any) and the key afterwards.
  const struct { std::string typed; bool ok; std::string alert, key; } cases[] = {
      {"0123456789abcde", true, tooShort, kPrevious},
      {"0123456789abcdefGHIJ", true, "", "0123456789abcdef"},
      {"0123456789abcde\xF0\x9F\x98\x80", true, notAscii, kPrevious},  // half an emoji at 16
      {"fedcba9876543210", false, "", kPrevious}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const auto probe = startWithPreviousKey(c.key);
    auto screen = open<OptionViewController>();
    retype(*screen->tableview(), {0, 0}, c.typed);
    ASSERT_TRUE(c.ok ? tapOk() : tapCancel());
    EXPECT_EQ(isOnTop(*screen), !c.alert.empty());
    EXPECT_TRUE(c.alert.empty() || (shows("alert: " + c.alert + " | [OK]\n") && dismissAlert() &&
                                    tapCancel()));
    EXPECT_EQ(GlbParam::instance().quorvelKey(), c.key);
    EXPECT_EQ(test::EncipherProbe(), probe);
    EXPECT_EQ(storedKey(), c.key);
  }
}

TEST_F(OptionScreenTest, AKeyTheStoreRefusesIsInForceAndSaidToBeUnsaved) {
  const auto probe = startWithPreviousKey("0123456789abcdef");
  ASSERT_TRUE(GlbParam::instance().dbProcess()->ExecSql(
      "create trigger refuse before insert on AppOption begin select raise(abort, 'no'); end"));
  auto screen = open<OptionViewController>();
  retype(*screen->tableview(), {0, 0}, "0123456789abcdef");
  ASSERT_TRUE(tapOk());
  EXPECT_EQ(screenText(), "Beneath\nalert: Warning | The key could not be saved: no. It is in "
                          "force until Zemra Telvo ends. | [OK]\n");
  EXPECT_EQ(GlbParam::instance().quorvelKey(), "0123456789abcdef");
  EXPECT_EQ(test::EncipherProbe(), probe);
  EXPECT_EQ(storedKey(), kPrevious);
}

}  // namespace
}  // namespace zt
