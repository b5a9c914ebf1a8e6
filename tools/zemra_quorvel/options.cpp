#include "options.h"

#include <algorithm>
#include <optional>

#include "hex.h"

namespace zt::quorvel_tool {

const char* const kUsage =
    "Usage: zemra-quorvel COMMAND (--key TEXT | --key-hex HEX) [--hex]\n"
    "       zemra-quorvel --help | --version\n"
    "\n"
    "Reads data on standard input and writes the result on standard output.\n"
    "\n"
    "Commands:\n"
    "  encipher         build one Quorvel packet of the input (at most 392 bytes)\n"
    "  decipher         open the input, all of it, as one Quorvel packet\n"
    "  blocks-encipher  two-key triple DES of the input, zero-filled to whole 8-byte blocks\n"
    "  blocks-decipher  the inverse of blocks-encipher (the zero fill is kept)\n"
    "\n"
    "Options:\n"
    "  --key TEXT      the key as 16 ASCII characters, used as their byte values\n"
    "  --key-hex HEX   the key as 32 hex digits (K1 then K2)\n"
    "  --hex           input and output as hex digits (whitespace in the input is ignored)\n"
    "  --help          show this text\n"
    "  --version       show the version\n"
    "\n"
    "A bad key, bad hex input or an unusable packet ends with exit status 2.\n";

namespace {

using Key = std::array<std::uint8_t, 16>;

std::optional<Command> ParseCommand(std::string_view word) {
  if (word == "encipher") return Command::Encipher;
  if (word == "decipher") return Command::Decipher;
  if (word == "blocks-encipher") return Command::BlocksEncipher;
  if (word == "blocks-decipher") return Command::BlocksDecipher;
  return std::nullopt;
}

std::optional<Key> KeyFromText(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (text.size() != 16 || !ascii) return std::nullopt;
  Key key{};
  std::copy(text.begin(), text.end(), key.begin());
  return key;
}

std::optional<Key> KeyFromHex(std::string_view text) {
  const auto bytes = ParseHex(text);
  if (text.size() != 32 || !bytes || bytes->size() != 16) return std::nullopt;
  Key key{};
  std::copy(bytes->begin(), bytes->end(), key.begin());
  return key;
}

// Reads the key option at args[index], its value inline ("--key=...") or in the next argument,
// which it then consumes.
std::variant<Key, UsageError> ReadKey(const std::vector<std::string_view>& args,
                                      std::size_t& index) {
  const std::string_view arg = args[index];
  const std::size_t equals = arg.find('=');
  const std::string_view name = arg.substr(0, equals);
  std::string_view value;
  if (equals != std::string_view::npos) {
    value = arg.substr(equals + 1);
  } else if (index + 1 < args.size()) {
    value = args[++index];
  } else {
    return UsageError{std::string(name) + " needs a value"};
  }
  if (name == "--key") {
    if (auto key = KeyFromText(value)) return *key;
    return UsageError{"bad key: --key needs exactly 16 ASCII characters"};
  }
  if (auto key = KeyFromHex(value)) return *key;
  return UsageError{"bad key: --key-hex needs exactly 32 hex digits"};
}

bool IsKeyOption(std::string_view arg) {
  const std::string_view name = arg.substr(0, arg.find('='));
  return name == "--key" || name == "--key-hex";
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string_view>& args) {
  if (std::find(args.begin(), args.end(), "--help") != args.end()) return HelpRequested{};
  if (std::find(args.begin(), args.end(), "--version") != args.end()) return VersionRequested{};
  Options options;
  std::optional<Command> command;
  bool haveKey = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--hex") {
      options.hex = true;
    } else if (IsKeyOption(arg)) {
      auto key = ReadKey(args, i);
      if (auto* error = std::get_if<UsageError>(&key)) return *error;
      if (haveKey) return UsageError{"give one key only"};
      options.key = std::get<Key>(key);
      haveKey = true;
    } else if (!command && ParseCommand(arg)) {
      command = ParseCommand(arg);
    } else {
      return UsageError{"unexpected argument '" + std::string(arg) + "' (see --help)"};
    }
  }
  if (!command) return UsageError{"no command given (see --help)"};
  if (!haveKey) return UsageError{"no key given: use --key or --key-hex"};
  options.command = *command;
  return options;
}

}  // namespace zt::quorvel_tool
