// Test support for tests that use the system as a person would: a temporary folder, whole
// writes and patient reads on descriptors, and a program run as a child with its standard
// streams on pipes. Reads wait with a generous deadline; none of these sleeps a fixed time.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zt::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zt-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes all of `data`, waiting for room when the descriptor is non-blocking.
inline bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n > 0) {
      data.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    pollfd pfd{fd, POLLOUT, 0};
    if (n == 0 || errno != EAGAIN || ::poll(&pfd, 1, 20000) <= 0) return false;
  }
  return true;
}

// Reads until `count` bytes came, the descriptor ended, `limit` passed or, with `oneLine`, a
// line ended.
inline std::string readFor(int fd, std::size_t count,
                           std::chrono::milliseconds limit = std::chrono::seconds(20),
                           bool oneLine = false) {
  std::string got;
  const auto end = std::chrono::steady_clock::now() + limit;
  while (got.size() < count && !(oneLine && !got.empty() && got.back() == '\n') &&
         std::chrono::steady_clock::now() < end) {
    if (pollfd pfd{fd, POLLIN, 0}; ::poll(&pfd, 1, 20) <= 0) continue;
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, oneLine ? 1 : std::min(sizeof chunk, count - got.size()));
    if (n <= 0) break;
    got.append(chunk, static_cast<std::size_t>(n));
  }
  return got;
}

// A program (looked up on PATH) running as a child, its standard input, output and error on
// pipes; killed and reaped when the object goes unless it was waited for. With `ownGroup` it
// leads a process group of its own, and its whole group is killed.
class Child {
 public:
  explicit Child(std::vector<std::string> argv, bool ownGroup = false) : ownGroup_(ownGroup) {
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
    // Standard input, output and error: pipes[i][1] becomes the child's descriptor i, [0] is ours.
    int pipes[3][2];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int i = 0; i < 3; ++i) {
      if (::pipe2(pipes[i], O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
      if (i == 0) std::swap(pipes[0][0], pipes[0][1]);
      posix_spawn_file_actions_adddup2(&actions, pipes[i][1], i);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (ownGroup) {
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
      posix_spawnattr_setpgroup(&attributes, 0);
    }
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    if (::posix_spawnp(&pid_, args[0], &actions, &attributes, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    for (int i = 0; i < 3; ++i) {
      ::close(pipes[i][1]);
      fds_[i] = pipes[i][0];
    }
  }
  ~Child() {
    if (pid_ > 0) {
      ::kill(ownGroup_ ? -pid_ : pid_, SIGKILL);
      wait();
    }
    for (int fd : fds_) {
      if (fd >= 0) ::close(fd);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  int in() const { return fds_[0]; }
  int out() const { return fds_[1]; }
  int err() const { return fds_[2]; }
  void closeInput() {
    ::close(fds_[0]);
    fds_[0] = -1;
  }
  void signal(int number) const { ::kill(pid_, number); }
  // One line of standard output without its line end.
  std::string line() {
    std::string text = readFor(fds_[1], 4096, std::chrono::seconds(20), true);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  // The exit status, or -1 when the child did not exit normally.
  int wait() {
    int status = 0;
    const bool reaped = pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_;
    pid_ = -1;
    return reaped && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  bool ownGroup_;
  pid_t pid_ = -1;
  int fds_[3] = {-1, -1, -1};  // our ends of its standard input, output and error
};

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a program to its end on `input` (which fits a pipe's buffer) and collects its output.
inline Outcome runProgram(std::vector<std::string> argv, std::string_view input = {}) {
  Child child(std::move(argv));
  writeAll(child.in(), input);
  child.closeInput();
  Outcome outcome;
  outcome.out = readFor(child.out(), std::string::npos, std::chrono::seconds(60));
  outcome.err = readFor(child.err(), std::string::npos, std::chrono::seconds(60));
  outcome.status = child.wait();
  return outcome;
}

// The whole content of a file; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace zt::test
