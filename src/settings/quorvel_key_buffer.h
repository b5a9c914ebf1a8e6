// The 50-byte buffer from which the cipher's subkeys are computed for a Quorvel key. Every
// place that puts a key into force (loading the options, the Quorvel switch, the key screen)
// builds the buffer here and hands it to QuorvelSetKey, so they all agree byte for byte.
//
// The buffer starts all zero. The key's characters go in as ASCII bytes followed by a
// terminating zero, at most 50 bytes in all. When the key cannot be converted that way (it
// holds a character outside ASCII, or more than 49 characters) the buffer stays all zero, so
// the subkeys become those of an all-zero key. Only the first 16 bytes reach the cipher.
// The buffer wipes itself when it ends. Pure function; safe from any thread.
#pragma once

#include <cstddef>
#include <string_view>

#include "cipher/wipe.h"

namespace zt {

inline constexpr std::size_t kQuorvelKeyBufferSize = 50;

WipedBytes<kQuorvelKeyBufferSize> QuorvelKeyBuffer(std::string_view key);

}  // namespace zt
