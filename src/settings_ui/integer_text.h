// Reading a whole number out of what a person typed into a settings field, as lenient as the
// fields are: leading white space is skipped, an optional sign and the digits after it are read
// up to the first other character, text without digits reads as 0, and a number beyond the
// 32-bit signed range reads as the nearest limit. Nothing else is checked (0 and negative
// numbers come back as typed). Pure function; safe from any thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace zt {

std::int32_t ReadInteger(std::string_view text);

}  // namespace zt
