// The install tree, the manual pages and the Debian package, made by the real cmake and cpack
// from this build into temporary folders; the programs run from where they were installed.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <vector>

#include "support/io.h"
#include "support/watchdog.h"
#include "version/version.h"

namespace zt {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kPrograms = {"zemra-telvo", "zemra-module", "zemra-quorvel"};

// Every file an install writes, under its prefix, with its mode.
const std::map<std::string, fs::perms> kInstalledFiles = {
    {"bin/zemra-module", fs::perms(0755)},
    {"bin/zemra-quorvel", fs::perms(0755)},
    {"bin/zemra-telvo", fs::perms(0755)},
    {"share/doc/zemra-telvo/README.md", fs::perms(0644)},
    {"share/man/man1/zemra-module.1", fs::perms(0644)},
    {"share/man/man1/zemra-quorvel.1", fs::perms(0644)},
    {"share/man/man1/zemra-telvo.1", fs::perms(0644)},
};

// The words that look like long options ("--key-hex") in a text.
std::set<std::string> longOptions(const std::string& text) {
  static const std::regex option("--[a-z]+(-[a-z]+)*");
  return {std::sregex_token_iterator(text.begin(), text.end(), option), {}};
}

// Installs only the programs, their pages and the README; each program tells its version, and
// its page renders without a warning and names every option its --help prints.
TEST(Install, WritesTheProgramsTheirPagesAndTheReadmeAndEachPageNamesEveryOption) {
  test::Watchdog dog(std::chrono::seconds(120));
  test::TempDir dir;
  const fs::path prefix = dir.path() / "prefix";
  const auto install =
      test::runProgram({ZT_CMAKE, "--install", ZT_BUILD_DIR, "--prefix", prefix.string()});
  ASSERT_EQ(install.status, 0) << install.out << install.err;
  std::map<std::string, fs::perms> files;
  for (const auto& entry : fs::recursive_directory_iterator(prefix)) {
    if (!entry.is_directory()) {
      files[fs::relative(entry.path(), prefix).string()] =
          entry.status().permissions() & fs::perms::mask;
    }
  }
  EXPECT_EQ(files, kInstalledFiles);

  for (const auto& program : kPrograms) {
    SCOPED_TRACE(program);
    const std::string page = (prefix / "share/man/man1" / (program + ".1")).string();
    const auto lint = test::runProgram({"groff", "-ww", "-z", "-man", page});
    EXPECT_EQ(lint.status, 0);
    EXPECT_EQ(lint.err, "");

    const std::string binary = (prefix / "bin" / program).string();
    const auto help = test::runProgram({binary, "--help"});
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_EQ(test::runProgram({binary, "--version"}).out, program + " " + kVersion + "\n");
    const auto helpOptions = longOptions(help.out);
    EXPECT_TRUE(helpOptions.count("--help") && helpOptions.count("--version")) << help.out;
    const auto text =
        test::runProgram({"groff", "-man", "-Tascii", "-P-cbou", "-rLL=1000n", "-rHY=0", page});
    const auto pageOptions = longOptions(text.out);
    for (const auto& option : helpOptions) EXPECT_TRUE(pageOptions.count(option)) << option;
  }
}

TEST(Package, DebCarriesTheVersionAndTheLibrariesTheProgramsNeedAndInstallsUnderUsr) {
  test::Watchdog dog(std::chrono::seconds(240));
  test::TempDir dir;
  const fs::path build = ZT_BUILD_DIR;
  const auto made = test::runProgram(
      {ZT_CPACK, "-G", "DEB", "--config", build / "CPackConfig.cmake", "-B", dir.path()});
  ASSERT_EQ(made.status, 0) << made.out << made.err;
  std::string arch = test::runProgram({"dpkg", "--print-architecture"}).out;
  ASSERT_FALSE(arch.empty());
  arch.pop_back();  // the line end
  const auto deb = dir.path() / ("zemra-telvo_" + std::string(kVersion) + "_" + arch + ".deb");
  ASSERT_TRUE(fs::exists(deb)) << made.out;

  const auto field = [&](const std::string& name) {
    return test::runProgram({"dpkg-deb", "--field", deb, name}).out;
  };
  EXPECT_EQ(field("Package"), "zemra-telvo\n");
  EXPECT_EQ(field("Version"), std::string(kVersion) + "\n");
  // The libraries the programs link bring their packages (libc6 always).
  const std::string depends = field("Depends");
  EXPECT_NE(depends.find("libc6 ("), std::string::npos) << depends;
  EXPECT_NE(depends.find("libsqlite3-0 ("), std::string::npos) << depends;
  const auto contents = test::runProgram({"dpkg-deb", "--contents", deb}).out;
  EXPECT_NE(contents.find(" ./usr/bin/zemra-telvo\n"), std::string::npos) << contents;
}

}  // namespace
}  // namespace zt
