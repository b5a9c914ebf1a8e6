#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace zt::test {
namespace {

using Strings = std::vector<std::string>;

// A screen with a text view, a number-pad text view and a text field, delegate of all three; it
// logs the delegate callbacks and the keyboard notifications it observes.
class EditingScreen : public ViewController, public TextViewDelegate, public TextFieldDelegate {
 public:
  explicit EditingScreen(Strings& l) : log(l) {}
  ~EditingScreen() override { NotificationCenter::defaultCenter().removeObserver(this); }

  void viewDidLoad() override {
    line->setFrame({10, 10, 300, 40});
    number->setFrame({10, 60, 90, 40});
    number->setKeyboardType(KeyboardType::NumberPad);
    field->setFrame({10, 110, 300, 40});
    line->setDelegate(weakAs<TextViewDelegate>());
    number->setDelegate(weakAs<TextViewDelegate>());
    field->setDelegate(weakAs<TextFieldDelegate>());
    view()->addSubview(line);
    view()->addSubview(number);
    view()->addSubview(field);
    for (const auto& name : {UIKeyboardWillShowNotification, UIKeyboardDidShowNotification,
                             UIKeyboardWillHideNotification, UIKeyboardDidHideNotification}) {
      NotificationCenter::defaultCenter().addObserver(this, name, [this](const Notification& n) {
        auto bounds = std::any_cast<Rect>(n.userInfo.at(UIKeyboardBoundsUserInfoKey));
        log.push_back(n.name.substr(10) + " " + std::to_string(static_cast<int>(bounds.height)) +
                      " windows=" + std::to_string(Application::shared().windows().size()));
      });
    }
  }
  std::string name(TextView& v) { return &v == line.get() ? "line" : "number"; }
  void textViewDidBeginEditing(TextView& v) override { log.push_back(name(v) + " began"); }
  void textViewDidEndEditing(TextView& v) override { log.push_back(name(v) + " ended"); }
  bool shouldChangeTextInRange(TextView& v, Range r, const std::string& text) override {
    log.push_back(name(v) + " should " + std::to_string(r.location) + "+" +
                  std::to_string(r.length) + " '" + text + "'");
    if (text == "\n") {
      v.resignFirstResponder();
      return false;
    }
    return true;
  }
  void textViewDidChange(TextView& v) override { log.push_back(name(v) + " changed " + v.text()); }
  void textFieldDidBeginEditing(TextField&) override { log.push_back("field began"); }
  void textFieldDidEndEditing(TextField&) override { log.push_back("field ended"); }
  bool textFieldShouldReturn(TextField&) override {
    log.push_back("field return");
    return true;
  }
  void touchesEnded() override {
    if (auto input = Application::shared().keyboard().firstResponder())
      input->resignFirstResponder();
  }

  Strings& log;
  std::shared_ptr<TextView> line = std::make_shared<TextView>();
  std::shared_ptr<TextView> number = std::make_shared<TextView>();
  std::shared_ptr<TextField> field = std::make_shared<TextField>();
};

class Editing : public UiTest {
 protected:
  std::shared_ptr<EditingScreen> show() {
    auto screen = std::make_shared<EditingScreen>(log);
    showNavigation(std::make_shared<ViewController>())->pushViewController(screen, false);
    return screen;
  }
};

TEST_F(Editing, BeginningAndEndingEditingAnnounceTheKeyboardAndItsWindow) {
  auto screen = show();
  EXPECT_TRUE(Touch::tapTextInput(*screen->line));
  EXPECT_EQ(log, (Strings{"line began", "WillShowNotification 216 windows=1",
                          "DidShowNotification 216 windows=2"}));
  EXPECT_EQ(screenText(), "[< Back]\nkeyboard: standard\n");

  log.clear();
  EXPECT_TRUE(Touch::tapTextInput(*screen->number));
  EXPECT_EQ(log, (Strings{"line ended", "number began", "WillShowNotification 216 windows=2",
                          "DidShowNotification 216 windows=2"}))
      << "the keyboard stays; a new keyboard type is announced";

  log.clear();
  EXPECT_TRUE(Touch::touchElsewhere());
  EXPECT_EQ(log, (Strings{"number ended", "WillHideNotification 216 windows=2",
                          "DidHideNotification 216 windows=1"}));
  EXPECT_EQ(screenText(), "[< Back]\n");

  Touch::tapTextInput(*screen->field);
  log.clear();
  EXPECT_TRUE(Touch::pressReturn());
  EXPECT_EQ(log, (Strings{"field return"})) << "Return in a field only asks the delegate";
}

TEST_F(Editing, TypingGoesThroughTheDelegateAndTheNumberPadHasDigitsOnly) {
  auto screen = show();
  EXPECT_FALSE(Touch::typeText("x")) << "nothing is being edited";
  Touch::tapTextInput(*screen->line);
  log.clear();
  EXPECT_TRUE(Touch::typeText("aé"));
  EXPECT_TRUE(Touch::moveCursor(-1));
  EXPECT_TRUE(Touch::typeText("b"));
  EXPECT_TRUE(Touch::deleteBackward());
  EXPECT_EQ(log, (Strings{"line should 0+0 'a'", "line changed a", "line should 1+0 'é'",
                          "line changed aé", "line should 1+0 'b'", "line changed abé",
                          "line should 1+1 ''", "line changed aé"}));
  EXPECT_EQ(screenText(), "[< Back]\nkeyboard: standard\n");

  log.clear();
  EXPECT_TRUE(Touch::pressReturn());
  EXPECT_EQ(screen->line->text(), "aé") << "the delegate refused the line feed";
  EXPECT_FALSE(screen->line->isFirstResponder());
  EXPECT_EQ(log.front(), "line should 1+0 '\n'") << "at the cursor";

  Touch::tapTextInput(*screen->number);
  log.clear();
  EXPECT_TRUE(Touch::typeText("1a2"));
  EXPECT_FALSE(Touch::pressReturn()) << "the number pad has no Return key";
  EXPECT_TRUE(Touch::pasteText("3x\n"));
  EXPECT_EQ(screen->number->text(), "123x\n");
  EXPECT_EQ(log,
            (Strings{"number should 0+0 '1'", "number changed 1", "number should 1+0 '2'",
                     "number changed 12", "number should 2+0 '3x\n'", "number changed 123x\n"}));

  screen->field->setEnabled(false);
  EXPECT_FALSE(Touch::tapTextInput(*screen->field));
  screen->line->setEditable(false);
  EXPECT_FALSE(Touch::tapTextInput(*screen->line));
  EXPECT_TRUE(screen->number->isFirstResponder());

  screen->number->setEnabled(false);  // disabling ends editing
  EXPECT_FALSE(Application::shared().keyboard().isVisible());
  EXPECT_EQ(Application::shared().windows().size(), 1u);
}

TEST(Utf8Offsets, MoveByWholeCharactersAndStayInsideTheText) {
  const std::string text = "aé€x";  // 1 + 2 + 3 + 1 bytes
  EXPECT_EQ(utf8::advance(text, 7, -2), 3u);
  EXPECT_EQ(utf8::advance(text, 2, 0), 1u) << "inside é: back to its start";
  EXPECT_EQ(utf8::advance(text, 99, 3), 7u);
  TextView view;
  view.setText(text);
  view.setSelectedRange({2, 2});
  EXPECT_EQ(view.selectedRange(), (Range{1, 5})) << "widened to é and €";
}

}  // namespace
}  // namespace zt::test
