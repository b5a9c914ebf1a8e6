// zemra-telvo's command line, run as a program: what it says for --help and --version, and one
// clear line on stderr with status 2 for anything it cannot use (before any terminal is needed).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/io.h"
#include "version/version.h"

namespace zt::test {
namespace {

const std::string kProgram = ZT_TELVO;

TEST(ProgramOptions, HelpAndVersionPrintAndExitZero) {
  const auto version = runProgram({kProgram, "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "zemra-telvo " + std::string(kVersion) + "\n");
  const auto help = runProgram({kProgram, "--no-demo", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("a path that does not exist yet is accepted"), std::string::npos);
  EXPECT_EQ(help.err, "");
}

TEST(ProgramOptions, WhatCannotBeUsedIsOneLineAndStatusTwo) {
  TempDir dir;
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--colour"}, "unknown option '--colour'"},
      {{"stray"}, "unknown option 'stray'"},
      {{"--device", "/dev/ttyUSB0@fast"}, "/dev/ttyUSB0@fast"},
      {{"--tcp", "localhost"}, "localhost"},
      {{"--data-dir"}, "--data-dir needs a value"},
      {{"--data-dir="}, "--data-dir needs a non-empty value"},
      {{"--log", (dir.path() / "missing" / "log").string()}, "cannot open the log file"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{kProgram};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto outcome = runProgram(argv);
    EXPECT_EQ(outcome.status, 2) << c.args.front();
    EXPECT_EQ(outcome.err.rfind("zemra-telvo: ", 0), 0U) << outcome.err;
    EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
  }
}

}  // namespace
}  // namespace zt::test
