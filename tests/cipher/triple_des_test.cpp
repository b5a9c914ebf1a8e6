#include "cipher/triple_des.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>

#include "cipher/cipher_test_support.h"

namespace zt {
namespace {

using test::FromHex;
using Bytes = std::vector<std::uint8_t>;

struct KnownAnswer {
  const char* key;  // 16 hex digits (single DES, used as K1 = K2) or 32 (K1, K2)
  const char* plain;
  const char* cipher;
};

// Single-DES answers of the standard's validation tables (initial-permutation, variable-key,
// permutation and substitution tests) and classic published examples.
constexpr KnownAnswer kSingleDes[] = {
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    {"0000000000000000", "0000000000000000", "8CA64DE9C1B123A7"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "7359B2163E4EDC58"},
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"0101010101010101", "4000000000000000", "DD7F121CA5015619"},
    {"0101010101010101", "2000000000000000", "2E8653104F3834EA"},
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    {"4001010101010101", "0000000000000000", "0EEC1487DD8C26D5"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
};

// Two-key answers (K1 != K2).
constexpr KnownAnswer kTwoKey[] = {
    {"0123456789ABCDEFFEDCBA9876543210", "0123456789ABCDE7", "7F1D0A77826B8AFF"},
    {"0123456789ABCDEFFEDCBA9876543210", "0000000000000000", "08D7B4FB629D0885"},
    {"3132333435363738393A3B3C3D3E3F40", "4E6F772069732074", "27559A58199ABA5D"},
};

Bytes Encipher(Bytes data) {
  Bytes out(data.size() + 8);
  std::uint32_t written = 0;
  const auto length = static_cast<std::uint32_t>(data.size());
  data.resize(data.size() + 8);
  EXPECT_TRUE(TripleDesEncipher(length, data, out, written));
  out.resize(written);
  return out;
}

Bytes Decipher(const Bytes& data) {
  Bytes out((data.size() + 7) & ~std::size_t{7});
  EXPECT_TRUE(TripleDesDecipher(static_cast<std::uint16_t>(data.size()), data, out));
  return out;
}

void CheckBothWays(const KnownAnswer& answer) {
  std::string key = answer.key;
  if (key.size() == 16) key += key;
  QuorvelSetKey(FromHex(key));
  SCOPED_TRACE(key);
  EXPECT_EQ(Encipher(FromHex(answer.plain)), FromHex(answer.cipher));
  EXPECT_EQ(Decipher(FromHex(answer.cipher)), FromHex(answer.plain));
}

TEST(TripleDes, KnownAnswersInBothDirections) {
  for (const auto& answer : kSingleDes) CheckBothWays(answer);
  for (const auto& answer : kTwoKey) CheckBothWays(answer);
}

TEST(TripleDes, KeyBytesThatDoNotCount) {
  const Bytes key = FromHex("0123456789ABCDEFFEDCBA9876543210");
  const Bytes plain = FromHex("0123456789ABCDE7");
  const Bytes expected = FromHex("7F1D0A77826B8AFF");

  Bytes parityFlipped = key;
  for (std::size_t i = 0; i < parityFlipped.size(); i += 3) parityFlipped[i] ^= 1;
  QuorvelSetKey(parityFlipped);
  EXPECT_EQ(Encipher(plain), expected);

  // The callers pass the key at the start of a 50-byte buffer; what follows byte 16 is ignored.
  Bytes longBuffer = key;
  longBuffer.resize(50, 0xA5);
  QuorvelSetKey(longBuffer);
  EXPECT_EQ(Encipher(plain), expected);

  // A short key counts its missing bytes as zero.
  QuorvelSetKey(FromHex("0123456789ABCDEF"));
  const Bytes shortResult = Encipher(plain);
  QuorvelSetKey(FromHex("0123456789ABCDEF0000000000000000"));
  EXPECT_EQ(Encipher(plain), shortResult);
}

TEST(TripleDes, EncipherZeroFillsToWholeBlocks) {
  QuorvelSetKey(FromHex("0123456789ABCDEFFEDCBA9876543210"));
  Bytes data = FromHex("000102030405060708090A0B0CFFFFFF");
  Bytes out(16, 0xEE);
  std::uint32_t written = 99;
  ASSERT_TRUE(TripleDesEncipher(13, data, out, written));
  EXPECT_EQ(written, 16U);
  EXPECT_EQ(data, FromHex("000102030405060708090A0B0C000000"));
  EXPECT_EQ(out, Encipher(FromHex("000102030405060708090A0B0C000000")));

  Bytes untouched(8, 0xEE);
  ASSERT_TRUE(TripleDesEncipher(0, data, untouched, written));
  EXPECT_EQ(written, 0U);
  EXPECT_EQ(untouched, Bytes(8, 0xEE));

  // No room for the zero fill or for the output: nothing is written.
  Bytes tight = FromHex("000102030405060708090A0B0C");
  EXPECT_FALSE(TripleDesEncipher(13, tight, out, written));
  EXPECT_EQ(written, 0U);
  EXPECT_EQ(tight, FromHex("000102030405060708090A0B0C"));
  Bytes shortOut(15, 0xEE);
  EXPECT_FALSE(TripleDesEncipher(13, data, shortOut, written));
  EXPECT_EQ(shortOut, Bytes(15, 0xEE));
}

TEST(TripleDes, DecipherCompletesLastBlockWithZeros) {
  QuorvelSetKey(FromHex("3132333435363738393A3B3C3D3E3F40"));
  // Exactly 13 bytes: under AddressSanitizer, any read past them fails the test.
  const Bytes data = FromHex("00112233445566778899AABBCC");
  Bytes out(16);
  ASSERT_TRUE(TripleDesDecipher(13, data, out));
  EXPECT_EQ(out, Decipher(FromHex("00112233445566778899AABBCC000000")));

  Bytes shortOut(15, 0xEE);
  EXPECT_FALSE(TripleDesDecipher(13, data, shortOut));
  EXPECT_EQ(shortOut, Bytes(15, 0xEE));
  EXPECT_FALSE(TripleDesDecipher(14, data, out));
}

TEST(TripleDes, RoundTripsInPlaceAndWorksBlockByBlock) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    QuorvelSetKey(test::RandomBytes(random, 16));
    const std::size_t length = 8 * (random() % 60);
    const Bytes plain = test::RandomBytes(random, length);
    Bytes buffer = plain;
    std::uint32_t written = 0;
    ASSERT_TRUE(TripleDesEncipher(static_cast<std::uint32_t>(length), buffer, buffer, written));
    if (length >= 16) {
      EXPECT_NE(buffer, plain);
    }
    ASSERT_TRUE(TripleDesDecipher(static_cast<std::uint16_t>(length), buffer, buffer));
    EXPECT_EQ(buffer, plain);
  }
  // No chaining: equal plaintext blocks give equal ciphertext blocks.
  const Bytes twice = Encipher(FromHex("0011223344556677" "0011223344556677"));
  EXPECT_TRUE(std::equal(twice.begin(), twice.begin() + 8, twice.begin() + 8));
}

Bytes OpenSslEde(const Bytes& key, const Bytes& in, bool encipher) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  Bytes out(in.size() + 8);
  int length = 0;
  int final = 0;
  const bool ok =
      EVP_CipherInit_ex(context, EVP_des_ede_ecb(), nullptr, key.data(), nullptr,
                        encipher ? 1 : 0) == 1 &&
      EVP_CIPHER_CTX_set_padding(context, 0) == 1 &&
      EVP_CipherUpdate(context, out.data(), &length, in.data(), static_cast<int>(in.size())) ==
          1 &&
      EVP_CipherFinal_ex(context, out.data() + length, &final) == 1;
  EVP_CIPHER_CTX_free(context);
  EXPECT_TRUE(ok);
  out.resize(static_cast<std::size_t>(length + final));
  return out;
}

TEST(TripleDes, AgreesWithAnIndependentImplementation) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 200; ++round) {
    const Bytes key = test::RandomBytes(random, 16);
    const Bytes data = test::RandomBytes(random, 8 * (random() % 130));
    QuorvelSetKey(key);
    EXPECT_EQ(Encipher(data), OpenSslEde(key, data, true));
    EXPECT_EQ(Decipher(data), OpenSslEde(key, data, false));
  }
}

}  // namespace
}  // namespace zt
