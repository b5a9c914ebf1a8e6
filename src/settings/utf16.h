// Counting text the way the user interface counts characters: in UTF-16 code units, so a
// character outside the Basic Multilingual Plane (an emoji, say) counts as two.
//
// Text is held as UTF-8 everywhere else in the program. Invalid UTF-8 (a stray continuation
// byte, a truncated or overlong sequence, an encoded surrogate, a value above U+10FFFF) counts
// one unit per offending byte, as if each were replaced by U+FFFD, and is kept byte for byte.
// Pure functions; safe from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zt {

// The number of UTF-16 code units that `utf8` takes.
std::size_t Utf16Length(std::string_view utf8);

// The longest leading part of `utf8` that takes at most `units` UTF-16 code units. It never
// splits a UTF-8 sequence or a surrogate pair: a character that needs two units when only one
// is left is not included.
std::string Utf16Prefix(std::string_view utf8, std::size_t units);

}  // namespace zt
