// The command line of zemra-quorvel:
//   zemra-quorvel COMMAND (--key TEXT | --key-hex HEX) [--hex]
//   zemra-quorvel --help | --version
// COMMAND is encipher, decipher, blocks-encipher or blocks-decipher. Options may also be given
// as --key=TEXT and --key-hex=HEX. Parsing is a pure function of the arguments.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zt::quorvel_tool {

enum class Command { Encipher, Decipher, BlocksEncipher, BlocksDecipher };

struct Options {
  Command command = Command::Encipher;
  std::array<std::uint8_t, 16> key{};
  bool hex = false;
};

struct HelpRequested {};
struct VersionRequested {};

// A one-line description of what is wrong with the command line.
struct UsageError {
  std::string message;
};

using ParseResult = std::variant<Options, HelpRequested, VersionRequested, UsageError>;

ParseResult ParseOptions(const std::vector<std::string_view>& args);

extern const char* const kUsage;

}  // namespace zt::quorvel_tool
