// Quorvel packets: the two-key triple-DES ciphertext of a plaintext and 0 to 7 pad bytes,
// followed by the plaintext length n as an unsigned 16-bit little-endian trailer:
//   [ciphertext: n rounded up to 8 bytes][n low byte][n high byte]
// At most 392 plaintext bytes per packet (ciphertext at most 400 bytes). There is no header and
// no integrity check: a packet built under another key opens to meaningless bytes.
//
// Pad bytes take values 0..254 from a generator seeded with the current second at each call, so
// packets of one plaintext built within the same second are identical.
// Threads: any thread, any time; each call works in its own storage and uses one whole key
// (see triple_des.h).
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <span>

namespace zt {

inline constexpr std::uint32_t kQuorvelMaxPlaintext = 392;
inline constexpr std::uint32_t kQuorvelMaxCiphertext = 400;

// Writes the packet of data to out and returns its length (ciphertext + 2). Returns 0 and
// writes nothing if data holds more than 392 bytes or out is too small for the packet.
std::uint32_t QuorvelEncipher(std::span<const std::uint8_t> data, std::span<std::uint8_t> out);
// The same with the pad generator seeded with `seconds` instead of the current time.
std::uint32_t QuorvelEncipher(std::span<const std::uint8_t> data, std::span<std::uint8_t> out,
                              std::time_t seconds);

// Treats all of `packet` as one packet: writes its plaintext to out (no terminating zero) and
// returns its length. Returns nothing and writes nothing if the packet is unusable: fewer than
// 2 bytes, a ciphertext part that is not whole blocks or is over 400 bytes, or a trailer length
// greater than the ciphertext part or than out.
std::optional<std::uint32_t> QuorvelDecipher(std::span<const std::uint8_t> packet,
                                             std::span<std::uint8_t> out);

}  // namespace zt
