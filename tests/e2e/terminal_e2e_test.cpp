// The terminal front end end to end: the fixture application runs in a real terminal (tmux) and
// is driven with keys as a person would.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "support/watchdog.h"
#include "tmux_session.h"

namespace zt::test {
namespace {

const std::string kFixture = ZT_UI_FIXTURE;

// Runs the fixture, then reports its exit status and whether the terminal is back in its
// usual mode (line editing and echo on), and stays so the pane can be read.
std::string fixtureCommand(const std::string& environment = "") {
  return environment + " " + kFixture +
         "; status=$?; stty -a | tr ' ;' '\\n\\n' | grep -x -e icanon -e echo | tr '\\n' ' ';"
         " echo \"exit status $status\"; exec sleep 600";
}

// The fixture's process: the pane's shell's child.
int childOf(int parent) {
  std::ifstream children("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) +
                         "/children");
  int child = 0;
  children >> child;
  return child;
}

char processState(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto end = line.rfind(')');
  return end == std::string::npos || end + 2 >= line.size() ? '?' : line[end + 2];
}

TEST(TerminalEndToEnd, NavigatesTogglesSendsAndQuitsRestoringTheTerminal) {
  Watchdog dog(std::chrono::seconds(240));
  TmuxSession tmux(fixtureCommand());
  ASSERT_TRUE(tmux.waitFor("Zemra Telvo")) << tmux.screen();  // the splash during the launch
  ASSERT_TRUE(tmux.waitFor("Wireless")) << tmux.screen();
  const std::string first = tmux.screen();
  EXPECT_NE(first.find("Fixture"), std::string::npos);
  EXPECT_NE(first.find("[Action]"), std::string::npos);
  EXPECT_NE(first.find("[OFF]"), std::string::npos);
  EXPECT_NE(first.find("F2 Action"), std::string::npos);
  // Received escape sequences are shown, not obeyed: the title stays, the screen is not wiped.
  EXPECT_NE(first.find("[Received 10:00:01]^[]0;pwned^G^[[2Jafter"), std::string::npos) << first;
  EXPECT_NE(first.find("[Received 10:00:00]hello"), std::string::npos);
  EXPECT_NE(tmux.title(), "pwned");

  tmux.keys({"Down", "Enter"});  // from the log row to the switch row, and toggle it
  ASSERT_TRUE(tmux.waitFor("[Switch ON]")) << tmux.screen();
  EXPECT_TRUE(tmux.waitFor("[ON ]"));

  tmux.keys({"Down", "Enter"});  // the disclosure row opens the second screen
  ASSERT_TRUE(tmux.waitFor("Alpha")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("\u2039 Back"), std::string::npos);
  tmux.keys({"Escape"});
  ASSERT_TRUE(tmux.waitFor("Wireless")) << tmux.screen();
  tmux.keys({"Enter"});  // the focus came back to the row that opened it
  ASSERT_TRUE(tmux.waitFor("Alpha")) << tmux.screen();
  tmux.keys({"Escape"});
  ASSERT_TRUE(tmux.waitFor("Wireless")) << tmux.screen();

  tmux.keys({"Tab"});  // into the send field: editing begins
  ASSERT_TRUE(tmux.waitFor("Enter Send")) << tmux.screen();
  tmux.type("hello q wörld");
  tmux.keys({"BSpace"});
  ASSERT_TRUE(tmux.waitFor("[hello q wörl")) << tmux.screen();
  tmux.keys({"Enter"});
  ASSERT_TRUE(tmux.waitFor("[Sent]hello q wörl")) << tmux.screen();
  ASSERT_TRUE(tmux.waitFor("[Type here")) << tmux.screen();
  // The answer comes later, through the run loop, with no key pressed: drawn all the same.
  ASSERT_TRUE(tmux.waitFor("[Echo]hello q wörl")) << tmux.screen();

  tmux.keys({"q"});
  ASSERT_TRUE(tmux.waitFor("exit status")) << tmux.screen();
  const std::string last = tmux.screen();
  EXPECT_NE(last.find("icanon echo exit status 0"), std::string::npos) << last;
}

TEST(TerminalEndToEnd, ActionSheetAndAlertsAnswerTheirKeys) {
  Watchdog dog(std::chrono::seconds(240));
  TmuxSession tmux(fixtureCommand());
  ASSERT_TRUE(tmux.waitFor("Wireless")) << tmux.screen();
  tmux.keys({"F2"});
  ASSERT_TRUE(tmux.waitFor("4  Cancel")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("1  Clear"), std::string::npos);
  tmux.keys({"Escape"});  // Cancel
  ASSERT_TRUE(tmux.waitFor("4  Cancel", false)) << tmux.screen();
  tmux.keys({"F2"});
  ASSERT_TRUE(tmux.waitFor("2  Show Alert")) << tmux.screen();
  tmux.keys({"2"});
  ASSERT_TRUE(tmux.waitFor("Something happened")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("[ OK ]"), std::string::npos);
  tmux.keys({"Escape"});  // the alert's first button
  ASSERT_TRUE(tmux.waitFor("Something happened", false)) << tmux.screen();

  tmux.keys({"Down", "Down", "Down", "Right"});  // the detail button of "Module"
  ASSERT_TRUE(tmux.waitFor("Detail button tapped")) << tmux.screen();
  tmux.keys({"Enter"});
  ASSERT_TRUE(tmux.waitFor("Detail button tapped", false)) << tmux.screen();

  tmux.keys({"F2", "Down", "Enter"});  // "Show Alert" again, chosen with the arrows
  ASSERT_TRUE(tmux.waitFor("Something happened")) << tmux.screen();
  tmux.keys({"Enter"});
  ASSERT_TRUE(tmux.waitFor("Something happened", false)) << tmux.screen();
  // Clicks: the Action button, then the menu's entry.
  ASSERT_TRUE(tmux.clickOn("[Action]"));
  ASSERT_TRUE(tmux.waitFor("1  Clear")) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn("1  Clear"));  // Clear empties the log
  ASSERT_TRUE(tmux.waitFor("[Received 10:00:00]hello", false)) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn("Wireless"));  // a click on a row taps it; on the switch, flips it
  ASSERT_TRUE(tmux.clickOn("[OFF]"));
  ASSERT_TRUE(tmux.waitFor("[Switch ON]")) << tmux.screen();
  // A modally presented screen shows its own bar; a click on its "Done" ends it.
  tmux.keys({"F2", "3"});
  ASSERT_TRUE(tmux.waitFor("F2 Done")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("About"), std::string::npos);
  ASSERT_TRUE(tmux.clickOn("[Done]"));
  ASSERT_TRUE(tmux.waitFor("Wireless")) << tmux.screen();

  tmux.keys({"Tab", "x", "C-c"});  // Ctrl-C quits even while editing
  ASSERT_TRUE(tmux.waitFor("exit status")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("icanon echo exit status 0"), std::string::npos) << tmux.screen();
}

TEST(TerminalEndToEnd, SuspendGoesToTheBackgroundAndResizeRedraws) {
  Watchdog dog(std::chrono::seconds(240));
  TmuxSession tmux(fixtureCommand());
  ASSERT_TRUE(tmux.waitFor("Wireless")) << tmux.screen();
  const int fixture = childOf(tmux.panePid());
  ASSERT_GT(fixture, 0);
  tmux.keys({"C-z"});
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (processState(fixture) != 'T' && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_EQ(processState(fixture), 'T');
  ASSERT_EQ(kill(fixture, SIGCONT), 0);
  ASSERT_TRUE(tmux.waitFor("[foreground]")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("[background]"), std::string::npos);

  tmux.resize(24, 6);
  ASSERT_TRUE(tmux.waitFor("too small")) << tmux.screen();
  tmux.resize(80, 24);
  ASSERT_TRUE(tmux.waitFor("Wireless")) << tmux.screen();
  tmux.keys({"q"});
  ASSERT_TRUE(tmux.waitFor("exit status 0")) << tmux.screen();
}

TEST(TerminalEndToEnd, WithoutAUsableTerminalItSaysSoAndExitsWithStatusTwo) {
  Watchdog dog(std::chrono::seconds(120));
  int status = 0;
  runProgram({kFixture}, &status);  // stdout is a pipe
  EXPECT_EQ(status, 2);
  TmuxSession tmux(fixtureCommand("TERM=zt-no-such-terminal"));
  ASSERT_TRUE(tmux.waitFor("exit status 2")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("unknown terminal type \"zt-no-such-terminal\""),
            std::string::npos)
      << tmux.screen();
}

}  // namespace
}  // namespace zt::test
