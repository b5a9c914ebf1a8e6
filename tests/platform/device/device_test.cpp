#include "platform/device/device.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace zt {
namespace {

namespace fs = std::filesystem;

TEST(Device, DocumentsDirectoryFollowsOverrideThenXdgThenHomeThenThePasswordDatabase) {
  EXPECT_EQ(DocumentsDirectory(fs::path("rel/dir")), fs::path("rel/dir"));
  const passwd* entry = ::getpwuid(::getuid());
  const bool hasEntry = entry != nullptr && entry->pw_dir != nullptr && *entry->pw_dir != '\0';
  const struct {
    const char* xdg;
    const char* home;
    fs::path expected;
  } cases[] = {
      {"/srv/data", "/home/tester", "/srv/data/zemra-telvo"},
      {"not/absolute", "/home/tester", "/home/tester/.local/share/zemra-telvo"},
      {nullptr, "", hasEntry ? fs::path(entry->pw_dir) / ".local/share/zemra-telvo" : fs::path()},
  };
  for (const auto& c : cases) {
    if (c.expected.empty()) continue;  // no password entry for this user
    static_cast<void>(c.xdg != nullptr ? ::setenv("XDG_DATA_HOME", c.xdg, 1)
                                       : ::unsetenv("XDG_DATA_HOME"));
    ::setenv("HOME", c.home, 1);
    EXPECT_EQ(DocumentsDirectory(std::nullopt), c.expected) << (c.xdg ? c.xdg : "(unset)");
  }
}

}  // namespace
}  // namespace zt
