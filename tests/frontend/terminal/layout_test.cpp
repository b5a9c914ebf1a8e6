#include "frontend/terminal/layout.h"

#include <gtest/gtest.h>

#include <string>

#include "frontend/terminal/focus.h"
#include "frontend/terminal/display_builders.h"

namespace zt::term {
namespace {

using test::initialFocus;
using test::MainLike;
using test::TransferLike;

CellScreen draw(const DisplayList& list, const Focus& focus, int width = 60, int height = 20) {
  int scroll = 0;
  return layoutScreen(list, focus, width, height, scroll);
}

TEST(Layout, NavigationBarHasButtonsAtTheSidesAndTheTitleCentred) {
  MainLike main;
  const CellScreen screen = draw(main.list, initialFocus(main.list));
  EXPECT_EQ(screen.find("\u2039 Back"), (std::pair{1, 0}));
  const auto title = screen.find("Zemra Telvo");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->first, (60 - 11) / 2);
  const auto action = screen.find("[Action]");
  ASSERT_TRUE(action);
  EXPECT_EQ(action->first + 8, 59);
  const Target* right = screen.hit(action->first + 2, 0);
  ASSERT_TRUE(right);
  EXPECT_EQ(right->kind, Target::Kind::BarButton);
  EXPECT_NE(right->item, nullptr);
  const Target* back = screen.hit(2, 0);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->item, nullptr);
  EXPECT_EQ(screen.hit(30, 0), nullptr);
}

TEST(Layout, GroupedRowsShowHeadersTitlesValuesMarksAndSwitches) {
  MainLike main;
  const CellScreen screen = draw(main.list, initialFocus(main.list));
  EXPECT_EQ(screen.line(1), " Accessory Devices");
  EXPECT_EQ(screen.line(2), "  Accessory Devices List                                 \u203A");
  EXPECT_EQ(screen.line(3), "");
  EXPECT_EQ(screen.line(4), " Quorvel Service");
  EXPECT_EQ(screen.line(5), "  Quorvel                                            [ON ]");
  EXPECT_EQ(screen.line(6), "  Demo module                                            \u24D8");
  EXPECT_EQ(screen.line(7), "");  // an empty header still separates its group
  EXPECT_EQ(screen.line(8), "  Name                                                host");
  // The first focusable row is highlighted across the line; others are not.
  EXPECT_TRUE(screen.at(0, 2).focus);
  EXPECT_TRUE(screen.at(59, 2).focus);
  EXPECT_FALSE(screen.at(3, 5).focus);
  // Clicks find the row, the switch and the detail button.
  const Target* onSwitch = screen.hit(screen.find("[ON ]")->first + 1, 5);
  ASSERT_TRUE(onSwitch);
  EXPECT_EQ(onSwitch->kind, Target::Kind::Switch);
  EXPECT_EQ(screen.hit(4, 5)->kind, Target::Kind::Row);
  EXPECT_EQ(screen.hit(4, 5)->path, (IndexPath{1, 0}));
  EXPECT_EQ(screen.hit(57, 6)->kind, Target::Kind::DetailButton);
  // The hint line names the keys that apply.
  const std::string hints = screen.line(19);
  EXPECT_NE(hints.find("Enter open"), std::string::npos);
  EXPECT_NE(hints.find("Esc Back"), std::string::npos);
  EXPECT_NE(hints.find("F2 Action"), std::string::npos);
  EXPECT_NE(hints.find("q quit"), std::string::npos);
}

TEST(Layout, TransferScreenLogFillsTheRoomAndShowsItsNewestLinesEscaped) {
  std::string log;
  for (int i = 1; i <= 40; ++i) log += "\r\n[Received 09:00:00]line " + std::to_string(i);
  log += "\r\n\x1b]0;pwned\x07\x1b[2J";
  TransferLike transfer(log);
  const CellScreen screen = draw(transfer.list, initialFocus(transfer.list), 60, 20);
  const std::string text = screen.text();
  EXPECT_EQ(text.find("line 1\n"), std::string::npos);
  EXPECT_NE(text.find("line 40"), std::string::npos);
  const auto escaped = screen.find("^[]0;pwned^G^[[2J");
  ASSERT_TRUE(escaped);
  EXPECT_EQ(screen.at(escaped->first, escaped->second).style, Style::Escaped);
  EXPECT_EQ(text.find('\x1b'), std::string::npos);
  // Counters below the log, then the toolbar and the hint line.
  const auto received = screen.find("Received   ");
  const auto sent = screen.find("Sent");
  ASSERT_TRUE(received && sent);
  EXPECT_EQ(received->second, escaped->second + 2);  // a blank line separates the groups
  EXPECT_EQ(sent->second, 17);
  EXPECT_EQ(screen.find("[ Send ]")->second, 18);
  EXPECT_EQ(screen.hit(2, 18)->kind, Target::Kind::TextInput);
  EXPECT_EQ(screen.hit(screen.find("[ Send ]")->first + 2, 18)->kind,
            Target::Kind::ToolbarEntry);
  // A short log starts at the top of its block.
  TransferLike fresh("\r\n[Received 09:05:07]hello");
  const CellScreen small = draw(fresh.list, initialFocus(fresh.list), 60, 20);
  EXPECT_EQ(small.line(2), "  [Received 09:05:07]hello");
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
  field = test::textField("");
  field.placeholder = "Type here";
  screen = draw(transfer.list, initialFocus(transfer.list));
  EXPECT_TRUE(screen.find("[Type here"));
  EXPECT_FALSE(screen.cursor);
}

TEST(Layout, LongTablesScrollToKeepTheFocusedRowVisible) {
  auto table = test::handle<TableView>();
  DisplayList list;
  list.items.emplace_back(DisplayNavigationBar{"Many", std::nullopt, std::nullopt});
  for (int i = 0; i < 40; ++i) list.items.emplace_back(test::row(table, 0, i, "Row " + std::to_string(i)));
  Focus focus = initialFocus(list);
  focus.row = IndexPath{0, 30};
  int scroll = 0;
  CellScreen screen = layoutScreen(list, focus, 40, 12, scroll);
  ASSERT_TRUE(screen.find("Row 30"));
  EXPECT_EQ(screen.find("Row 30")->second, 10);  // the last line above the hint line
  EXPECT_TRUE(screen.at(0, 10).focus);
  EXPECT_EQ(scroll, 21);
  focus.row = IndexPath{0, 25};  // still visible: the view does not jump
  screen = layoutScreen(list, focus, 40, 12, scroll);
  EXPECT_EQ(scroll, 21);
  EXPECT_EQ(screen.line(0).find("Many") != std::string::npos, true);
  focus.row = IndexPath{0, 2};
  screen = layoutScreen(list, focus, 40, 12, scroll);
  EXPECT_EQ(screen.find("Row 2")->second, 1);
}

TEST(Layout, FurtherLabelsTakeALineEachAndToolbarFocusShows) {
  auto table = test::handle<TableView>();
  DisplayList list;
  list.items.emplace_back(test::header(table, 0, "Zemra  Application"));
  DisplayRow version = test::row(table, 0, 0, "Version", "1.6.0");
  version.selectable = false;
  list.items.emplace_back(version);
  DisplayRow maker = test::row(table, 1, 0, "");
  maker.selectable = false;
  maker.lines = {"First line", "Second line", "Third"};
  list.items.emplace_back(maker);
  TransferLike transfer;
  list.items.push_back(transfer.list.items.back());  // the toolbar
  Focus focus = initialFocus(list);
  focus.area = Focus::Area::Toolbar;
  focus.toolbarEntry = 1;
  const CellScreen screen = draw(list, focus, 60, 20);
  EXPECT_EQ(screen.line(0), " Zemra  Application");
  const auto first = screen.find("First line");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->first, (60 - 10) / 2);
  EXPECT_EQ(screen.find("Second line")->second, first->second + 1);
  EXPECT_EQ(screen.find("Third")->second, first->second + 2);
  const auto send = screen.find("[ Send ]");
  ASSERT_TRUE(send);
  EXPECT_TRUE(screen.at(send->first, send->second).focus);
  EXPECT_FALSE(screen.at(1, send->second).focus);
  EXPECT_NE(screen.line(19).find("Enter Send"), std::string::npos);
}

TEST(Layout, AlertIsACentredBoxWithItsButtons) {
  MainLike main;
  DisplayAlert alert{test::handle<AlertView>(), "Warning", "The key must be 16 characters.",
                     {"OK", "Retry"}};
  main.list.items.emplace_back(alert);
  FocusTracker tracker;
  tracker.update(main.list);
  const CellScreen screen = draw(main.list, tracker.focus(), 60, 20);
  const auto title = screen.find("Warning");
  const auto message = screen.find("The key must be 16 characters.");
  const auto ok = screen.find("[ OK ]");
  ASSERT_TRUE(title && message && ok);
  EXPECT_EQ(message->second, title->second + 1);
  EXPECT_NEAR(message->first + 15, 30, 1);
  EXPECT_TRUE(screen.at(ok->first, ok->second).focus);
  EXPECT_EQ(screen.hit(ok->first + 2, ok->second)->kind, Target::Kind::AlertButton);
  EXPECT_EQ(screen.hit(screen.find("[ Retry ]")->first, ok->second)->index, 1);
  EXPECT_EQ(screen.at(title->first - 2, title->second - 1).text, "\u2500");
  EXPECT_NE(screen.line(19).find("Esc OK"), std::string::npos);
}

TEST(Layout, ActionSheetRisesFromTheBottomWithCancelLast) {
  MainLike main;
  DisplayActionSheet sheet{test::handle<ActionSheet>(), "", {"About", "Settings", "Cancel"}, 2};
  main.list.items.emplace_back(sheet);
  Focus focus = initialFocus(main.list);
  focus.overlayIndex = 1;
  const CellScreen screen = draw(main.list, focus, 60, 20);
  const auto about = screen.find("1  About");
  const auto settings = screen.find("2  Settings");
  const auto cancel = screen.find("3  Cancel");
  ASSERT_TRUE(about && settings && cancel);
  EXPECT_EQ(settings->second, about->second + 1);
  EXPECT_EQ(cancel->second, settings->second + 2);  // a rule sets Cancel apart
  EXPECT_EQ(cancel->second, 17);                     // just above the box's bottom and hints
  EXPECT_TRUE(screen.at(settings->first, settings->second).focus);
  EXPECT_EQ(screen.hit(settings->first, settings->second)->index, 1);
  EXPECT_EQ(screen.hit(cancel->first, cancel->second)->kind, Target::Kind::SheetEntry);
}

TEST(Layout, SmallTerminalsGetAMessageAndTheSplashNamesTheProduct) {
  MainLike main;
  const CellScreen small = draw(main.list, initialFocus(main.list), 20, 5);
  EXPECT_NE(small.text().find("too small"), std::string::npos);
  EXPECT_EQ(small.text().find("Quorvel"), std::string::npos);
  const CellScreen tiny = draw(main.list, initialFocus(main.list), 0, 0);
  EXPECT_EQ(tiny.text(), "");
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
        int scroll = 0;
        const CellScreen screen = layoutScreen(*list, initialFocus(*list), width, height, scroll);
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
