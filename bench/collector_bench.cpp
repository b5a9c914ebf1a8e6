// Finding Quorvel packets in received bytes: a train of full packets and bytes that are no
// packets, read in chunks of 1, 350 (the transfer screen's read) and 4096 bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "cipher/quorvel_collector.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Packets of 392 plaintext bytes; the ciphertext is random bytes, as enciphered bytes look.
Bytes Train(std::size_t size) {
  std::mt19937 random(1);
  Bytes train;
  while (train.size() + 394 <= size) {
    for (int i = 0; i < 392; ++i) train.push_back(static_cast<std::uint8_t>(random()));
    train.insert(train.end(), {0x88, 0x01});
  }
  return train;
}

Bytes Noise(std::size_t size) {
  std::mt19937 random(2);
  Bytes noise(size);
  for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
  return noise;
}

void Collect(benchmark::State& state, const Bytes& stream) {
  const auto chunk = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    zt::QuorvelCollector collector;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      benchmark::DoNotOptimize(
          collector.add(std::span(stream).subspan(at, std::min(chunk, stream.size() - at))));
    }
    benchmark::DoNotOptimize(collector.flush());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void BM_CollectorTrain(benchmark::State& state) { Collect(state, Train(std::size_t{256} * 1024)); }
void BM_CollectorNoise(benchmark::State& state) { Collect(state, Noise(std::size_t{256} * 1024)); }

}  // namespace

BENCHMARK(BM_CollectorTrain)->Arg(1)->Arg(350)->Arg(4096);
BENCHMARK(BM_CollectorNoise)->Arg(1)->Arg(350)->Arg(4096);
