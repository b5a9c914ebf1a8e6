// Runs the built zemra-quorvel with real pipes and checks what it writes and how it exits.
#include <gtest/gtest.h>

#include <algorithm>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"
#include "support/bytes.h"
#include "support/io.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using test::toHex;

test::Outcome Tool(std::vector<std::string> args, const std::string& input = {}) {
  args.insert(args.begin(), ZT_QUORVEL_TOOL);
  return test::runProgram(std::move(args), input);
}

const std::string kKey = "Zemra-Telvo-0123";

TEST(ZemraQuorvel, PacketsRoundTripAndMatchTheLibrary) {
  test::Watchdog watchdog;
  QuorvelSetKey({reinterpret_cast<const std::uint8_t*>(kKey.data()), kKey.size()});
  std::mt19937 random(5);
  for (std::size_t n : {0U, 1U, 8U, 9U, 100U, 392U}) {
    const auto bytes = test::randomBytes(random, n);
    const std::string plain(bytes.begin(), bytes.end());
    const test::Outcome packet = Tool({"encipher", "--key", kKey}, plain);
    ASSERT_EQ(packet.status, 0) << packet.err;
    ASSERT_EQ(packet.out.size(), ((n + 7) & ~std::size_t{7}) + 2);
    std::vector<std::uint8_t> opened(n);
    EXPECT_EQ(QuorvelDecipher(test::Bytes(packet.out.begin(), packet.out.end()), opened), n);
    EXPECT_EQ(std::string(opened.begin(), opened.end()), plain);

    const test::Outcome back = Tool({"decipher", "--hex", "--key", kKey}, toHex(packet.out) + "\n");
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, toHex(plain) + "\n");
  }
}

TEST(ZemraQuorvel, BlocksMatchAKnownAnswerOneByOne) {
  test::Watchdog watchdog;
  // Hex input may be spaced and split over lines; --key takes the characters' byte values.
  const test::Outcome known =
      Tool({"blocks-encipher", "--hex", "--key-hex", "133457799BBCDFF1133457799bbcdff1"},
           " 01 23 45 67\n89 ab\tcd ef\n");
  EXPECT_EQ(known.status, 0);
  EXPECT_EQ(known.out, "85e813540f0ab405\n");
  // Block by block (the library itself is checked against OpenSSL), the last one zero-filled,
  // and deciphering gives the filled blocks back.
  const std::string blocks = Tool({"blocks-encipher", "--key", kKey}, "eleven byte").out;
  ASSERT_EQ(blocks.size(), 16u);
  EXPECT_EQ(Tool({"blocks-decipher", "--key", kKey}, blocks).out,
            std::string("eleven byte") + std::string(5, '\0'));
}

TEST(ZemraQuorvel, BadInputGivesOneLineAndStatus2) {
  test::Watchdog watchdog;
  const std::string packet = Tool({"encipher", "--key", kKey}, "hello, module").out;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"encipher", "--key", "Zemra-Telvo-012"}, "x"},
      {{"encipher", "--key-hex", "0123456789abcdef0123456789abcdeg"}, "x"},
      {{"scramble", "--key", kKey}, "x"},
      {{"encipher", "--hex", "--key", kKey}, "012"},
      {{"encipher", "--key", kKey}, std::string(393, 'x')},
      {{"decipher", "--key", kKey}, std::string(9, 'x')},
      {{"decipher", "--key", kKey}, packet + packet},  // all of the input is one packet
  };
  for (const auto& [args, input] : cases) {
    const test::Outcome outcome = Tool(args, input);
    SCOPED_TRACE(args.front() + " ... with " + std::to_string(input.size()) + " bytes");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("zemra-quorvel: ", 0), 0U) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
  }
}

}  // namespace
}  // namespace zt
