#include "settings/quorvel_key_buffer.h"

#include <algorithm>

namespace zt {

WipedBytes<kQuorvelKeyBufferSize> QuorvelKeyBuffer(std::string_view key) {
  WipedBytes<kQuorvelKeyBufferSize> buffer{};
  const bool isAscii = std::all_of(key.begin(), key.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80U;
  });
  // Room is left for the terminating zero, which the zeroed buffer already holds.
  if (!isAscii || key.size() >= kQuorvelKeyBufferSize) return buffer;
  std::transform(key.begin(), key.end(), buffer.begin(),
                 [](char c) { return static_cast<std::uint8_t>(c); });
  return buffer;
}

}  // namespace zt
