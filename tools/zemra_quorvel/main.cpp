// zemra-quorvel: the Quorvel cipher on the command line. See options.h for the command line.
// Exit status: 0 on success, 2 for a bad command line, key, hex input or packet, 1 when
// standard input or output fails.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cipher/triple_des.h"
#include "commands.h"
#include "hex.h"
#include "options.h"
#include "version/version.h"

namespace zt::quorvel_tool {
namespace {

constexpr int kBadInput = 2;
constexpr int kIoFailure = 1;

int Fail(int status, const std::string& message) {
  (void)std::fprintf(stderr, "zemra-quorvel: %s\n", message.c_str());
  return status;
}

// "what: " and the text of the current errno.
std::string ErrnoText(const char* what) {
  return std::string(what) + ": " + std::generic_category().message(errno);
}

// Reads standard input to its end; false with errno set on a read error.
bool ReadAll(Bytes& data) {
  std::uint8_t buffer[65536];
  for (;;) {
    const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
    if (count == 0) return true;
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    data.insert(data.end(), buffer, buffer + count);
  }
}

// Writes all of text to standard output; false with errno set on a write error.
bool WriteAll(std::string_view text) {
  while (!text.empty()) {
    const ssize_t count = write(STDOUT_FILENO, text.data(), text.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    text.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

int Run(const Options& options) {
  Bytes input;
  if (!ReadAll(input)) return Fail(kIoFailure, ErrnoText("reading input"));
  if (options.hex) {
    const auto parsed = ParseHex(std::string_view(reinterpret_cast<const char*>(input.data()),
                                                  input.size()));
    if (!parsed) return Fail(kBadInput, "bad hex input: expected pairs of hex digits");
    input = *parsed;
  }
  QuorvelSetKey(options.key);
  const CommandResult result = RunCommand(options.command, input);
  if (const auto* error = std::get_if<std::string>(&result)) return Fail(kBadInput, *error);
  const auto& output = std::get<Bytes>(result);
  const std::string text = options.hex
                               ? FormatHex(output) + "\n"
                               : std::string(output.begin(), output.end());
  if (!WriteAll(text)) return Fail(kIoFailure, ErrnoText("writing output"));
  return 0;
}

}  // namespace
}  // namespace zt::quorvel_tool

int main(int argc, char** argv) {
  using namespace zt::quorvel_tool;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseOptions(args);
  if (std::holds_alternative<HelpRequested>(parsed)) {
    return std::fputs(kUsage, stdout) < 0 ? kIoFailure : 0;
  }
  if (std::holds_alternative<VersionRequested>(parsed)) {
    return std::printf("zemra-quorvel %s\n", zt::kVersion) < 0 ? kIoFailure : 0;
  }
  if (const auto* error = std::get_if<UsageError>(&parsed)) return Fail(kBadInput, error->message);
  return Run(std::get<Options>(parsed));
}
