// Single and two-key triple DES: published answers both ways, partial blocks and tight
// buffers, and agreement with OpenSSL on random keys and buffers.
#include "cipher/triple_des.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>

#include "support/bytes.h"

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
      {"0123456789ABCDEFFEDCBA9876543210", "0123456789ABCDE7", "7F1D0A77826B8AFF"},
      {"0123456789ABCDEFFEDCBA9876543210", "0000000000000000", "08D7B4FB629D0885"},
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

TEST(TripleDes, PartialBlocksAreZeroFilledAndTightBuffersLeftAlone) {
  QuorvelSetKey(fromHex("0123456789ABCDEFFEDCBA9876543210"));
  const Bytes filled = fromHex("000102030405060708090A0B0C000000");
  Bytes data = fromHex("000102030405060708090A0B0CFFFFFF");
  Bytes out(16, 0xEE);
  std::uint32_t written = 99;
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
  EXPECT_FALSE(TripleDesDecipher(14, ragged, back));

  Bytes untouched(15, 0xEE);  // no room for the output
  EXPECT_FALSE(TripleDesEncipher(13, data, untouched, written));
  EXPECT_FALSE(TripleDesDecipher(13, ragged, untouched));
  EXPECT_EQ(untouched, Bytes(15, 0xEE));
  Bytes tight = fromHex("000102030405060708090A0B0C");  // no room for the fill
  EXPECT_FALSE(TripleDesEncipher(13, tight, out, written));
  EXPECT_EQ(written, 0U);
  EXPECT_EQ(tight, fromHex("000102030405060708090A0B0C"));
}

Bytes OpenSslEde(const Bytes& key, const Bytes& in, int encipher) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  Bytes out(in.size() + 8);
  int length = 0;
  int final = 0;
  const bool ok =
      EVP_CipherInit_ex(context, EVP_des_ede_ecb(), nullptr, key.data(), nullptr, encipher) ==
          1 &&
      EVP_CIPHER_CTX_set_padding(context, 0) == 1 &&
      EVP_CipherUpdate(context, out.data(), &length, in.data(), static_cast<int>(in.size())) ==
          1 &&
      EVP_CipherFinal_ex(context, out.data() + length, &final) == 1;
  EVP_CIPHER_CTX_free(context);
  EXPECT_TRUE(ok);
  out.resize(static_cast<std::size_t>(length) + static_cast<std::size_t>(final));
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

}  // namespace
}  // namespace zt
