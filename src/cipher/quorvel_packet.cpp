#include "cipher/quorvel_packet.h"

#include <algorithm>
#include <random>

#include "cipher/triple_des.h"
#include "cipher/wipe.h"

namespace zt {

std::uint32_t QuorvelEncipher(std::span<const std::uint8_t> data, std::span<std::uint8_t> out) {
  return QuorvelEncipher(data, out, std::time(nullptr));
}

std::uint32_t QuorvelEncipher(std::span<const std::uint8_t> data, std::span<std::uint8_t> out,
                              std::time_t seconds) {
  if (data.size() > kQuorvelMaxPlaintext) return 0;
  const auto n = static_cast<std::uint32_t>(data.size());
  const std::uint32_t pad = 7 - ((n + 7) % 8);
  const std::uint32_t m = n + pad;
  if (out.size() < m + 2) return 0;

  WipedBytes<kQuorvelMaxCiphertext> work{};  // holds the plaintext
  std::copy(data.begin(), data.end(), work.begin());
  std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(seconds));
  for (std::uint32_t i = 0; i < pad; ++i) {
    work[n + i] = static_cast<std::uint8_t>(generator() % 255);
  }
  std::uint32_t written = 0;
  if (!TripleDesEncipher(m, work, out, written)) return 0;
  out[m] = static_cast<std::uint8_t>(n & 0xffU);
  out[m + 1] = static_cast<std::uint8_t>(n >> 8);
  return m + 2;
}

std::optional<std::uint32_t> QuorvelDecipher(std::span<const std::uint8_t> packet,
                                             std::span<std::uint8_t> out) {
  if (packet.size() < 2) return std::nullopt;
  const std::size_t cipherLength = packet.size() - 2;
  if (cipherLength % 8 != 0 || cipherLength > kQuorvelMaxCiphertext) return std::nullopt;
  const std::uint32_t n = packet[cipherLength] + 256U * packet[cipherLength + 1];
  if (n > cipherLength || n > out.size()) return std::nullopt;

  WipedBytes<kQuorvelMaxCiphertext> plain{};
  TripleDesDecipher(static_cast<std::uint16_t>(cipherLength), packet.first(cipherLength), plain);
  std::copy_n(plain.begin(), n, out.begin());
  return n;
}

}  // namespace zt
