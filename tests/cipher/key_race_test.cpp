// Ciphering threads race a thread that keeps changing the key: every buffer comes out wholly
// under one key or the other, never a mix of the two.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"
#include "support/bytes.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using test::Bytes;

Bytes Cipher(bool encipher, Bytes data) {
  Bytes out(data.size());
  std::uint32_t written = 0;
  const bool ok =
      encipher ? TripleDesEncipher(static_cast<std::uint32_t>(data.size()), data, out, written)
               : TripleDesDecipher(static_cast<std::uint16_t>(data.size()), data, out);
  return ok ? out : Bytes{};
}

TEST(CipherKeyRace, EveryBufferUsesOneWholeKey) {
  test::Watchdog watchdog;
  std::mt19937 random(11);
  const Bytes keys[2] = {test::randomBytes(random, 16), test::randomBytes(random, 16)};
  const Bytes plain = test::randomBytes(random, kQuorvelMaxCiphertext);
  QuorvelSetKey(keys[0]);
  const Bytes sealed[2] = {Cipher(true, plain), Cipher(false, plain)};
  QuorvelSetKey(keys[1]);
  const Bytes other[2] = {Cipher(true, plain), Cipher(false, plain)};

  std::atomic<int> finished{0};
  std::atomic<int> mixed{0};
  auto cipherer = [&] {
    for (int i = 0; i < 1500; ++i) {
      for (const bool encipher : {true, false}) {
        const Bytes out = Cipher(encipher, plain);
        if (out != sealed[encipher ? 0 : 1] && out != other[encipher ? 0 : 1]) ++mixed;
      }
    }
    ++finished;
  };
  std::thread first(cipherer);
  std::thread second(cipherer);
  std::thread setter([&] {
    for (int k = 0; finished.load() < 2; k ^= 1) QuorvelSetKey(keys[k]);
  });
  setter.join();
  first.join();
  second.join();
  EXPECT_EQ(mixed.load(), 0);
}

}  // namespace
}  // namespace zt
