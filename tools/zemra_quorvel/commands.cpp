#include "commands.h"

#include <algorithm>
#include <span>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"

namespace zt::quorvel_tool {
namespace {

// Deciphering takes a 16-bit length, so long inputs go in pieces of whole blocks.
constexpr std::size_t kPiece = 32768;

CommandResult Encipher(const Bytes& input) {
  if (input.size() > kQuorvelMaxPlaintext) {
    return "input too long for one packet: " + std::to_string(input.size()) +
           " bytes, at most " + std::to_string(kQuorvelMaxPlaintext);
  }
  Bytes packet(kQuorvelMaxCiphertext + 2);
  packet.resize(QuorvelEncipher(input, packet));
  return packet;
}

CommandResult Decipher(const Bytes& input) {
  Bytes plain(kQuorvelMaxCiphertext);
  const auto length = QuorvelDecipher(input, plain);
  if (!length) return std::string("unusable packet: not the shape of a Quorvel packet");
  plain.resize(*length);
  return plain;
}

std::size_t RoundedUp(std::size_t length) { return (length + 7) & ~std::size_t{7}; }

CommandResult BlocksEncipher(const Bytes& input) {
  Bytes data = input;
  data.resize(RoundedUp(input.size()));
  std::uint32_t written = 0;
  if (input.size() > UINT32_MAX ||
      !TripleDesEncipher(static_cast<std::uint32_t>(input.size()), data, data, written)) {
    return std::string("input too large");
  }
  return data;
}

CommandResult BlocksDecipher(const Bytes& input) {
  Bytes out(RoundedUp(input.size()));
  const std::span<const std::uint8_t> in(input);
  for (std::size_t at = 0; at < input.size(); at += kPiece) {
    const std::size_t piece = std::min(kPiece, input.size() - at);
    TripleDesDecipher(static_cast<std::uint16_t>(piece), in.subspan(at, piece),
                      std::span(out).subspan(at));
  }
  return out;
}

}  // namespace

CommandResult RunCommand(Command command, const Bytes& input) {
  switch (command) {
    case Command::Encipher:
      return Encipher(input);
    case Command::Decipher:
      return Decipher(input);
    case Command::BlocksEncipher:
      return BlocksEncipher(input);
    case Command::BlocksDecipher:
      return BlocksDecipher(input);
  }
  return std::string("unknown command");
}

}  // namespace zt::quorvel_tool
