// The front end against the real widget model, headless: keys and clicks reach the model's
// screens, and the focus walks past the rows a table has built by scrolling it.
#include "frontend/terminal/front_end.h"

#include <gtest/gtest.h>

#include "platform/ui/ui.h"
#include "platform/ui/ui_test_support.h"

namespace zt::term {
namespace {

using Code = Key::Code;

// A screen whose toolbar field keeps editing through a touch elsewhere, as the send field does.
class FieldScreen : public ViewController {
 public:
  void viewDidLoad() override {
    setTitle("Field");
    auto toolbar = std::make_shared<Toolbar>(Rect{0, 372, 320, 44});
    auto field = std::make_shared<TextField>(Rect{0, 0, 230, 31});
    toolbar->setItems({std::make_shared<BarButtonItem>(field)});
    view()->addSubview(toolbar);
  }
};

// A field screen with key commands that note their keys.
class CommandScreen : public FieldScreen {
 public:
  std::vector<KeyCommand> keyCommands() override {
    using enum KeyCommandScope;
    const auto note = [this](const char* key) { return [this, key] { pressed += key; }; };
    return {{"F3", "History", note("F3 "), Always},
            {"Up", "", note("Up "), WhileEditing},
            {"/", "Find", note("/ "), NotEditing}};
  }
  std::string pressed;
};

class FrontEndTest : public test::UiTest {
 protected:
  // The table fills the navigation content area.
  std::shared_ptr<test::TableScreen> screen =
      std::make_shared<test::TableScreen>(std::vector<int>{30}, Rect{0, 0, 320, 416});
  std::shared_ptr<test::RowSource> source = screen->source;
  std::shared_ptr<NavigationController> navigation;
  FrontEnd frontEnd;

  void SetUp() override {
    UiTest::SetUp();
    screen->setTitle("Rows");
    navigation = showNavigation(screen);
  }
  void press(Code code, int times = 1) {
    for (int i = 0; i < times; ++i) frontEnd.key(Key::of(code), 20);
  }
  void type(const std::string& text) {
    for (char c : text) frontEnd.key(Key::character(std::string(1, c)), 20);
  }
  std::string hintLine() { return frontEnd.frame(80, 20).line(19); }
};

TEST_F(FrontEndTest, FocusWalksPastTheBuiltRowsByScrollingTheModelTable) {
  const CellScreen& first = frontEnd.frame(60, 20);
  ASSERT_TRUE(first.find("r0.0"));
  EXPECT_FALSE(first.find("r0.20"));  // the model builds only the rows in its visible area
  press(Code::Down, 9);
  EXPECT_FALSE(frontEnd.frame(60, 10).find("r0.0")) << "a short terminal scrolls to the focus";
  press(Code::Up, 9);
  EXPECT_TRUE(frontEnd.frame(60, 10).find("r0.0")) << "and back";
  press(Code::Down, 20);
  EXPECT_EQ(frontEnd.focus().row, (IndexPath{0, 20}));
  EXPECT_GT(screen->table->contentOffset().y, 0);
  const CellScreen& scrolled = frontEnd.frame(60, 20);
  const auto row = scrolled.find("r0.20");
  ASSERT_TRUE(row) << scrolled.text();
  EXPECT_TRUE(scrolled.at(0, row->second).focus);
  press(Code::End);
  EXPECT_EQ(frontEnd.focus().row, (IndexPath{0, 29}));
  press(Code::Home);
  EXPECT_EQ(frontEnd.focus().row, (IndexPath{0, 0}));
  EXPECT_EQ(screen->table->contentOffset().y, 0);
  press(Code::PageDown);
  EXPECT_EQ(frontEnd.focus().row, (IndexPath{0, 16}));  // a page is the height less 4 lines
}

TEST_F(FrontEndTest, KeysAndClicksReachTheModelAndAskToQuitOrSuspend) {
  frontEnd.frame(60, 20);
  press(Code::Down, 2);
  press(Code::Enter);
  ASSERT_EQ(source->selected.size(), 1u);
  EXPECT_EQ(source->selected[0], (IndexPath{0, 2}));
  screen->table->cellForRowAtIndexPath({0, 2})->setAccessoryType(
      TableViewCellAccessoryType::DetailDisclosureButton);
  press(Code::Right);
  EXPECT_EQ(source->detailTapped, (std::vector<IndexPath>{{0, 2}}));
  const CellScreen& shown = frontEnd.frame(60, 20);
  const auto row = shown.find("r0.5");
  ASSERT_TRUE(row);
  EXPECT_EQ(frontEnd.click(row->first, row->second), FrontEnd::Request::None);
  ASSERT_EQ(source->selected.size(), 2u);
  EXPECT_EQ(source->selected[1], (IndexPath{0, 5}));
  EXPECT_EQ(frontEnd.focus().row, (IndexPath{0, 5}));
  EXPECT_EQ(frontEnd.key(Key::character("q"), 20), FrontEnd::Request::Quit);
  EXPECT_EQ(frontEnd.key(Key::of(Code::Suspend), 20), FrontEnd::Request::Suspend);
  EXPECT_EQ(frontEnd.key(Key::of(Code::Interrupt), 20), FrontEnd::Request::Quit);
}

TEST_F(FrontEndTest, AModalScreensBarTakesEscF2AndClicks) {
  int cancelled = 0;
  auto about = std::make_shared<ViewController>();
  about->setTitle("About");
  auto& item = about->navigationItem();
  item.setLeftBarButtonItem(std::make_shared<BarButtonItem>("Cancel", BarButtonItemStyle::Bordered,
                                                            [&] { ++cancelled; }));
  auto* raw = about.get();
  item.setRightBarButtonItem(std::make_shared<BarButtonItem>(
      BarButtonSystemItem::Done, [raw] { raw->dismissModalViewControllerAnimated(true); }));
  for (const bool byKey : {true, false}) {
    screen->presentModalViewController(about, true);
    const CellScreen& shown = frontEnd.frame(60, 20);
    EXPECT_NE(shown.line(0).find("[Cancel]"), std::string::npos) << shown.text();
    EXPECT_NE(shown.line(0).find("About"), std::string::npos);
    const auto done = shown.find("[Done]");
    ASSERT_TRUE(done && done->second == 0) << shown.text();
    press(Code::Escape);
    EXPECT_EQ(cancelled, byKey ? 1 : 2);
    if (byKey) {
      press(Code::F2);
    } else {
      frontEnd.click(done->first, done->second);
    }
    EXPECT_EQ(screen->modalViewController(), nullptr);
  }
}

TEST_F(FrontEndTest, EscTwiceLeavesAFieldThatKeepsEditingByTheBackButton) {
  navigation->pushViewController(std::make_shared<FieldScreen>(), false);
  frontEnd.frame(60, 20);
  press(Code::Tab);  // into the field: editing begins
  EXPECT_NE(frontEnd.frame(60, 20).line(19).find("Esc done"), std::string::npos);
  press(Code::Escape);
  EXPECT_TRUE(Application::shared().keyboard().firstResponder()) << "the screen keeps editing";
  EXPECT_NE(frontEnd.frame(60, 20).line(19).find("Esc Rows"), std::string::npos);
  press(Code::Escape);
  EXPECT_EQ(navigation->topViewController(), screen);
  EXPECT_FALSE(Application::shared().keyboard().firstResponder());
}

}  // namespace
}  // namespace zt::term

namespace zt::term {
namespace {

// The screen on top names its key commands that apply in the hint line, before the keys of the
// state; F3 works from the edited field too, which keeps its text, and "/" is then typed.
TEST_F(FrontEndTest, TheScreenOnTopNamesAndTakesItsKeyCommandsWhereTheyApply) {
  auto commands = std::make_shared<CommandScreen>();
  navigation->pushViewController(commands, false);
  EXPECT_EQ(hintLine(), " F3 History  / Find  Tab next  Esc Rows  q quit");
  EXPECT_NE(frontEnd.displayList().toText().find(
                "key commands: [F3 History] [Up (while editing)] [/ Find (not editing)]\n"),
            std::string::npos);
  type("/");
  press(Code::F3);
  press(Code::Tab);
  type("a/");
  press(Code::Up);
  press(Code::F3);
  EXPECT_EQ(commands->pressed, "/ F3 Up F3 ");
  EXPECT_EQ(hintLine(), " F3 History  Enter Return  Esc done  \u2190\u2192 cursor  ^C quit");
  EXPECT_NE(frontEnd.displayList().toText().find("[text field: a/|]"), std::string::npos);
  Application::shared().keyboard().firstResponder()->resignFirstResponder();
  std::make_shared<AlertView>("", "m", std::weak_ptr<AlertViewDelegate>{},
                              std::optional<std::string>("OK"))->show();
  EXPECT_FALSE(Touch::pressKeyCommand(*commands, "F3")) << "not under an alert";
  frontEnd.key(Key::of(Code::Enter), 20);
  navigation->pushViewController(std::make_shared<FieldScreen>(), false);
  EXPECT_FALSE(Touch::pressKeyCommand(*commands, "F3")) << "nor beneath another screen";
  press(Code::F3);
  EXPECT_EQ(commands->pressed, "/ F3 Up F3 ");
}

}  // namespace
}  // namespace zt::term
