// Triple DES: published answers both ways, partial blocks, agreement with OpenSSL, keys changed
// while other threads cipher, and key bytes wiped when they end.
#include "cipher/triple_des.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string>
#include <thread>

#include "cipher/wipe.h"
#include "support/bytes.h"
#include "support/watchdog.h"

namespace zt {
namespace {

using test::Bytes;
using test::fromHex;

Bytes Encipher(Bytes data) {  // whole blocks only
  Bytes out(data.size());
  std::uint32_t written = 0;
  EXPECT_TRUE(TripleDesEncipher(static_cast<std::uint32_t>(data.size()), data, out, written));
  return out;
}

Bytes Decipher(const Bytes& data) {  // whole blocks only
  Bytes out(data.size());
  EXPECT_TRUE(TripleDesDecipher(static_cast<std::uint16_t>(data.size()), data, out));
  return out;
}

TEST(TripleDes, KnownAnswersInBothDirections) {
  struct Answer {
    const char* key;  // 16 hex digits: single DES, used as K1 = K2; 32: K1 then K2
    const char* plain;
    const char* cipher;
  };
  // Single DES from the standard's validation tables and classic examples, then two-key.
  constexpr Answer kAnswers[] = {
      {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
      {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
      {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
      {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
      {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
      {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
      {"0123456789ABCDEFFEDCBA9876543210", "0123456789ABCDE7", "7F1D0A77826B8AFF"},
      {"3132333435363738393A3B3C3D3E3F40", "4E6F772069732074", "27559A58199ABA5D"},
  };
  for (const auto& [key, plain, cipher] : kAnswers) {
    const std::string fullKey = std::string(key).size() == 16 ? std::string(key) + key : key;
    SCOPED_TRACE(fullKey);
    QuorvelSetKey(fromHex(fullKey));
    EXPECT_EQ(Encipher(fromHex(plain)), fromHex(cipher));
    EXPECT_EQ(Decipher(fromHex(cipher)), fromHex(plain));
  }
}

TEST(TripleDes, PartialBlocksAreZeroFilledAndTightBuffersRefused) {
  QuorvelSetKey(fromHex("0123456789ABCDEFFEDCBA9876543210"));
  const Bytes filled = fromHex("000102030405060708090A0B0C000000");
  Bytes data = fromHex("000102030405060708090A0B0CFFFFFF");
  Bytes out(16);
  std::uint32_t written = 0;
  ASSERT_TRUE(TripleDesEncipher(13, data, out, written));
  EXPECT_EQ(written, 16U);
  EXPECT_EQ(data, filled);  // the fill is made in the caller's buffer
  EXPECT_EQ(out, Encipher(filled));

  // Exactly 13 bytes to decipher: under AddressSanitizer any read past them fails the test.
  const Bytes ragged(out.begin(), out.begin() + 13);
  Bytes raggedFilled = ragged;
  raggedFilled.resize(16, 0);
  Bytes back(16);
  ASSERT_TRUE(TripleDesDecipher(13, ragged, back));
  EXPECT_EQ(back, Decipher(raggedFilled));

  Bytes small(15, 0xEE);  // no room for the output, then none for the fill
  EXPECT_FALSE(TripleDesEncipher(13, data, small, written) || TripleDesDecipher(13, ragged, small));
  EXPECT_EQ(small, Bytes(15, 0xEE));
  Bytes tight(13);
  EXPECT_FALSE(TripleDesEncipher(13, tight, out, written));
}

Bytes OpenSslEde(const Bytes& key, const Bytes& in, int encipher) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  Bytes out(in.size());
  int length = 0;  // whole blocks without padding: all of them come out of the update
  const bool ok =
      EVP_CipherInit_ex(context, EVP_des_ede_ecb(), nullptr, key.data(), nullptr, encipher) ==
          1 &&
      EVP_CIPHER_CTX_set_padding(context, 0) == 1 &&
      EVP_CipherUpdate(context, out.data(), &length, in.data(), static_cast<int>(in.size())) == 1;
  EVP_CIPHER_CTX_free(context);
  EXPECT_TRUE(ok && length == static_cast<int>(in.size()));
  return out;
}

TEST(TripleDes, AgreesWithOpenSslAndRoundTripsInPlace) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 200; ++round) {
    Bytes key = test::randomBytes(random, 16);
    const Bytes data = test::randomBytes(random, 8 * (random() % 130));
    // Parity bits and bytes after the 16th do not count; missing key bytes count as zero.
    Bytes given = key;
    for (auto& b : given) b ^= 1;
    given.resize(50, 0xA5);
    if (round % 4 == 0) {
      given.resize(8);
      std::fill(key.begin() + 8, key.end(), 0);
    }
    QuorvelSetKey(given);
    Bytes buffer = data;
    std::uint32_t written = 0;
    ASSERT_TRUE(TripleDesEncipher(static_cast<std::uint32_t>(data.size()), buffer, buffer, written));
    EXPECT_EQ(buffer, OpenSslEde(key, data, 1));
    EXPECT_EQ(Decipher(data), OpenSslEde(key, data, 0));
    ASSERT_TRUE(TripleDesDecipher(static_cast<std::uint16_t>(data.size()), buffer, buffer));
    EXPECT_EQ(buffer, data);
  }
}

// Ciphering threads race a thread that keeps changing the key: every buffer comes out wholly
// under one key or the other, never a mix of the two. The buffers are two blocks long and each
// thread goes on until it has seen the key change a hundred times, so that even on a busy
// machine, where threads take turns, some changes fall between the blocks of a buffer.
TEST(CipherKeyRace, EveryBufferUsesOneWholeKey) {
  test::Watchdog watchdog;
  std::mt19937 random(11);
  const Bytes keys[2] = {test::randomBytes(random, 16), test::randomBytes(random, 16)};
  const Bytes plain = test::randomBytes(random, 16);
  QuorvelSetKey(keys[0]);
  const Bytes sealed[2] = {Encipher(plain), Decipher(plain)};
  QuorvelSetKey(keys[1]);
  const Bytes other[2] = {Encipher(plain), Decipher(plain)};

  std::atomic<int> finished{0};
  std::atomic<int> mixed{0};
  auto cipherer = [&] {
    for (int changes = 0, last = 0; changes < 100;) {
      for (const int decipher : {0, 1}) {
        const Bytes out = decipher ? Decipher(plain) : Encipher(plain);
        const int key = out == sealed[decipher] ? 0 : out == other[decipher] ? 1 : -1;
        mixed += key < 0 ? 1 : 0;
        changes += key >= 0 && key != last ? 1 : 0;
        last = key < 0 ? last : key;
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

// The key bytes are zero in the storage they leave behind (storage the test owns, so reading it
// after the object ended is defined).
TEST(Wiping, KeyBytesAreZeroWhenTheyEnd) {
  alignas(WipedBytes<16>) std::uint8_t storage[sizeof(WipedBytes<16>)];
  auto* key = new (storage) WipedBytes<16>();
  key->fill(0xA5);
  key->~WipedBytes<16>();
  EXPECT_TRUE(std::all_of(std::begin(storage), std::end(storage), [](auto b) { return b == 0; }));
}

}  // namespace
}  // namespace zt
