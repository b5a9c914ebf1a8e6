// The install tree, the manual pages and the Debian package, made by the real cmake and cpack
// from this build into temporary folders; the programs run from where they were installed.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <vector>

#include "frontend/terminal/key_table.h"
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

// `text` after `start`, up to where `end` matches (an empty `end`: to the end).
std::string section(const std::string& text, const std::string& start, const std::string& end) {
  const auto from = text.find(start);
  if (from == std::string::npos) return "";
  const std::string rest = text.substr(from + start.size());
  std::smatch next;
  if (end.empty() || !std::regex_search(rest, next, std::regex(end))) return rest;
  return rest.substr(0, static_cast<std::size_t>(next.position()));
}

// Lower case, without markup and runs of blanks: how a key list's words compare across formats.
std::string plain(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '`' || c == '*') continue;
    const bool blank = std::isspace(static_cast<unsigned char>(c)) || c == '|';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

// The README's key table names every key of the keyboard contract, and the man page's KEYS and
// --help give each of its rows, keys and words, so that none of the three drifts.
void expectKeysDocumented(const std::string& readme, const std::string& page,
                          const std::string& help) {
  const std::string table = section(readme, "\n## Keys\n", "\n## ");
  const std::string man = plain(section(page, "\nKEYS\n", "\n[A-Z]"));
  const std::string usage = plain(section(help, "\nKeys", ""));
  static const std::regex row(R"(\n\| ([^|]+) \| ([^|]+) \|)");
  std::set<std::string> named;
  for (std::sregex_iterator it(table.begin(), table.end(), row), end; it != end; ++it) {
    const std::string keys = (*it)[1];
    if (keys == "key") continue;
    static const std::regex separator(", ");
    named.insert(std::sregex_token_iterator(keys.begin(), keys.end(), separator, -1), {});
    const std::string words = plain(keys + " " + (*it)[2].str());
    EXPECT_NE(man.find(words), std::string::npos) << "man page: " << words;
    EXPECT_NE(usage.find(words), std::string::npos) << "--help: " << words;
  }
  for (const auto& key : term::documentedKeys()) EXPECT_TRUE(named.count(key)) << key;
}

// Installs only the programs, their pages and the README; each program tells its version, and
// its page renders without a warning and names every option its --help prints, and the keys
// are the same in the README, the page and --help.
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
    if (program == "zemra-telvo") {
      expectKeysDocumented(test::readFile(prefix / "share/doc/zemra-telvo/README.md"), text.out,
                           help.out);
    }
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
