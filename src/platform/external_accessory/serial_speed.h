// Line speeds that the classic termios speed table does not have, set through termios2 and
// BOTHER. Kept apart because its kernel header clashes with <termios.h>. Any thread; the
// descriptor is the caller's.
#pragma once

namespace zt {

// Sets input and output speed of the open tty `fd` to `baud`; throws std::system_error.
void setCustomLineSpeed(int fd, unsigned baud);

}  // namespace zt
