// Strict UTF-8, one character at a time: what the bytes at a position of a text are. Valid
// sequences are the shortest form of a code point up to U+10FFFF that is not a surrogate.
// Pure function; safe from any thread.
#pragma once

#include <cstddef>
#include <string_view>

namespace zt {

struct Utf8Sequence {
  enum class Kind {
    Valid,      // a whole character of `length` bytes
    Truncated,  // the first `length` bytes of a character that the text's end cuts short
    Invalid,    // not the start of a character; `length` is 1
  };
  Kind kind;
  std::size_t length;
};

// `pos` must be inside `text`.
Utf8Sequence ScanUtf8(std::string_view text, std::size_t pos);

}  // namespace zt
