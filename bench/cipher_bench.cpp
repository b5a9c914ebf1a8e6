// Enciphering and deciphering speed of the cipher layer against OpenSSL's two-key triple DES in
// ECB mode without padding, on a full Quorvel ciphertext (400 bytes) and on 64 KiB.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kKey = {'Z', 'e', 'm', 'r', 'a', '-', 'T', 'e', 'l', 'v', 'o', '-', '0', '1', '2', '3'};

Bytes Filled(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 31 + 7);
  return data;
}

void Ours(benchmark::State& state, bool encipher) {
  zt::QuorvelSetKey(kKey);
  Bytes data = Filled(static_cast<std::size_t>(state.range(0)));
  Bytes out(data.size());
  const auto length = static_cast<std::uint32_t>(data.size());
  for (auto _ : state) {
    std::uint32_t written = 0;
    if (encipher) {
      zt::TripleDesEncipher(length, data, out, written);
    } else {
      // The 16-bit length limits one call to 65535 bytes: decipher in 32 KiB pieces.
      for (std::size_t at = 0; at < data.size(); at += 32768) {
        const std::size_t piece = std::min<std::size_t>(32768, data.size() - at);
        zt::TripleDesDecipher(static_cast<std::uint16_t>(piece),
                              std::span(data).subspan(at, piece),
                              std::span(out).subspan(at, piece));
      }
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void OpenSsl(benchmark::State& state, bool encipher) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(
      EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  EVP_CipherInit_ex(context.get(), EVP_des_ede_ecb(), nullptr, kKey.data(), nullptr,
                    encipher ? 1 : 0);
  EVP_CIPHER_CTX_set_padding(context.get(), 0);
  const Bytes data = Filled(static_cast<std::size_t>(state.range(0)));
  Bytes out(data.size() + 8);
  for (auto _ : state) {
    int length = 0;
    EVP_CipherUpdate(context.get(), out.data(), &length, data.data(),
                     static_cast<int>(data.size()));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_Ours_Encipher(benchmark::State& state) { Ours(state, true); }
void BM_Ours_Decipher(benchmark::State& state) { Ours(state, false); }
void BM_OpenSsl_Encipher(benchmark::State& state) { OpenSsl(state, true); }
void BM_OpenSsl_Decipher(benchmark::State& state) { OpenSsl(state, false); }

void BM_QuorvelPacketRoundTrip(benchmark::State& state) {
  zt::QuorvelSetKey(kKey);
  const Bytes plain = Filled(zt::kQuorvelMaxPlaintext);
  Bytes packet(1024);
  Bytes back(1024);
  for (auto _ : state) {
    const std::uint32_t size = zt::QuorvelEncipher(plain, packet);
    benchmark::DoNotOptimize(zt::QuorvelDecipher(std::span(packet).first(size), back));
  }
}

}  // namespace

BENCHMARK(BM_Ours_Encipher)->Arg(400)->Arg(65536);
BENCHMARK(BM_OpenSsl_Encipher)->Arg(400)->Arg(65536);
BENCHMARK(BM_Ours_Decipher)->Arg(400)->Arg(65536);
BENCHMARK(BM_OpenSsl_Decipher)->Arg(400)->Arg(65536);
BENCHMARK(BM_QuorvelPacketRoundTrip);
