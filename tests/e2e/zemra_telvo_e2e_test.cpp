// zemra-telvo end to end: the real program in a terminal (tmux) against module emulators on
// pseudo-terminals, each run with its own data folder and without the demo module. Rows are
// picked by their text, since a machine may list serial ports of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/io.h"
#include "support/watchdog.h"
#include "tmux_session.h"

namespace zt::test {
namespace {

const std::string kTelvo = ZT_TELVO;
const std::string kModule = ZT_MODULE;
constexpr char kKey[] = "0123456789abcdef";

// A module emulator serving a pseudo-terminal linked at `link`.
class Module {
 public:
  Module(const std::string& link, const char* mode)
      : child_({kModule, "--pty", "--link", link, "--mode", mode, "--key", kKey}),
        link_(link) {
    ready_ = !child_.line().empty();
  }
  bool ready() const { return ready_; }
  const std::string& link() const { return link_; }
  Child& child() { return child_; }

 private:
  Child child_;
  std::string link_;
  bool ready_ = false;
};

// The program in a pane; the shell then reports its exit status and stays.
std::string Telvo(const TempDir& data, const std::vector<std::string>& devices) {
  std::string command = kTelvo + " --no-demo --data-dir " + data.path().string();
  for (const auto& device : devices) command += " --device " + device;
  return command + "; echo \"exit status $?\"; exec sleep 600";
}

// Waits until one line of the screen holds both `first` and, after it, `then`.
bool WaitForLine(const TmuxSession& tmux, const std::string& first, const std::string& then) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < end) {
    std::istringstream lines(tmux.screen());
    for (std::string line; std::getline(lines, line);) {
      const auto at = line.find(first);
      if (at != std::string::npos && line.find(then, at + first.size()) != std::string::npos) {
        return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// Opens the transfer screen of the module at `link`, from the main screen.
void OpenTransferScreen(const TmuxSession& tmux, const std::string& link) {
  ASSERT_TRUE(tmux.clickOn("Accessory Devices List"));
  ASSERT_TRUE(tmux.waitFor(link)) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn(link));
  ASSERT_TRUE(tmux.waitFor("Received")) << tmux.screen();
}

// Types `text` into the send field and sends it.
void Send(const TmuxSession& tmux, const std::string& text) {
  tmux.keys({"Tab"});
  tmux.type(text);
  tmux.keys({"Enter"});
}

TEST(ZemraTelvoEndToEnd, SessionSendsReceivesAndTakesSettingsThenQuits) {
  Watchdog dog(std::chrono::seconds(240));
  TempDir data;
  Module echo((data.path() / "echo").string(), "echo");
  ASSERT_TRUE(echo.ready());
  TmuxSession tmux(Telvo(data, {echo.link()}));
  ASSERT_TRUE(tmux.waitFor("Local Device Information")) << tmux.screen();
  OpenTransferScreen(tmux, echo.link());
  Send(tmux, "hello there");
  ASSERT_TRUE(WaitForLine(tmux, "[Sent ", "]hello there")) << tmux.screen();
  ASSERT_TRUE(WaitForLine(tmux, "Received", " 11")) << tmux.screen();

  tmux.keys({"F2"});
  ASSERT_TRUE(tmux.waitFor("1  Settings")) << tmux.screen();
  tmux.keys({"1"});
  ASSERT_TRUE(tmux.waitFor("Repetitions")) << tmux.screen();
  ASSERT_TRUE(tmux.clickOn("100]"));  // the repetitions' field: editing on the number pad
  ASSERT_TRUE(tmux.waitFor("[ Done ]")) << tmux.screen();
  tmux.keys({"BSpace", "BSpace", "BSpace", "3", "Enter"});  // Enter is the pad's Done key
  ASSERT_TRUE(tmux.waitFor("[ Done ]", false)) << tmux.screen();
  EXPECT_TRUE(WaitForLine(tmux, "Total Characters", " 189")) << tmux.screen();
  tmux.keys({"F2"});  // OK
  ASSERT_TRUE(tmux.waitFor("Sent")) << tmux.screen();
  tmux.keys({"F2", "3"});  // Send Test File Data: 3 lines, echoed
  ASSERT_TRUE(tmux.waitFor("the app finish sending test file data operation")) << tmux.screen();

  tmux.keys({"q"});  // with the transfer screen open
  ASSERT_TRUE(tmux.waitFor("exit status 0")) << tmux.screen();
}

TEST(ZemraTelvoEndToEnd, KeyAndQuorvelEncipherTheSessionAndAreKeptAcrossRuns) {
  Watchdog dog(std::chrono::seconds(240));
  TempDir data;
  Module quorvel((data.path() / "quorvel").string(), "quorvel");
  ASSERT_TRUE(quorvel.ready());
  for (int run = 0; run < 2; ++run) {
    TmuxSession tmux(Telvo(data, {quorvel.link()}));
    ASSERT_TRUE(tmux.waitFor("Local Device Information")) << tmux.screen();
    if (run == 0) {
      ASSERT_TRUE(tmux.clickOn("Quorvel key"));
      ASSERT_TRUE(tmux.waitFor("16 bytes in ASCII")) << tmux.screen();
      tmux.keys({"Enter"});  // edit the key's field
      tmux.type(kKey);
      ASSERT_TRUE(tmux.waitFor(kKey)) << tmux.screen();
      tmux.keys({"F2"});  // OK
      ASSERT_TRUE(tmux.waitFor("[OFF]")) << tmux.screen();
      ASSERT_TRUE(tmux.clickOn("[OFF]"));
      ASSERT_TRUE(tmux.waitFor("[ON ]")) << tmux.screen();
      OpenTransferScreen(tmux, quorvel.link());
      Send(tmux, "secret words");
      EXPECT_EQ(quorvel.child().line(), "secret words") << "the module deciphered it";
      ASSERT_TRUE(WaitForLine(tmux, "[Received ", "]secret words")) << tmux.screen();
      tmux.keys({"Escape", "Escape"});  // back to the main screen
    }
    ASSERT_TRUE(tmux.waitFor("[ON ]")) << tmux.screen();
    ASSERT_TRUE(tmux.clickOn("Quorvel key"));
    ASSERT_TRUE(tmux.waitFor(kKey)) << tmux.screen();
    tmux.keys({"Escape"});  // Cancel
    ASSERT_TRUE(tmux.waitFor("[ON ]")) << tmux.screen();
    tmux.keys({"q"});
    ASSERT_TRUE(tmux.waitFor("exit status 0")) << tmux.screen();
  }
}

}  // namespace
}  // namespace zt::test
