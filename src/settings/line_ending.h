// The line ending that Send appends to a typed text: none, CR, LF or CR LF. Chosen at start
// (--eol) and cycled on the transfer screen; it applies to typed texts only, never to auto-send
// or the test file.
//
// Pure constants and functions; safe anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zt {

enum class LineEnding : std::uint8_t { None, Cr, Lf, CrLf };

// The ending named as the option takes it ("none", "cr", "lf", "crlf"); nothing for other names.
constexpr std::optional<LineEnding> ParseLineEnding(std::string_view name) {
  if (name == "none") return LineEnding::None;
  if (name == "cr") return LineEnding::Cr;
  if (name == "lf") return LineEnding::Lf;
  if (name == "crlf") return LineEnding::CrLf;
  return std::nullopt;
}

constexpr std::string_view LineEndingBytes(LineEnding ending) {
  switch (ending) {
    case LineEnding::None: return "";
    case LineEnding::Cr: return "\r";
    case LineEnding::Lf: return "\n";
    case LineEnding::CrLf: return "\r\n";
  }
  return "";
}

// How the screen names it: "none", "CR", "LF", "CR LF".
constexpr std::string_view LineEndingName(LineEnding ending) {
  switch (ending) {
    case LineEnding::None: return "none";
    case LineEnding::Cr: return "CR";
    case LineEnding::Lf: return "LF";
    case LineEnding::CrLf: return "CR LF";
  }
  return "none";
}

// The ending after `ending` in the order none, CR, LF, CR LF, and none again.
constexpr LineEnding NextLineEnding(LineEnding ending) {
  return ending == LineEnding::CrLf ? LineEnding::None
                                    : static_cast<LineEnding>(static_cast<int>(ending) + 1);
}

}  // namespace zt
