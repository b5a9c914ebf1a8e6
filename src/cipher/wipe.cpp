#include "cipher/wipe.h"

#include <cstring>  // explicit_bzero (glibc)

namespace zt {

void Wipe(void* data, std::size_t size) noexcept { ::explicit_bzero(data, size); }

}  // namespace zt
