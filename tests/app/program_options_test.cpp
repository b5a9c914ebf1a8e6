// zemra-telvo's command line, run as a program: --help and --version, and one clear line on
// stderr with status 2 for anything it cannot use (before any terminal is needed); a start
// that fails ends with one line too.
#include <gtest/gtest.h>

#include <set>

#include "support/io.h"

namespace zt::test {
namespace {

TEST(ProgramOptions, HelpAndVersionPrintOrOneLineTellsWhatCannotBeUsed) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string says;
  } cases[] = {
      {{"--version"}, 0, "zemra-telvo 1.6.0\n"},
      {{"--no-demo", "--help"}, 0, "a path that does not exist yet is accepted"},
      {{"stray"}, 2, "zemra-telvo: unknown option 'stray' (see --help)\n"},
      {{"--eol", "crlf", "--escapes", "--help"}, 0, "--eol none|cr|lf|crlf"},
      {{"--eol=dos"}, 2, "zemra-telvo: --eol takes none, cr, lf or crlf, not 'dos'\n"},
      {{"--log", "/nonexistent/log"}, 2,
       "zemra-telvo: cannot open the log file '/nonexistent/log' for appending: No such file or "
       "directory\n"},
      {{"--history-size=4097", "--version"}, 2,
       "zemra-telvo: --history-size takes a whole number of MiB from 0 to 4096, not '4097'\n"},
      {{"--history-size", "0", "--version"}, 0, "zemra-telvo 1.6.0\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{ZT_TELVO};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto outcome = runProgram(argv);
    EXPECT_EQ(outcome.status, c.status);
    const std::string& told = c.status == 0 ? outcome.out : outcome.err;
    EXPECT_NE(told.find(c.says), std::string::npos) << told;
    EXPECT_TRUE(c.status == 0 || told.find('\n') == told.size() - 1) << "one line: " << told;
  }
}

// Descriptors run out at each step of the start in turn (a lower limit on open files each time)
// until the only thing missing is a terminal.
TEST(ProgramOptions, EachFailedStartSaysWhyInOneLine) {
  const TempDir data;
  std::set<std::string> told;
  for (int limit = 4; limit < 64 && !told.contains("terminal"); ++limit) {
    const auto outcome = runProgram({"sh", "-c", "ulimit -n " + std::to_string(limit) +
                                                     " && exec \"$0\" --no-demo --data-dir \"$1\"",
                                     ZT_TELVO, data.path().string()});
    if (outcome.status == 127) continue;  // the loader had no descriptor left: it never ran
    if (outcome.err.find("Sanitizer") != std::string::npos) {
      GTEST_SKIP() << "a sanitizer's runtime needs descriptors of its own: " << outcome.err;
    }
    const bool noTerminal =
        outcome.err == "zemra-telvo: standard input and output must be a terminal\n";
    if (noTerminal) told.insert("terminal");
    if (outcome.err == "zemra-telvo: signalfd: Too many open files\n") told.insert("signals");
    EXPECT_EQ(outcome.status, noTerminal ? 2 : 1) << outcome.err;
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "one line: " << outcome.err;
  }
  EXPECT_EQ(told, (std::set<std::string>{"signals", "terminal"}));
}

}  // namespace
}  // namespace zt::test
