#include "cipher/wipe.h"

#include <string.h>  // explicit_bzero

namespace zt {

void Wipe(void* data, std::size_t size) noexcept { ::explicit_bzero(data, size); }

}  // namespace zt
