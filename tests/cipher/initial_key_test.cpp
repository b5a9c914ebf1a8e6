// Runs in a process of its own so that no other test has set a key before it.
#include <gtest/gtest.h>

#include "cipher/cipher_test_support.h"
#include "cipher/triple_des.h"

namespace zt {
namespace {

TEST(CipherInitialKey, AllZeroSubkeysUntilTheFirstKey) {
  // DES under the all-zero key (whose subkeys are all zero) of a zero block.
  const auto expected = test::FromHex("8CA64DE9C1B123A7");
  std::vector<std::uint8_t> data(8);
  std::vector<std::uint8_t> out(8);
  std::uint32_t written = 0;
  ASSERT_TRUE(TripleDesEncipher(8, data, out, written));
  EXPECT_EQ(out, expected);

  QuorvelSetKey(test::FromHex("0123456789ABCDEFFEDCBA9876543210"));
  ASSERT_TRUE(TripleDesEncipher(8, data, out, written));
  EXPECT_NE(out, expected);
  QuorvelSetKey({});
  ASSERT_TRUE(TripleDesEncipher(8, data, out, written));
  EXPECT_EQ(out, expected);
}

}  // namespace
}  // namespace zt
