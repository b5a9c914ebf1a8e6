// Runs in a process of its own so that no other test has set a key before it.
#include <gtest/gtest.h>

#include "cipher/triple_des.h"
#include "support/bytes.h"

namespace zt {
namespace {

TEST(CipherInitialKey, AllZeroSubkeysUntilTheFirstKeyAndAfterAnEmptyOne) {
  const auto underZeroKey = test::fromHex("8CA64DE9C1B123A7");  // DES of zeros, key all zero
  std::vector<std::uint8_t> data(8);
  std::vector<std::uint8_t> out(8);
  std::uint32_t written = 0;
  ASSERT_TRUE(TripleDesEncipher(8, data, out, written));
  EXPECT_EQ(out, underZeroKey);
  QuorvelSetKey(test::fromHex("0123456789ABCDEFFEDCBA9876543210"));
  ASSERT_TRUE(TripleDesEncipher(8, data, out, written));
  EXPECT_NE(out, underZeroKey);
  QuorvelSetKey({});
  ASSERT_TRUE(TripleDesEncipher(8, data, out, written));
  EXPECT_EQ(out, underZeroKey);
}

}  // namespace
}  // namespace zt
