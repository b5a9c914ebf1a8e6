// Runs the built zemra-module as a real process, echoing on a pseudo-terminal and answering
// Quorvel packets on a loopback TCP port, and talks to it as a client would.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>

#include <gtest/gtest.h>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"
#include "support/io.h"
#include "support/watchdog.h"

namespace zt {
namespace {

test::Child Module(std::vector<std::string> args) {
  args.insert(args.begin(), ZT_MODULE_TOOL);
  return test::Child(std::move(args));
}

// Connects to the "127.0.0.1:PORT" the module announced; -1 on failure.
int ConnectTo(const std::string& address) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<std::uint16_t>(std::atoi(address.c_str() + 10)));
  peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

TEST(ZemraModuleTest, PtyEchoesThroughALinkAndKeepsBytesBetweenClients) {
  test::Watchdog dog;
  test::TempDir dir;
  const auto link = dir.path() / "module";
  auto module = Module({"--pty", "--link", link.string()});
  const std::string slave = module.line();
  ASSERT_EQ(slave.rfind("/dev/pts/", 0), 0u) << slave << test::readFor(module.err(), 4096);
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), slave);

  std::string text = "hello\r\n";  // raw: every byte value comes back as it went
  for (int i = 0; i < 2000; ++i) text += static_cast<char>(i % 256);
  for (int client = 0; client < 2; ++client) {  // a client leaving does not end the module
    const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::cfmakeraw(&tio);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
    ASSERT_TRUE(test::writeAll(fd, text));
    EXPECT_EQ(test::readFor(fd, text.size()), text);
    ::close(fd);
  }
  module.signal(SIGTERM);
  EXPECT_EQ(module.wait(), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link goes with the module";
}

TEST(ZemraModuleTest, QuorvelModeOpensPacketsPrintsAndAnswersEnciphered) {
  test::Watchdog dog;
  const std::string key = "0123456789ABCDEF";
  QuorvelSetKey(std::span(reinterpret_cast<const std::uint8_t*>(key.data()), key.size()));
  auto module = Module({"--listen", "127.0.0.1:0", "--mode", "quorvel", "--key", key});
  const int fd = ConnectTo(module.line());
  ASSERT_GE(fd, 0);

  const auto packet = [](const std::string& text) {
    std::uint8_t bytes[kQuorvelMaxCiphertext + 2];
    const auto n = QuorvelEncipher(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), bytes);
    return std::string(reinterpret_cast<const char*>(bytes), n);
  };
  // A stray byte and two packets in one write: each packet is printed and answered.
  ASSERT_TRUE(test::writeAll(fd, "X" + packet("hello module") + packet("second packet")));
  EXPECT_EQ(module.line(), "(dropped 1 bytes that are no Quorvel packets)");
  EXPECT_EQ(module.line(), "hello module");
  EXPECT_EQ(module.line(), "second packet");
  const std::string answer = test::readFor(fd, 16 + 2 + 16 + 2);
  ASSERT_EQ(answer.size(), 36u);
  // A stray byte before a lone short packet: settled once the line has been quiet.
  ASSERT_TRUE(test::writeAll(fd, "Y" + packet("after quiet")));
  EXPECT_EQ(module.line(), "(dropped 1 bytes that are no Quorvel packets)");
  EXPECT_EQ(module.line(), "after quiet");
  EXPECT_EQ(test::readFor(fd, 18).size(), 18u);
  std::uint8_t plain[kQuorvelMaxPlaintext];
  const auto first =
      QuorvelDecipher(std::span(reinterpret_cast<const std::uint8_t*>(answer.data()), 18), plain);
  ASSERT_TRUE(first);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(plain), *first), "hello module");
  ::close(fd);
  module.signal(SIGTERM);
  EXPECT_EQ(module.wait(), 0);
}

}  // namespace
}  // namespace zt
