#include "cipher/quorvel_packet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cipher/cipher_test_support.h"
#include "cipher/triple_des.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

class QuorvelPacket : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string key = "Zemra-Telvo-0123";
    QuorvelSetKey({reinterpret_cast<const std::uint8_t*>(key.data()), key.size()});
  }

  static Bytes Build(const Bytes& plain, std::time_t seconds = 1700000000) {
    Bytes out(1024, 0xEE);
    out.resize(QuorvelEncipher(plain, out, seconds));
    return out;
  }

  // The plaintext and pad bytes of a packet's ciphertext part.
  static Bytes PaddedPlaintext(const Bytes& packet) {
    const auto cipherLength = static_cast<std::uint16_t>(packet.size() - 2);
    Bytes padded(cipherLength);
    EXPECT_TRUE(TripleDesDecipher(cipherLength, packet, padded));
    return padded;
  }
};

TEST_F(QuorvelPacket, LayoutForTheBoundaryLengths) {
  EXPECT_EQ(Build({}), Bytes({0, 0}));

  const Bytes eight = Build(Bytes(8, 'a'));
  ASSERT_EQ(eight.size(), 10U);
  EXPECT_EQ(Bytes(eight.end() - 2, eight.end()), Bytes({8, 0}));

  const Bytes nine = Build(Bytes(9, 'b'));
  ASSERT_EQ(nine.size(), 18U);
  EXPECT_EQ(Bytes(nine.end() - 2, nine.end()), Bytes({9, 0}));
  const Bytes padded = PaddedPlaintext(nine);
  EXPECT_EQ(Bytes(padded.begin(), padded.begin() + 9), Bytes(9, 'b'));

  const Bytes full = Build(Bytes(392, 'c'));
  ASSERT_EQ(full.size(), 394U);
  EXPECT_EQ(Bytes(full.end() - 2, full.end()), Bytes({136, 1}));
}

TEST_F(QuorvelPacket, RefusesWhatDoesNotFit) {
  Bytes out(1024, 0xEE);
  EXPECT_EQ(QuorvelEncipher(Bytes(393, 'x'), out), 0U);
  EXPECT_EQ(QuorvelEncipher(Bytes(1023, 'x'), out), 0U);
  EXPECT_EQ(QuorvelEncipher(Bytes(65536 + 5, 'x'), out), 0U);
  EXPECT_EQ(out, Bytes(1024, 0xEE));

  Bytes tight(17, 0xEE);
  EXPECT_EQ(QuorvelEncipher(Bytes(9, 'x'), tight), 0U);
  EXPECT_EQ(tight, Bytes(17, 0xEE));
  Bytes exact(18);
  EXPECT_EQ(QuorvelEncipher(Bytes(9, 'x'), exact), 18U);
}

TEST_F(QuorvelPacket, EveryLengthRoundTrips) {
  std::mt19937 random(3);
  for (std::size_t n = 0; n <= kQuorvelMaxPlaintext; ++n) {
    const Bytes plain = test::RandomBytes(random, n);
    const Bytes packet = Build(plain, static_cast<std::time_t>(n));
    ASSERT_EQ(packet.size(), ((n + 7) & ~std::size_t{7}) + 2) << n;
    Bytes out(n);  // exactly the room needed
    const auto opened = QuorvelDecipher(packet, out);
    ASSERT_TRUE(opened.has_value()) << n;
    EXPECT_EQ(*opened, n);
    EXPECT_EQ(out, plain) << n;
  }
}

TEST_F(QuorvelPacket, PadBytesStayBelow255) {
  int highest = 0;
  for (std::time_t second = 0; second < 3000; ++second) {
    const Bytes padded = PaddedPlaintext(Build({'q'}, second));
    ASSERT_EQ(padded.size(), 8U);
    EXPECT_EQ(padded[0], 'q');
    for (std::size_t i = 1; i < padded.size(); ++i) highest = std::max<int>(highest, padded[i]);
  }
  EXPECT_EQ(highest, 254);
}

TEST_F(QuorvelPacket, SameSecondGivesTheSamePacket) {
  const Bytes plain = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(Build(plain, 1000), Build(plain, 1000));
  int differing = 0;
  for (std::time_t second = 1001; second < 1011; ++second) {
    differing += Build(plain, second) != Build(plain, 1000) ? 1 : 0;
  }
  EXPECT_GT(differing, 0);

  // With the real clock: retry until both builds land within one second.
  for (int attempt = 0; attempt < 20; ++attempt) {
    Bytes first(16);
    Bytes second(16);
    const std::time_t before = std::time(nullptr);
    first.resize(QuorvelEncipher(plain, first));
    second.resize(QuorvelEncipher(plain, second));
    if (std::time(nullptr) != before) continue;
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, Build(plain, before));
    return;
  }
  ADD_FAILURE() << "never managed two builds within one second";
}

TEST_F(QuorvelPacket, UnusablePacketsAreRejectedUntouched) {
  const Bytes good = Build(Bytes(20, 'g'));  // 24 bytes of ciphertext, trailer 20, 0
  auto withTrailer = [&good](std::uint8_t low, std::uint8_t high) {
    Bytes packet(good.begin(), good.end() - 2);
    packet.push_back(low);
    packet.push_back(high);
    return packet;
  };
  const std::vector<Bytes> unusable = {
      {},
      {0},
      Bytes(good.begin() + 1, good.end()),  // ciphertext not whole blocks
      withTrailer(25, 0),                   // longer than the ciphertext
      withTrailer(20, 1),
      Bytes(402 + 8, 0),  // ciphertext over 400 bytes, whatever the trailer says
  };
  for (const Bytes& packet : unusable) {
    Bytes out(1024, 0xEE);
    EXPECT_FALSE(QuorvelDecipher(packet, out).has_value()) << packet.size();
    EXPECT_EQ(out, Bytes(1024, 0xEE));
  }
  Bytes small(19, 0xEE);
  EXPECT_FALSE(QuorvelDecipher(good, small).has_value());
  EXPECT_EQ(small, Bytes(19, 0xEE));

  // The same shapes at their limits are valid: an empty plaintext, a full 400-byte ciphertext.
  Bytes out(1024);
  EXPECT_EQ(QuorvelDecipher(Bytes({0, 0}), out), 0U);
  Bytes largest(402, 0);
  largest[400] = 144;  // 400 = 0x0190
  largest[401] = 1;
  EXPECT_EQ(QuorvelDecipher(largest, out), 400U);
  EXPECT_EQ(QuorvelDecipher(withTrailer(24, 0), out), 24U);
}

}  // namespace
}  // namespace zt
