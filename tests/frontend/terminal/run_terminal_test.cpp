// RunTerminal on a real pseudo-terminal, in a child process of its own: a screen that throws
// ends the run with the terminal given back in its usual mode and one line on stderr.
#include "frontend/terminal/run_terminal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "platform/runloop/run_loop.h"
#include "platform/ui/application.h"
#include "support/watchdog.h"

namespace zt::term {
namespace {

class ThrowingDelegate : public ApplicationDelegate {
 public:
  bool didFinishLaunchingWithOptions(Application&, const LaunchOptions&) override {
    RunLoop::main().post([] { throw std::runtime_error("a screen broke"); });
    return true;
  }
};

// Runs RunTerminal in a child on the terminal `slave`; returns its exit status and what it
// wrote on stderr. What it draws stays in the terminal's buffer, which holds far more.
std::pair<int, std::string> runOn(const char* slave) {
  int err[2];
  if (pipe2(err, O_CLOEXEC) != 0) return {-1, "pipe2 failed"};
  (void)std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int tty = open(slave, O_RDWR);
    if (tty < 0 || dup2(tty, 0) < 0 || dup2(tty, 1) < 0 || dup2(err[1], 2) < 0) _exit(99);
    setenv("TERM", "xterm", 1);  // NOLINT(concurrency-mt-unsafe): the child's only thread
    Application::shared().setDelegate(std::make_shared<ThrowingDelegate>());
    _exit(RunTerminal());
  }
  close(err[1]);
  std::string told;
  char chunk[256];
  for (ssize_t n = 0; (n = read(err[0], chunk, sizeof chunk)) > 0;) {
    told.append(chunk, static_cast<std::size_t>(n));
  }
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, told};
}

TEST(RunTerminal, AScreenThatThrowsEndsTheRunWithTheTerminalBackAndOneLine) {
  zt::test::Watchdog dog;
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char slave[64];
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 &&
              ptsname_r(master, slave, sizeof slave) == 0);
  const winsize size{24, 80, 0, 0};
  ASSERT_EQ(ioctl(master, TIOCSWINSZ, &size), 0);
  const int kept = open(slave, O_RDWR | O_NOCTTY | O_CLOEXEC);  // keeps its modes readable
  const auto [status, told] = runOn(slave);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(told, "zemra-telvo: a screen broke\n");
  termios modes{};
  ASSERT_EQ(tcgetattr(kept, &modes), 0);
  EXPECT_EQ(modes.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
  close(kept);
  close(master);
}

}  // namespace
}  // namespace zt::term
