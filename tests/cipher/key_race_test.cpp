// Ciphering threads race a thread that keeps changing the key: every buffer must come out
// wholly under one key or the other, never a mix of the two.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "cipher/cipher_test_support.h"
#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes EncipherUnder(const Bytes& key, const Bytes& plain) {
  QuorvelSetKey(key);
  Bytes copy = plain;
  Bytes out(plain.size());
  std::uint32_t written = 0;
  EXPECT_TRUE(TripleDesEncipher(static_cast<std::uint32_t>(plain.size()), copy, out, written));
  return out;
}

Bytes DecipherUnder(const Bytes& key, const Bytes& data) {
  QuorvelSetKey(key);
  Bytes out(data.size());
  EXPECT_TRUE(TripleDesDecipher(static_cast<std::uint16_t>(data.size()), data, out));
  return out;
}

TEST(CipherKeyRace, EveryBufferUsesOneWholeKey) {
  test::Watchdog watchdog;
  std::mt19937 random(11);
  const Bytes keyA = test::RandomBytes(random, 16);
  const Bytes keyB = test::RandomBytes(random, 16);
  const Bytes plain = test::RandomBytes(random, kQuorvelMaxCiphertext);
  const Bytes underA = EncipherUnder(keyA, plain);
  const Bytes underB = EncipherUnder(keyB, plain);
  const Bytes backUnderB = DecipherUnder(keyB, underA);

  constexpr int kRounds = 1500;
  std::atomic<int> finished{0};
  std::atomic<int> mixed{0};
  auto cipherer = [&] {
    Bytes data = plain;
    Bytes out(plain.size());
    Bytes back(plain.size());
    std::uint32_t written = 0;
    for (int i = 0; i < kRounds; ++i) {
      if (!TripleDesEncipher(static_cast<std::uint32_t>(plain.size()), data, out, written) ||
          (out != underA && out != underB)) {
        ++mixed;
      }
      if (!TripleDesDecipher(static_cast<std::uint16_t>(underA.size()), underA, back) ||
          (back != plain && back != backUnderB)) {
        ++mixed;
      }
    }
    ++finished;
  };
  std::thread first(cipherer);
  std::thread second(cipherer);
  std::thread setter([&] {
    for (bool useA = true; finished.load() < 2; useA = !useA) QuorvelSetKey(useA ? keyA : keyB);
  });
  setter.join();
  first.join();
  second.join();
  EXPECT_EQ(mixed.load(), 0);
}

}  // namespace
}  // namespace zt
