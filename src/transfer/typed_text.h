// A text typed in the send field, read for sending. With escapes on, \r, \n, \t, \\ and \xNN
// (exactly two hex digits) become those bytes, and any other backslash sequence is refused;
// without, a backslash is an ordinary character. The line ending is appended. Escaped bytes and
// the ending go out as they are whatever the data format; the typed characters between them
// follow the format's rule (send_encoding.h).
//
// Pure values and functions; safe anywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/line_ending.h"

namespace zt {

struct TypedText {
  struct Piece {
    std::string bytes;
    bool raw = false;  // goes out as it is, whatever the data format
  };
  std::vector<Piece> pieces;  // no piece is empty; an empty text has none

  // Every byte in order: the text as sent, before any Quorvel packet.
  std::string bytes() const;
};

struct ReadTyped {
  TypedText text;
  std::string malformed;  // the first backslash sequence that is no escape ("\x4", "\q"), or ""
};

ReadTyped ReadTypedText(std::string_view typed, bool escapes, LineEnding ending);

}  // namespace zt
