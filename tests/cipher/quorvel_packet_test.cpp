// Quorvel packets: sizes and trailers, every length round trip, pad bytes, packets that cannot
// be opened.
#include "cipher/quorvel_packet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cipher/triple_des.h"
#include "support/bytes.h"

namespace zt {
namespace {

using test::Bytes;

class QuorvelPacket : public ::testing::Test {
 protected:
  void SetUp() override { QuorvelSetKey(test::fromHex("5A656D72612D54656C766F2D30313233")); }

  static Bytes Build(const Bytes& plain, std::time_t seconds = 1700000000) {
    Bytes out(1024, 0xEE);
    out.resize(QuorvelEncipher(plain, out, seconds));
    return out;
  }
};

TEST_F(QuorvelPacket, SizesTrailersAndEveryLengthRoundTrip) {
  struct Shape {
    std::size_t plain, packet;
    std::uint8_t low, high;  // the trailer: plaintext length, low byte first
  };
  for (const auto& [plain, packet, low, high] :
       {Shape{0, 2, 0, 0}, Shape{8, 10, 8, 0}, Shape{9, 18, 9, 0}, Shape{392, 394, 136, 1}}) {
    const Bytes built = Build(Bytes(plain, 'a'));
    ASSERT_EQ(built.size(), packet);
    EXPECT_EQ(Bytes(built.end() - 2, built.end()), Bytes({low, high})) << plain;
  }
  std::mt19937 random(3);
  for (std::size_t n = 0; n <= kQuorvelMaxPlaintext; ++n) {
    const Bytes plain = test::randomBytes(random, n);
    Bytes out(n);  // exactly the room needed
    EXPECT_EQ(QuorvelDecipher(Build(plain, static_cast<std::time_t>(n)), out), n);
    EXPECT_EQ(out, plain) << n;
  }

  // Too long for a packet, or for the room given: refused, nothing written.
  Bytes out(1024, 0xEE);
  for (const std::size_t n : {393, 65536 + 5}) {
    EXPECT_EQ(QuorvelEncipher(Bytes(n, 'x'), out), 0U) << n;
  }
  EXPECT_EQ(out, Bytes(1024, 0xEE));
  Bytes tight(17, 0xEE);
  EXPECT_EQ(QuorvelEncipher(Bytes(9, 'x'), tight), 0U);
  EXPECT_EQ(tight, Bytes(17, 0xEE));
}

TEST_F(QuorvelPacket, PadBytesCoverZeroTo254Only) {
  int highest = 0;
  for (std::time_t second = 0; second < 3000; ++second) {
    const Bytes packet = Build({'q'}, second);
    Bytes padded(8);
    ASSERT_TRUE(TripleDesDecipher(8, packet, padded));
    EXPECT_EQ(padded[0], 'q');
    highest = std::max<int>(highest, *std::max_element(padded.begin() + 1, padded.end()));
  }
  EXPECT_EQ(highest, 254);
}

TEST_F(QuorvelPacket, UnusablePacketsAreRejectedUntouched) {
  const Bytes good = Build(Bytes(20, 'g'));  // 24 bytes of ciphertext, trailer 20, 0
  auto withTrailer = [&good](std::uint8_t low, std::uint8_t high) {
    Bytes packet(good.begin(), good.end() - 2);
    packet.insert(packet.end(), {low, high});
    return packet;
  };
  const Bytes unusable[] = {
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
  Bytes small(19, 0xEE);  // less room than the plaintext
  EXPECT_FALSE(QuorvelDecipher(good, small).has_value());
  EXPECT_EQ(small, Bytes(19, 0xEE));
  Bytes out(24);  // the same shape at its limit is valid
  EXPECT_EQ(QuorvelDecipher(withTrailer(24, 0), out), 24U);
}

}  // namespace
}  // namespace zt
