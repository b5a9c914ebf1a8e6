// Line speeds that the classic termios speed table does not have, set through termios2 and
// BOTHER. Kept apart because its kernel header clashes with <termios.h>. Any thread; the
// descriptor is the caller's.
#pragma once

#include <string>

#include "platform/foundation/platform_error.h"

namespace zt {

// Sets input and output speed of the open tty `fd` (at `path`) to `baud`.
PlatformError setCustomLineSpeed(int fd, unsigned baud, const std::string& path);

}  // namespace zt
