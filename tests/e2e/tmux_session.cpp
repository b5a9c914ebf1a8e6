#include "tmux_session.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

namespace zt::test {

std::string runProgram(const std::vector<std::string>& args, int* status, bool capture) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // A program that leaves a daemon behind (the tmux server) must not hold the pipe open.
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (capture) {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (error != 0) {
    close(pipeFds[0]);
    throw std::system_error(error, std::generic_category(), "posix_spawnp " + args[0]);
  }
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    output.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipeFds[0]);
  int wstatus = 0;
  pid_t waited = 0;
  do {
    waited = waitpid(pid, &wstatus, 0);
  } while (waited < 0 && errno == EINTR);
  if (status) *status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return output;
}

TmuxSession::TmuxSession(const std::string& shellCommand, int width, int height) {
  static std::atomic<int> counter{0};
  socket_ = "zt-e2e-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  int status = 0;
  runProgram({"tmux", "-L", socket_, "-f", "/dev/null", "new-session", "-d", "-x",
              std::to_string(width), "-y", std::to_string(height), shellCommand},
             &status, false);
  if (status != 0) throw std::runtime_error("tmux new-session failed");
}

TmuxSession::~TmuxSession() {
  try {
    runProgram({"tmux", "-L", socket_, "kill-server"}, nullptr, false);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tmux kill-server: %s\n", error.what());
  }
}

std::string TmuxSession::tmux(std::vector<std::string> args) const {
  args.insert(args.begin(), {"tmux", "-L", socket_});
  return runProgram(args);
}

std::string TmuxSession::screen() const { return tmux({"capture-pane", "-p"}); }

void TmuxSession::keys(const std::vector<std::string>& names) const {
  std::vector<std::string> args{"send-keys"};
  args.insert(args.end(), names.begin(), names.end());
  tmux(args);
}

void TmuxSession::type(const std::string& text) const { tmux({"send-keys", "-l", text}); }

bool TmuxSession::waitFor(const std::string& text, bool present) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((screen().find(text) != std::string::npos) != present) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool TmuxSession::clickOn(const std::string& text) const {
  std::istringstream lines(screen());
  std::string line;
  for (int y = 0; std::getline(lines, line); ++y) {
    const auto at = line.find(text);
    if (at == std::string::npos) continue;
    int x = 0;  // cells before the text: characters, not bytes
    for (std::size_t i = 0; i < at; ++i) x += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
    const std::string cell{static_cast<char>(33 + x), static_cast<char>(33 + y)};
    std::string click = "\x1b[M ";  // in one write: a press and a release, not a hold
    click.append(cell).append("\x1b[M#").append(cell);
    type(click);
    return true;
  }
  return false;
}

std::string TmuxSession::title() const {
  std::string title = tmux({"display-message", "-p", "#{pane_title}"});
  if (!title.empty() && title.back() == '\n') title.pop_back();
  return title;
}

int TmuxSession::panePid() const {
  return std::stoi(tmux({"display-message", "-p", "#{pane_pid}"}));
}

void TmuxSession::resize(int width, int height) const {
  tmux({"resize-window", "-x", std::to_string(width), "-y", std::to_string(height)});
}

}  // namespace zt::test
