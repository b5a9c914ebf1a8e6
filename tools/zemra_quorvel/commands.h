// The four commands of zemra-quorvel on bytes in memory, with the key already in force
// (QuorvelSetKey). Inputs of any size; encipher refuses more than one packet's worth.
// Any thread, under the cipher's own rules (triple_des.h).
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "options.h"

namespace zt::quorvel_tool {

using Bytes = std::vector<std::uint8_t>;

// The output bytes, or a one-line reason why the input cannot be used.
using CommandResult = std::variant<Bytes, std::string>;

CommandResult RunCommand(Command command, const Bytes& input);

}  // namespace zt::quorvel_tool
