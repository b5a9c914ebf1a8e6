#include "platform/device/device.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace zt {
namespace {

namespace fs = std::filesystem;

// Sets, or with nullptr clears, an environment variable (of this test program only).
void setEnv(const char* name, const char* value) {
  static_cast<void>(value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name));
}

TEST(Device, IdentityComesFromTheSystem) {
  char host[256] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  utsname names{};
  ASSERT_EQ(::uname(&names), 0);
  EXPECT_EQ(DeviceName(), host);
  EXPECT_EQ(DeviceModel(), names.machine);
  EXPECT_EQ(DeviceSystemVersion(), names.release);
  EXPECT_FALSE(DeviceModel().empty());
}

TEST(Device, DocumentsDirectoryFollowsOverrideThenXdgThenHomeThenThePasswordDatabase) {
  EXPECT_EQ(DocumentsDirectory(fs::path("rel/dir")), fs::path("rel/dir"));
  const passwd* entry = ::getpwuid(::getuid());
  const bool hasEntry = entry != nullptr && entry->pw_dir != nullptr && *entry->pw_dir != '\0';
  const fs::path fromDatabase =
      hasEntry ? fs::path(entry->pw_dir) / ".local/share/zemra-telvo" : fs::path();
  const fs::path fromHome = "/home/tester/.local/share/zemra-telvo";
  const struct {
    const char* xdg;
    const char* home;
    fs::path expected;
  } cases[] = {
      {"/srv/data", "/home/tester", "/srv/data/zemra-telvo"},
      {"not/absolute", "/home/tester", fromHome},
      {"", "/home/tester", fromHome},
      {nullptr, nullptr, fromDatabase},
      {nullptr, "", fromDatabase},
  };
  for (const auto& c : cases) {
    if (c.expected.empty()) continue;  // no password entry for this user
    setEnv("XDG_DATA_HOME", c.xdg);
    setEnv("HOME", c.home);
    EXPECT_EQ(DocumentsDirectory(std::nullopt), c.expected)
        << (c.xdg ? c.xdg : "(unset)") << ", " << (c.home ? c.home : "(unset)");
  }
}

}  // namespace
}  // namespace zt
