#include "tmux_session.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/io.h"

namespace zt::test {

TmuxSession::TmuxSession(const std::string& shellCommand, int width, int height) {
  static std::atomic<int> counter{0};
  socket_ = "zt-e2e-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  if (runProgram({"tmux", "-L", socket_, "-f", "/dev/null", "new-session", "-d", "-x",
                  std::to_string(width), "-y", std::to_string(height), shellCommand})
          .status != 0) {
    throw std::runtime_error("tmux new-session failed");
  }
}

TmuxSession::~TmuxSession() { tmux({"kill-server"}); }

std::string TmuxSession::tmux(std::vector<std::string> args) const {
  args.insert(args.begin(), {"tmux", "-L", socket_});
  return runProgram(args).out;
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
