// zemra-telvo end to end: the real program in a terminal (tmux) against two module emulators on
// pseudo-terminals (one echoes, one answers Quorvel packets), with a data folder of its own and
// without the demo module. Rows are picked by their text: a machine may list ports of its own.
#include <gtest/gtest.h>

#include <string>

#include "support/io.h"
#include "support/watchdog.h"
#include "tmux_session.h"

namespace zt::test {
namespace {

constexpr char kKey[] = "0123456789abcdef";

TEST(ZemraTelvoEndToEnd, SessionSettingsKeyAndQuorvelThenTheNextRunKeepsThem) {
  Watchdog dog(std::chrono::seconds(240));
  TempDir data;
  const std::string echo = (data.path() / "echo").string();
  const std::string quorvel = (data.path() / "quorvel").string();
  Child echoModule({ZT_MODULE, "--pty", "--link", echo});
  Child quorvelModule({ZT_MODULE, "--pty", "--link", quorvel, "--mode", "quorvel", "--key", kKey});
  ASSERT_FALSE(echoModule.line().empty() || quorvelModule.line().empty());
  const std::string command = std::string(ZT_TELVO) + " --no-demo --data-dir " +
                              data.path().string() + " --device " + echo + " --device " + quorvel +
                              "; echo \"exit status $?\"; exec sleep 600";
  // Opens the transfer screen of the module at `link` from the main screen, sends `text` and
  // waits for what comes back.
  const auto exchange = [](const TmuxSession& tmux, const std::string& link, const char* text) {
    ASSERT_TRUE(tmux.clickOn("Accessory Devices List") && tmux.waitFor(link)) << tmux.screen();
    ASSERT_TRUE(tmux.clickOn(link) && tmux.waitFor("Received")) << tmux.screen();
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
    ASSERT_TRUE(tmux.waitFor("exit status 0")) << tmux.screen();
  }
  TmuxSession tmux(command);
  ASSERT_TRUE(tmux.waitFor("[ON ]") && tmux.clickOn("Quorvel key")) << tmux.screen();
  ASSERT_TRUE(tmux.waitFor(kKey)) << tmux.screen();
  tmux.keys({"Escape", "q"});  // Cancel, quit
  ASSERT_TRUE(tmux.waitFor("exit status 0")) << tmux.screen();
}

}  // namespace
}  // namespace zt::test
