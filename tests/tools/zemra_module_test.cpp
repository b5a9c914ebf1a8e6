// Runs the built zemra-module as a real process in each mode, on a pseudo-terminal and on a
// loopback TCP port, and talks to it as a client would.
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using namespace std::chrono_literals;

// Reads from `fd` until `count` bytes, a line end (when `line`) or `limit`.
std::string readFrom(int fd, std::size_t count, bool line,
                     std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  std::string got;
  const auto end = std::chrono::steady_clock::now() + limit;
  while (got.size() < count && std::chrono::steady_clock::now() < end) {
    if (line && !got.empty() && got.back() == '\n') break;
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, 20) <= 0) continue;
    char c[4096];
    const ssize_t n = ::read(fd, c, line ? 1 : std::min(sizeof c, count - got.size()));
    if (n <= 0) break;
    got.append(c, static_cast<std::size_t>(n));
  }
  return got;
}

bool writeAll(int fd, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EAGAIN) {
      pollfd pfd{fd, POLLOUT, 0};
      ::poll(&pfd, 1, 1000);
      continue;
    }
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The module as a child process with its standard output on a pipe.
class Module {
 public:
  explicit Module(std::vector<std::string> args) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) < 0 || ::pipe2(err, O_CLOEXEC) < 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::dup2(err[1], 2);
      std::vector<char*> argv = {const_cast<char*>(ZT_MODULE_TOOL)};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(ZT_MODULE_TOOL, argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~Module() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      wait();
    }
    ::close(out_);
    ::close(err_);
  }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  std::string line() {
    std::string text = readFrom(out_, 4096, true);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  std::string errors() { return readFrom(err_, 4096, false, 2s); }
  void signal(int number) { ::kill(pid_, number); }
  int wait() {
    int status = 0;
    if (::waitpid(pid_, &status, 0) < 0) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
};

int openRaw(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios tio{};
  if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
  }
  return fd;
}

int connectTo(const std::string& address) {
  const auto colon = address.rfind(':');
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (::getaddrinfo(address.substr(0, colon).c_str(), address.substr(colon + 1).c_str(), &hints,
                    &list) != 0) {
    return -1;
  }
  const int fd = ::socket(list->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool ok = fd >= 0 && ::connect(fd, list->ai_addr, list->ai_addrlen) == 0;
  ::freeaddrinfo(list);
  if (!ok && fd >= 0) ::close(fd);
  return ok ? fd : -1;
}

TEST(ZemraModuleTest, PtyEchoesThroughALinkAndKeepsBytesBetweenClients) {
  test::Watchdog dog;
  const auto link = std::filesystem::temp_directory_path() /
                    ("zt-module-" + std::to_string(::getpid()));
  Module module({"--pty", "--link", link.string()});
  const std::string slave = module.line();
  ASSERT_EQ(slave.rfind("/dev/pts/", 0), 0u) << slave << module.errors();
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), slave);

  for (int client = 0; client < 2; ++client) {  // a client leaving does not end the module
    const int fd = openRaw(link.string());
    ASSERT_GE(fd, 0);
    std::string text = "hello\r\n";
    for (int i = 0; i < 2000; ++i) text += static_cast<char>(i % 256);
    ASSERT_TRUE(writeAll(fd, text.data(), text.size()));
    EXPECT_EQ(readFrom(fd, text.size(), false), text);
    ::close(fd);
  }
  module.signal(SIGTERM);
  EXPECT_EQ(module.wait(), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link goes with the module";
}

TEST(ZemraModuleTest, TcpEchoAnnouncesTheRealPort) {
  test::Watchdog dog;
  Module module({"--listen", "127.0.0.1:0"});
  const std::string address = module.line();
  ASSERT_EQ(address.rfind("127.0.0.1:", 0), 0u) << address << module.errors();
  EXPECT_NE(address, "127.0.0.1:0");
  const int a = connectTo(address);
  const int b = connectTo(address);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  ASSERT_TRUE(writeAll(a, "first", 5));
  ASSERT_TRUE(writeAll(b, "second", 6));
  EXPECT_EQ(readFrom(b, 6, false), "second");
  EXPECT_EQ(readFrom(a, 5, false), "first");
  ::close(a);
  ::close(b);
  module.signal(SIGINT);
  EXPECT_EQ(module.wait(), 0);
}

TEST(ZemraModuleTest, SinkCountsWhatArrivedAndReportsOnSignalOrTimeLimit) {
  test::Watchdog dog;
  {
    Module module({"--listen", "127.0.0.1:0", "--mode", "sink"});
    const int fd = connectTo(module.line());
    ASSERT_GE(fd, 0);
    const std::string data(20000, 'q');
    ASSERT_TRUE(writeAll(fd, data.data(), data.size()));
    ::close(fd);
    module.signal(SIGTERM);
    const std::string report = module.line();
    EXPECT_EQ(report.rfind("received 20000 bytes in ", 0), 0u) << report;
    EXPECT_NE(report.find(" s ("), std::string::npos) << report;
    EXPECT_NE(report.find(" B/s)"), std::string::npos) << report;
    EXPECT_EQ(module.wait(), 0);
  }
  Module timed({"--pty", "--mode", "sink", "--seconds", "0.2"});
  ASSERT_FALSE(timed.line().empty());
  EXPECT_EQ(timed.line().rfind("received 0 bytes in ", 0), 0u);
  EXPECT_EQ(timed.wait(), 0);
}

TEST(ZemraModuleTest, QuorvelModeOpensPacketsPrintsAndAnswersEnciphered) {
  test::Watchdog dog;
  const std::string key = "0123456789ABCDEF";
  QuorvelSetKey(std::span(reinterpret_cast<const std::uint8_t*>(key.data()), key.size()));
  Module module({"--listen", "127.0.0.1:0", "--mode", "quorvel", "--key", key});
  const int fd = connectTo(module.line());
  ASSERT_GE(fd, 0);

  // Two packets in one write: each is printed and answered.
  std::vector<std::uint8_t> train;
  for (const std::string text : {"hello module", "second packet"}) {
    std::uint8_t packet[kQuorvelMaxCiphertext + 2];
    const auto n = QuorvelEncipher(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), packet);
    train.insert(train.end(), packet, packet + n);
  }
  ASSERT_TRUE(writeAll(fd, train.data(), train.size()));
  EXPECT_EQ(module.line(), "hello module");
  EXPECT_EQ(module.line(), "second packet");
  const std::string answer = readFrom(fd, 16 + 2 + 16 + 2, false);
  ASSERT_EQ(answer.size(), 36u);
  std::uint8_t plain[kQuorvelMaxPlaintext];
  const auto first = QuorvelDecipher(
      std::span(reinterpret_cast<const std::uint8_t*>(answer.data()), 18), plain);
  ASSERT_TRUE(first);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(plain), *first), "hello module");
  ::close(fd);
  module.signal(SIGTERM);
  EXPECT_EQ(module.wait(), 0);
}

TEST(ZemraModuleTest, RejectsBadCommandLines) {
  test::Watchdog dog;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--listen", "127.0.0.1:70000"}, "bad port"},
      {{"--listen", "nohostport"}, "HOST:PORT"},
      {{"--pty", "--mode", "quorvel"}, "--key"},
      {{"--pty", "--mode", "loud"}, "unknown --mode"},
      {{"--mode", "echo"}, "exactly one of"},
      {{"--listen", "127.0.0.1:0", "--link", "/tmp/x"}, "--link needs --pty"},
      {{"--pty", "--seconds", "-1"}, "bad --seconds"},
  };
  for (const auto& [args, expected] : cases) {
    Module module(args);
    EXPECT_EQ(module.wait(), 2) << args.back();
    EXPECT_NE(module.errors().find(expected), std::string::npos) << args.back();
  }
}

}  // namespace
}  // namespace zt
