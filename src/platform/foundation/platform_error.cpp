#include "platform/foundation/platform_error.h"

namespace zt {

std::string PlatformError::message() const {
  if (!detail.empty()) return detail;
  return subject.empty() ? code.message() : subject + ": " + code.message();
}

PlatformError systemError(int error, std::string subject) {
  return {std::error_code(error, std::generic_category()), std::move(subject), {}};
}

}  // namespace zt
