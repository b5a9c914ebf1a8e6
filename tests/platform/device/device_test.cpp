#include "platform/device/device.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace zt {
namespace {

namespace fs = std::filesystem;

// Sets or clears one environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

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

TEST(Device, DocumentsDirectoryFollowsOverrideThenXdgThenHome) {
  ScopedEnv xdg("XDG_DATA_HOME", "/srv/data");
  ScopedEnv home("HOME", "/home/tester");
  EXPECT_EQ(DocumentsDirectory(fs::path("rel/dir")), fs::path("rel/dir"));
  EXPECT_EQ(DocumentsDirectory(std::nullopt), fs::path("/srv/data/zemra-telvo"));
  {
    ScopedEnv relative("XDG_DATA_HOME", "not/absolute");
    EXPECT_EQ(DocumentsDirectory(std::nullopt),
              fs::path("/home/tester/.local/share/zemra-telvo"));
  }
  ScopedEnv empty("XDG_DATA_HOME", "");
  EXPECT_EQ(DocumentsDirectory(std::nullopt), fs::path("/home/tester/.local/share/zemra-telvo"));
}

TEST(Device, DocumentsDirectoryFallsBackToThePasswordDatabase) {
  const passwd* entry = ::getpwuid(::getuid());
  if (entry == nullptr || entry->pw_dir == nullptr || *entry->pw_dir == '\0') {
    GTEST_SKIP() << "no password entry for this user";
  }
  const fs::path expected = fs::path(entry->pw_dir) / ".local" / "share" / "zemra-telvo";
  ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  ScopedEnv home("HOME", nullptr);
  EXPECT_EQ(DocumentsDirectory(std::nullopt), expected);
  ScopedEnv emptyHome("HOME", "");
  EXPECT_EQ(DocumentsDirectory(std::nullopt), expected);
}

}  // namespace
}  // namespace zt
