#include "platform/device/device.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <vector>

namespace zt {
namespace {

constexpr const char* kAppFolder = "zemra-telvo";

std::optional<std::filesystem::path> EnvironmentPath(const char* name) {
  const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): nothing calls setenv
  if (value == nullptr || *value == '\0') return std::nullopt;
  std::filesystem::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

std::optional<std::filesystem::path> PasswordHome() {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384U);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr || *found->pw_dir == '\0') {
    return std::nullopt;
  }
  return std::filesystem::path(found->pw_dir);
}

std::optional<utsname> Uname() {
  utsname names{};
  if (::uname(&names) != 0) return std::nullopt;
  return names;
}

}  // namespace

std::string DeviceName() {
  std::array<char, 256> name{};
  if (::gethostname(name.data(), name.size() - 1) != 0) return {};
  return {name.data()};
}

std::string DeviceModel() {
  const auto names = Uname();
  return names ? std::string(names->machine) : std::string();
}

std::string DeviceSystemVersion() {
  const auto names = Uname();
  return names ? std::string(names->release) : std::string();
}

std::filesystem::path DocumentsDirectory(const std::optional<std::filesystem::path>& override) {
  if (override) return *override;
  if (const auto dataHome = EnvironmentPath("XDG_DATA_HOME")) return *dataHome / kAppFolder;
  auto home = EnvironmentPath("HOME");
  if (!home) home = PasswordHome();
  if (home) return *home / ".local" / "share" / kAppFolder;
  std::error_code error;
  return std::filesystem::current_path(error) / kAppFolder;
}

}  // namespace zt
