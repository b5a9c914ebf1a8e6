// Runs the built zemra-quorvel with real pipes and checks what it writes and how it exits.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"
#include "support/watchdog.h"

namespace zt {
namespace {

struct Outcome {
  int status = -1;  // exit status, -1 if the program did not exit normally
  std::string out;
  std::string err;
};

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Feeds `input` to the program's standard input while collecting its standard output and error.
void Pump(int in, int out, int err, const std::string& input, Outcome& outcome) {
  std::size_t written = 0;
  if (input.empty()) CloseFd(in);
  while (out >= 0 || err >= 0) {
    pollfd fds[3] = {{in, POLLOUT, 0}, {out, POLLIN, 0}, {err, POLLIN, 0}};
    if (poll(fds, 3, -1) < 0 && errno != EINTR) {
      ADD_FAILURE() << "poll: " << std::strerror(errno);
      break;
    }
    if (in >= 0 && fds[0].revents != 0) {
      const ssize_t n = write(in, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 || written == input.size()) CloseFd(in);
    }
    for (int index : {1, 2}) {
      if (fds[index].fd < 0 || fds[index].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[index].fd, buffer, sizeof buffer);
      std::string& sink = index == 1 ? outcome.out : outcome.err;
      if (n > 0) sink.append(buffer, static_cast<std::size_t>(n));
      if (n <= 0) CloseFd(index == 1 ? out : err);
    }
  }
  for (int* fd : {&in, &out, &err}) CloseFd(*fd);
}

Outcome RunProgram(std::vector<std::string> args, const std::string& input) {
  std::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2];
  Outcome outcome;
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe2: " << std::strerror(errno);
    return outcome;
  }
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  Pump(in[1], out[0], err[0], input, outcome);
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    outcome.status = WEXITSTATUS(status);
  }
  return outcome;
}

Outcome Tool(std::vector<std::string> args, const std::string& input = {}) {
  args.insert(args.begin(), ZT_QUORVEL_TOOL);
  return RunProgram(std::move(args), input);
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : bytes) text += {kDigits[c >> 4], kDigits[c & 15]};
  return text;
}

std::string RandomBytes(std::mt19937& random, std::size_t count) {
  std::string bytes(count, '\0');
  for (auto& c : bytes) c = static_cast<char>(random() & 0xff);
  return bytes;
}

const std::string kKey = "Zemra-Telvo-0123";

TEST(ZemraQuorvel, HelpAndKnownAnswer) {
  test::Watchdog watchdog;
  const Outcome help = Tool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: zemra-quorvel"), std::string::npos);
  EXPECT_EQ(help.err, "");

  const Outcome known = Tool({"blocks-encipher", "--hex", "--key-hex",
                              "133457799BBCDFF1133457799bbcdff1"},
                             " 01 23 45 67\n89 ab\tcd ef\n");
  EXPECT_EQ(known.status, 0);
  EXPECT_EQ(known.out, "85e813540f0ab405\n");

  // --key uses the characters' byte values.
  const Outcome byText = Tool({"blocks-encipher", "--key", kKey}, "abc");
  const Outcome byHex = Tool({"blocks-encipher", "--key-hex=" + Hex(kKey)}, "abc");
  EXPECT_EQ(byText.status, 0);
  EXPECT_EQ(byText.out.size(), 8U);
  EXPECT_EQ(byText.out, byHex.out);
}

TEST(ZemraQuorvel, PacketsRoundTripAndMatchTheLibrary) {
  test::Watchdog watchdog;
  QuorvelSetKey({reinterpret_cast<const std::uint8_t*>(kKey.data()), kKey.size()});
  std::mt19937 random(5);
  for (std::size_t n : {0U, 1U, 8U, 9U, 100U, 392U}) {
    const std::string plain = RandomBytes(random, n);
    const Outcome packet = Tool({"encipher", "--key", kKey}, plain);
    ASSERT_EQ(packet.status, 0) << packet.err;
    ASSERT_EQ(packet.out.size(), ((n + 7) & ~std::size_t{7}) + 2);
    std::vector<std::uint8_t> opened(400);
    const std::vector<std::uint8_t> bytes(packet.out.begin(), packet.out.end());
    EXPECT_EQ(QuorvelDecipher(bytes, opened), n);
    EXPECT_EQ(std::string(opened.begin(), opened.begin() + static_cast<std::ptrdiff_t>(n)),
              plain);

    const Outcome back = Tool({"decipher", "--hex", "--key", kKey}, Hex(packet.out) + "\n");
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, Hex(plain) + "\n");
  }
}

// The full path of a program on PATH, or "" if there is none.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = dir + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

TEST(ZemraQuorvel, BlocksAgreeWithTheOpensslCommand) {
  test::Watchdog watchdog;
  const std::string openssl = FindProgram("openssl");
  if (openssl.empty()) GTEST_SKIP() << "no openssl program";
  std::mt19937 random(9);
  for (int round = 0; round < 6; ++round) {
    const std::string keyHex = Hex(RandomBytes(random, 16));
    std::string plain = RandomBytes(random, random() % 300);
    const Outcome ours = Tool({"blocks-encipher", "--key-hex", keyHex}, plain);
    plain.resize((plain.size() + 7) & ~std::size_t{7}, '\0');
    const Outcome theirs = RunProgram({openssl, "enc", "-des-ede", "-nopad", "-K", keyHex}, plain);
    ASSERT_EQ(theirs.status, 0) << theirs.err;
    EXPECT_EQ(ours.status, 0);
    EXPECT_EQ(ours.out, theirs.out);
    const Outcome back = Tool({"blocks-decipher", "--key-hex", keyHex}, theirs.out);
    EXPECT_EQ(back.out, plain);
  }
}

TEST(ZemraQuorvel, BadInputGivesOneLineAndStatus2) {
  test::Watchdog watchdog;
  const std::string packet = Tool({"encipher", "--key", kKey}, "hello, module").out;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"encipher", "--key", "Zemra-Telvo-012"}, "x"},
      {{"encipher", "--key", "Zemra-Telvo-0123\xc3\xa9"}, "x"},
      {{"encipher", "--key-hex", "0123456789abcdef0123456789abcde"}, "x"},
      {{"encipher", "--key-hex", "0123456789abcdef0123456789abcdeg"}, "x"},
      {{"encipher", "--key"}, "x"},
      {{"encipher"}, "x"},
      {{"--key", kKey}, "x"},
      {{"scramble", "--key", kKey}, "x"},
      {{"encipher", "--key", kKey, "--verbose"}, "x"},
      {{"encipher", "--hex", "--key", kKey}, "0g"},
      {{"encipher", "--hex", "--key", kKey}, "012"},
      {{"encipher", "--key", kKey}, std::string(393, 'x')},
      {{"decipher", "--key", kKey}, "x"},
      {{"decipher", "--key", kKey}, std::string(9, 'x')},
      {{"decipher", "--key", kKey}, packet + packet},  // all of the input is one packet
  };
  for (const auto& [args, input] : cases) {
    const Outcome outcome = Tool(args, input);
    SCOPED_TRACE(args.front() + " ... with " + std::to_string(input.size()) + " bytes");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("zemra-quorvel: ", 0), 0U) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
  }
}

}  // namespace
}  // namespace zt
