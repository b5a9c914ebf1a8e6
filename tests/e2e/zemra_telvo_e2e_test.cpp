// zemra-telvo end to end: the real program in a terminal (tmux), with a data folder of its own
// and without the demo module, against module emulators on pseudo-terminals (one echoes, one
// answers Quorvel packets) or a pseudo-terminal the test itself plays the module on. Rows are
// picked by their text: a machine may list ports of its own.
#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/io.h"
#include "support/watchdog.h"
#include "tmux_session.h"

namespace zt::test {
namespace {

constexpr char kKey[] = "0123456789abcdef";

// The program in the pane; after it ends, whether the terminal is back in its usual mode (line
// editing and echo on) and its exit status are printed, and the pane stays to be read.
std::string telvoCommand(const TempDir& data, const std::vector<std::string>& devices,
                         const std::string& options = "") {
  std::string command =
      std::string(ZT_TELVO) + " --no-demo --data-dir " + data.path().string() + options;
  for (const std::string& device : devices) command += " --device " + device;
  return command +
         "; status=$?; stty -a | tr ' ;' '\\n\\n' | grep -x -e icanon -e echo | tr '\\n' ' ';"
         " echo \"exit status $status\"; exec sleep 600";
}

// Opens the transfer screen of the module at `link` from the main screen.
void openSession(const TmuxSession& tmux, const std::string& link) {
  ASSERT_TRUE(tmux.clickOn("Accessory Devices List") && tmux.waitFor(link)) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn(link) && tmux.waitFor("Received")) << tmux.screen();
}

TEST(ZemraTelvoEndToEnd, SessionSettingsKeyAndQuorvelThenTheNextRunKeepsThem) {
  Watchdog dog(std::chrono::seconds(240));
  TempDir data;
  const std::string echo = (data.path() / "echo").string();
  const std::string quorvel = (data.path() / "quorvel").string();
  Child echoModule({ZT_MODULE, "--pty", "--link", echo});
  Child quorvelModule({ZT_MODULE, "--pty", "--link", quorvel, "--mode", "quorvel", "--key", kKey});
  ASSERT_FALSE(echoModule.line().empty() || quorvelModule.line().empty());
  const std::string command = telvoCommand(data, {echo, quorvel});
  // Sends `text` from the transfer screen of the module at `link` and waits for the answer.
  const auto exchange = [](const TmuxSession& tmux, const std::string& link, const char* text) {
    openSession(tmux, link);
    tmux.keys({"Tab"});
    tmux.type(text);
    tmux.keys({"Enter"});
    ASSERT_TRUE(tmux.waitFor("[Received ")) << tmux.screen();
    const std::string shown = tmux.screen();
    EXPECT_NE(shown.find(std::string("]") + text, shown.find("[Received ")), std::string::npos);
  };
  {
    TmuxSession tmux(command);
    ASSERT_TRUE(tmux.waitFor("Local Device Information")) << tmux.screen();
    exchange(tmux, echo, "hello there");
    // History: open it, find a text going back, go back; the session is still open.
    tmux.keys({"F3"});
    ASSERT_TRUE(tmux.waitFor("Following: 2 entries")) << tmux.screen();
    tmux.keys({"/"});
    tmux.type("there");
    tmux.keys({"Enter"});
    ASSERT_TRUE(tmux.waitFor("Paused: 0 new entries")) << tmux.screen();
    tmux.keys({"Escape"});
    ASSERT_TRUE(tmux.waitFor("Paused:", false) && tmux.waitFor("[ Send ]")) << tmux.screen();
    tmux.keys({"Enter"});  // the send field kept the focus
    tmux.type("again");
    tmux.keys({"Enter"});
    ASSERT_TRUE(tmux.waitFor(" 16\n")) << tmux.screen();  // "hello there" and "again" came back
    tmux.keys({"F2"});
    ASSERT_TRUE(tmux.waitFor("1  Settings")) << tmux.screen();
    tmux.keys({"1"});
    ASSERT_TRUE(tmux.waitFor("Repetitions") && tmux.clickOn("100]"));  // on the number pad
    ASSERT_TRUE(tmux.waitFor("[ Done ]")) << tmux.screen();
    tmux.keys({"BSpace", "BSpace", "BSpace", "3", "Enter"});  // Enter is the pad's Done key
    ASSERT_TRUE(tmux.waitFor("[ Done ]", false) && tmux.waitFor(" 189\n")) << tmux.screen();
    tmux.keys({"F2", "Escape", "Escape"});  // OK, then back to the main screen
    ASSERT_TRUE(tmux.waitFor("Quorvel key") && tmux.clickOn("Quorvel key"));
    ASSERT_TRUE(tmux.waitFor("16 bytes in ASCII")) << tmux.screen();
    tmux.keys({"Enter"});  // edits the key's field
    tmux.type(kKey);
    ASSERT_TRUE(tmux.waitFor(kKey)) << tmux.screen();
    tmux.keys({"F2"});  // OK
    ASSERT_TRUE(tmux.waitFor("[OFF]") && tmux.clickOn("[OFF]") && tmux.waitFor("[ON ]"));
    exchange(tmux, quorvel, "secret words");
    EXPECT_EQ(quorvelModule.line(), "secret words") << "the module deciphered it";
    tmux.keys({"q"});  // with the transfer screen open
    ASSERT_TRUE(tmux.waitFor("exit status")) << tmux.screen();
    EXPECT_NE(tmux.screen().find("icanon echo exit status 0"), std::string::npos) << tmux.screen();
  }
  TmuxSession tmux(command);
  ASSERT_TRUE(tmux.waitFor("[ON ]") && tmux.clickOn("Quorvel key")) << tmux.screen();
  ASSERT_TRUE(tmux.waitFor(kKey)) << tmux.screen();
  tmux.keys({"Escape", "q"});  // Cancel, quit
  ASSERT_TRUE(tmux.waitFor("exit status 0")) << tmux.screen();
}

char processState(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto end = line.rfind(')');
  return end == std::string::npos || end + 2 >= line.size() ? '?' : line[end + 2];
}

// The terminal's part: menus, alerts and the modal screen by keys and clicks, a typed text with
// an escape and the line ending, bytes that would steer a terminal shown instead of obeyed, the
// background, resizing, and no usable terminal.
TEST(ZemraTelvoEndToEnd, TheTerminalShowsWhatComesWithoutObeyingItAndSurvivesItsEvents) {
  Watchdog dog(std::chrono::seconds(240));
  TempDir data;
  {
    TmuxSession tmux("TERM=zt-no-such-terminal " + telvoCommand(data, {}));
    ASSERT_TRUE(tmux.waitFor("exit status 2")) << tmux.screen();
    EXPECT_NE(tmux.screen().find("unknown terminal type \"zt-no-such-terminal\""),
              std::string::npos) << tmux.screen();
  }
  // The module is played here, on a pseudo-terminal of the test's own.
  const int module = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char slave[64];
  ASSERT_TRUE(module >= 0 && grantpt(module) == 0 && unlockpt(module) == 0 &&
              ptsname_r(module, slave, sizeof slave) == 0);
  const std::string link = (data.path() / "own").string();
  std::filesystem::create_symlink(slave, link);
  TmuxSession tmux(telvoCommand(data, {link}, " --eol crlf --escapes"));
  ASSERT_TRUE(tmux.waitFor("Local Device Information")) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn("[OFF]") && tmux.waitFor("Please first set Quorvel key"));
  tmux.keys({"Escape", "Escape"});  // the alert's OK, then Cancel on the key screen it opened
  ASSERT_TRUE(tmux.waitFor("Local Device Information")) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn("[Action]") && tmux.waitFor("2  Cancel")) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn("1  About") && tmux.waitFor("Esc Done")) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn("[Done]") && tmux.waitFor("Local Device Information"));

  openSession(tmux, link);
  tmux.keys({"Tab"});
  tmux.type("hi wörld");
  ASSERT_TRUE(tmux.waitFor("[hi wörld")) << tmux.screen();
  tmux.keys({"BSpace", "BSpace", "BSpace", "BSpace"});  // ö goes whole
  ASSERT_TRUE(tmux.waitFor("[hi w   ")) << tmux.screen();
  tmux.type("\\x6frld");  // an escaped "o"
  tmux.keys({"Enter"});
  EXPECT_EQ(readFor(module, 10), "hi world\r\n") << tmux.screen();
  // Arrives with no key pressed: drawn all the same, its escape sequences shown, not obeyed.
  ASSERT_TRUE(writeAll(module, "\x1b]0;pwned\x07\x1b[2Jafter"));
  ASSERT_TRUE(tmux.waitFor("]^[]0;pwned^G^[[2Jafter")) << tmux.screen();
  EXPECT_NE(tmux.title(), "pwned");
  EXPECT_TRUE(tmux.waitFor("[Sent ")) << "the screen was not wiped: " << tmux.screen();

  // Ctrl-Z stops it; continued, it comes back from the background (which leaves the transfer
  // screen) and draws again.
  std::ifstream children("/proc/" + std::to_string(tmux.panePid()) + "/task/" +
                         std::to_string(tmux.panePid()) + "/children");
  int telvo = 0;
  children >> telvo;
  ASSERT_GT(telvo, 0);
  tmux.keys({"C-z"});
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (processState(telvo) != 'T' && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_EQ(processState(telvo), 'T');
  ASSERT_EQ(kill(telvo, SIGCONT), 0);
  ASSERT_TRUE(tmux.waitFor("Received", false) && tmux.waitFor("Accessory List")) << tmux.screen();

  tmux.resize(24, 6);
  ASSERT_TRUE(tmux.waitFor("too small")) << tmux.screen();
  tmux.resize(80, 24);
  ASSERT_TRUE(tmux.waitFor("Accessory List")) << tmux.screen();
  tmux.keys({"C-c"});
  ASSERT_TRUE(tmux.waitFor("exit status")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("icanon echo exit status 0"), std::string::npos) << tmux.screen();
  close(module);
}

}  // namespace
}  // namespace zt::test
