// Hex text for zemra-quorvel: reading (whitespace between digits allowed) and writing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zt::quorvel_tool {

// The bytes of a text of hex digit pairs, either case, with any whitespace anywhere; nothing if
// it holds another character or an odd number of digits.
std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text);

// Lower-case hex digits, two per byte, no separators.
std::string FormatHex(std::span<const std::uint8_t> bytes);

}  // namespace zt::quorvel_tool
