// Two-key triple DES (EDE with K1, K2, K1) over buffers of 8-byte blocks, each block alone (no
// chaining), bit for bit the Data Encryption Standard, keyed by one process-wide subkey table.
//
// Threads: every function may be called from any thread at any time. QuorvelSetKey builds a new
// table and swaps it in atomically; each buffer operation takes the table in force when it
// starts and uses that whole table for every block, in storage of its own. Until the first
// QuorvelSetKey every round subkey is zero.
#pragma once

#include <cstdint>
#include <span>

namespace zt {

// Puts a key in force: bytes 0..7 are K1, bytes 8..15 K2, later bytes are ignored, missing
// bytes (a span shorter than 16) count as zero. Parity bits have no effect.
void QuorvelSetKey(std::span<const std::uint8_t> key);

// Zero-fills data[length .. length rounded up to 8) in place, enciphers those whole blocks into
// the same offsets of out and sets outLength to the rounded length. If data or out is too small
// for the rounded length it writes nothing, sets outLength to 0 and returns false.
// data and out may be the same buffer.
bool TripleDesEncipher(std::uint32_t length, std::span<std::uint8_t> data,
                       std::span<std::uint8_t> out, std::uint32_t& outLength);

// Deciphers length bytes rounded up to 8 into the same offsets of out; a last partial block is
// completed with zeros, never read past length. If data holds fewer than length bytes or out
// fewer than the rounded length it writes nothing and returns false.
bool TripleDesDecipher(std::uint16_t length, std::span<const std::uint8_t> data,
                       std::span<std::uint8_t> out);

}  // namespace zt
