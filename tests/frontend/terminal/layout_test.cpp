#include "frontend/terminal/layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frontend/terminal/focus.h"
#include "frontend/terminal/display_builders.h"

namespace zt::term {
namespace {

using test::initialFocus;
using test::MainLike;
using test::TransferLike;

std::string rule(int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out += "\u2500";
  return out;
}

CellScreen draw(const DisplayList& list, const Focus& focus, int width = 60, int height = 20) {
  int scroll = 0;
  CellScreen screen(0, 0);
  layoutScreen(screen, list, focus, width, height, scroll);
  return screen;
}

TEST(Layout, MainScreenShowsItsBarGroupsMarksSwitchAndTheKeysThatApply) {
  MainLike main;
  const CellScreen screen = draw(main.list, initialFocus(main.list), 60, 12);
  EXPECT_EQ(screen.text(),
            " \u2039 Back                 Zemra Telvo                [Action]\n"
            " Accessory Devices\n"
            "  Accessory Devices List                                 \u203A\n"
            "\n"
            " Quorvel Service\n"
            "  Quorvel                                            [ON ]\n"
            "  Demo module                                            \u24D8\n"
            "\n"  // an empty header still separates its group
            "  Name                                                host\n"
            "\n\n"
            " \u2191\u2193 move  Enter open  Esc Back  F2 Action  q quit\n");
  // The first focusable row is highlighted across the line; others are not.
  EXPECT_TRUE(screen.at(0, 2).focus && screen.at(59, 2).focus);
  EXPECT_FALSE(screen.at(3, 5).focus);
  // Clicks on the switch, the rows and the Action button are driven end to end.
  ASSERT_TRUE(screen.hit(57, 6) && screen.hit(2, 0));
  EXPECT_EQ(screen.hit(57, 6)->kind, Target::Kind::DetailButton);
  EXPECT_EQ(screen.hit(57, 6)->path, (IndexPath{1, 1}));
  EXPECT_EQ(screen.hit(2, 0)->item, nullptr) << "the back button";
  EXPECT_EQ(screen.hit(30, 0), nullptr);
}

TEST(Layout, TransferScreenLogFillsTheRoomAndShowsItsNewestLinesEscaped) {
  std::string log;
  for (int i = 1; i <= 40; ++i) log += "\r\n[Received 09:00:00]line " + std::to_string(i);
  TransferLike transfer(log + "\r\n\x1b]0;pwned\x07\x1b[2J");
  const CellScreen screen = draw(transfer.list, initialFocus(transfer.list), 40, 14);
  std::string lines;
  for (int i = 34; i <= 40; ++i) lines += "  [Received 09:00:00]line " + std::to_string(i) + "\n";
  EXPECT_EQ(screen.text(),
            " \u2039 Back           SN-1         [Action]\n" + lines +
                "  ^[]0;pwned^G^[[2J\n"
                "\n"
                "  Received                           0\n"
                "  Sent                               0\n"
                " [                          ] [ Send ]\n"
                " Tab next  Esc Back  F2 Action  q quit\n");
  EXPECT_EQ(screen.at(2, 8).style, Style::Escaped);
  EXPECT_EQ(screen.hit(2, 12)->kind, Target::Kind::TextInput);
  EXPECT_EQ(screen.hit(32, 12)->kind, Target::Kind::ToolbarEntry);
  // A short log starts at the top of its block.
  TransferLike fresh("\r\n[Received 09:05:07]hello");
  EXPECT_EQ(draw(fresh.list, initialFocus(fresh.list)).line(2), "  [Received 09:05:07]hello");
}

// Plain ASCII lines are drawn by a quicker path than other text: it breaks and places them
// exactly as the general one does (a mark past the text's end takes the general path).
TEST(Layout, APlainLogIsDrawnAsTheGeneralPathDrawsIt) {
  const std::string row36(36, 'r');
  for (const std::string& log : std::vector<std::string>{"", "\r\n", "a\n\nb\n", row36 + "\r\n",
                                 row36 + "x", std::string(200, 'w') + "\r\n" + row36 + row36}) {
    TransferLike plain(log);
    TransferLike general(log);
    std::get<DisplayRow>(general.list.items[2]).controls[0].marked.push_back({log.size() + 1, 1});
    const CellScreen quick = draw(plain.list, initialFocus(plain.list), 40, 14);
    const CellScreen full = draw(general.list, initialFocus(general.list), 40, 14);
    for (int y = 0; y < 14; ++y) {
      EXPECT_EQ(std::memcmp(quick.row(y), full.row(y), 40 * sizeof(Cell)), 0)
          << "line " << y << " of " << testing::PrintToString(log) << ":\n" << quick.text()
          << "\nagainst\n" << full.text();
    }
  }
}

// A hint line short of room names the back button "back", so that "q quit" stays readable
// at 80 columns beside a screen's own keys; a button beside Send narrows the field.
TEST(Layout, AHintLineShortOfRoomNamesTheBackButtonBack) {
  TransferLike transfer;
  std::get<DisplayNavigationBar>(transfer.list.items.front()).left =
      test::barButton("Accessory List", true);
  transfer.toolbar().entries.push_back(test::toolbarButton("EOL CR LF"));
  transfer.list.items.emplace_back(DisplayKeyCommands{
      test::handle<ViewController>(),
      {{"F3", "History", KeyCommandScope::Always}, {"F4", "EOL", KeyCommandScope::Always}}});
  Focus focus = initialFocus(transfer.list);
  focus.area = Focus::Area::Toolbar;
  focus.toolbarEntry = 0;
  const std::string keys = " F3 History  F4 EOL  Enter edit  Tab next  Esc ";
  EXPECT_EQ(draw(transfer.list, focus, 90).line(19), keys + "Accessory List  F2 Action  q quit");
  const CellScreen screen = draw(transfer.list, focus, 80);
  EXPECT_EQ(screen.line(19), keys + "back  F2 Action  q quit");
  EXPECT_EQ(screen.line(18), " [" + std::string(52, ' ') + "] [ Send ] [ EOL CR LF ]");
}

TEST(Layout, EditedFieldPlacesTheCursorAndScrollsLongText) {
  TransferLike transfer("", true);
  auto& field = *transfer.toolbar().entries[0].control;
  field.text = "hello";
  field.cursor = 2;
  CellScreen screen = draw(transfer.list, initialFocus(transfer.list));
  const auto start = screen.find("[hello");
  ASSERT_TRUE(start && screen.cursor);
  EXPECT_EQ(*screen.cursor, (std::pair{start->first + 3, start->second}));
  EXPECT_NE(screen.line(19).find("Enter Send"), std::string::npos);
  field.text = std::string(200, 'a') + "XYZ";
  field.cursor = field.text.size();
  screen = draw(transfer.list, initialFocus(transfer.list));
  const auto end = screen.find("XYZ ]");
  ASSERT_TRUE(end) << screen.text();  // the end of the text stays in view, the cursor just after it
  EXPECT_EQ(*screen.cursor, (std::pair{end->first + 3, end->second}));
  // Placeholders show in an empty field that is not edited.
  field = test::control(DisplayControl::Kind::TextField, "");
  field.placeholder = "Type here";
  screen = draw(transfer.list, initialFocus(transfer.list));
  EXPECT_TRUE(screen.find("[Type here"));
  EXPECT_FALSE(screen.cursor);
  // Side insets (a text view's padding) keep a blank cell inside the brackets.
  field = test::control(DisplayControl::Kind::TextField, "200");
  field.inset = {8, 8, 8, 8};
  EXPECT_TRUE(draw(transfer.list, initialFocus(transfer.list)).find("[ 200 "));
}

TEST(Layout, FurtherLabelsTakeALineEachAndToolbarFocusShows) {
  auto table = test::handle<TableView>();
  DisplayList list;
  DisplayRow maker = test::row(table, 0, 0, "");
  maker.selectable = false;
  maker.lines = {"First line", "Second line"};
  list.items.emplace_back(maker);
  list.items.push_back(TransferLike().list.items.back());  // the toolbar
  Focus focus = initialFocus(list);
  focus.area = Focus::Area::Toolbar;
  focus.toolbarEntry = 1;
  const CellScreen screen = draw(list, focus, 40, 10);
  EXPECT_EQ(screen.text(),
            "               First line\n"
            "              Second line\n"
            "\n\n\n\n\n\n"
            " [                          ] [ Send ]\n"
            " Enter Send  Tab next  q quit\n");
  EXPECT_TRUE(screen.at(30, 8).focus);
  EXPECT_FALSE(screen.at(1, 8).focus);
}

TEST(Layout, AlertIsACentredBoxAndTheSheetRisesFromTheBottomWithCancelLast) {
  MainLike main;
  main.list.items.emplace_back(DisplayAlert{test::handle<AlertView>(), "Warning",
                                            "The key must be 16 characters.", {"OK", "Retry"}});
  const CellScreen alert = draw(main.list, initialFocus(main.list), 60, 12);
  EXPECT_EQ(alert.line(3), "             \u250C" + rule(32) + "\u2510");
  EXPECT_EQ(alert.line(5), "  Quorvel    \u2502 The key must be 16 characters. \u2502      [ON ]");
  EXPECT_EQ(alert.line(7), "             \u2502       [ OK ]  [ Retry ]        \u2502");
  EXPECT_TRUE(alert.at(21, 7).focus);
  EXPECT_EQ(alert.hit(22, 7)->kind, Target::Kind::AlertButton);
  EXPECT_EQ(alert.hit(29, 7)->index, 1);

  MainLike sheet;
  sheet.list.items.emplace_back(
      DisplayActionSheet{test::handle<ActionSheet>(), "", {"About", "Settings", "Cancel"}, 2});
  Focus focus = initialFocus(sheet.list);
  focus.overlayIndex = 1;
  const CellScreen menu = draw(sheet.list, focus, 40, 12);
  EXPECT_EQ(menu.line(7), "      \u2502 2  Settings              \u2502");
  EXPECT_EQ(menu.line(8), "  Name\u251C" + rule(26) + "\u2524host");
  EXPECT_EQ(menu.line(9), "      \u2502 3  Cancel                \u2502");
  EXPECT_TRUE(menu.at(8, 7).focus);
  EXPECT_FALSE(menu.at(8, 6).focus);
  EXPECT_EQ(menu.hit(8, 7)->index, 1);
  EXPECT_EQ(menu.hit(8, 9)->kind, Target::Kind::SheetEntry);
}

TEST(Layout, SmallTerminalsGetAMessageAndTheSplashNamesTheProduct) {
  MainLike main;
  const CellScreen small = draw(main.list, initialFocus(main.list), 20, 5);
  EXPECT_NE(small.text().find("too small"), std::string::npos);
  EXPECT_EQ(small.text().find("Quorvel"), std::string::npos);
  const CellScreen splash = splashScreen(41, 9);
  EXPECT_EQ(splash.find("Zemra Telvo"), (std::pair{15, 4}));
  EXPECT_EQ(splash.at(15, 4).style, Style::Splash);
}

TEST(Layout, EverySizeDrawsWithinTheScreen) {
  TransferLike transfer(std::string(300, 'x') + "\x1b[2J\xff日本", true);
  transfer.list.items.emplace_back(
      DisplayAlert{test::handle<AlertView>(), "Warning", std::string(200, 'w'), {"OK", "No"}});
  MainLike main;
  main.list.items.emplace_back(
      DisplayActionSheet{test::handle<ActionSheet>(), "Title", {"A", "B", "C", "Cancel"}, 3});
  for (const DisplayList* list : {&transfer.list, &main.list}) {
    for (int width = 0; width <= 70; width += 3) {
      for (int height = 0; height <= 30; height += 2) {
        const CellScreen screen = draw(*list, initialFocus(*list), width, height);
        EXPECT_EQ(screen.width(), width);
        if (screen.cursor) {
          EXPECT_LT(screen.cursor->first, width);
          EXPECT_LT(screen.cursor->second, height);
        }
      }
    }
  }
}

}  // namespace
}  // namespace zt::term
