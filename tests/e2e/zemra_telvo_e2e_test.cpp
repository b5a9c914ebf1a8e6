// zemra-telvo end to end: the real program in a terminal (tmux) against module emulators on
// pseudo-terminals, each run with its own data folder and without the demo module. Rows are
// picked by their text, since a machine may list serial ports of its own.
#include <gtest/gtest.h>

#include <string>

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
  Module(const std::string& link, const std::string& mode)
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

TEST(ZemraTelvoEndToEnd, KeyAndQuorvelAreKeptAcrossRuns) {
  Watchdog dog(std::chrono::seconds(240));
  TempDir data;
  Module echo((data.path() / "echo").string(), "echo");
  ASSERT_TRUE(echo.ready());
  for (int run = 0; run < 2; ++run) {
    TmuxSession tmux(Telvo(data, {echo.link()}));
    ASSERT_TRUE(tmux.waitFor("Local Device Information")) << tmux.screen();
    if (run == 0) {
      ASSERT_TRUE(tmux.clickOn("Accessory Devices List"));
      ASSERT_TRUE(tmux.waitFor(echo.link())) << tmux.screen();
      tmux.keys({"Escape"});
      ASSERT_TRUE(tmux.waitFor("[OFF]")) << tmux.screen();
      ASSERT_TRUE(tmux.clickOn("Quorvel key"));
      ASSERT_TRUE(tmux.waitFor("16 bytes in ASCII")) << tmux.screen();
      tmux.keys({"Enter"});  // edit the key's field
      tmux.type(kKey);
      ASSERT_TRUE(tmux.waitFor(kKey)) << tmux.screen();
      tmux.keys({"F2"});  // OK
      ASSERT_TRUE(tmux.waitFor("[OFF]")) << tmux.screen();
      ASSERT_TRUE(tmux.clickOn("[OFF]"));
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
