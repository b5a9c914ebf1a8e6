// Command line of zemra-telvo: the platform's options only (the application itself has none):
//   zemra-telvo [--device PATH[@BAUD]]... [--tcp HOST:PORT]... [--no-demo] [--data-dir DIR]
//               [--log FILE] [--history-size MIB] [--eol none|cr|lf|crlf] [--escapes]
//               [--reconnect]
//   zemra-telvo --help | --version
// Options with a value take it as the next argument or after "=". parseAppOptions() throws
// std::invalid_argument with one line for the person (an unknown option, a bad speed, a bad
// HOST:PORT, a missing value, a history size that is not a whole number from 0 to 4096, a line
// ending it does not know). A --device path need not exist yet. Pure; any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/external_accessory/options.h"
#include "settings/line_ending.h"

namespace zt {

struct AppOptions {
  AccessoryOptions accessories;
  std::optional<std::filesystem::path> dataDir;
  std::optional<std::filesystem::path> logFile;
  std::uint64_t historyMiB = 32;  // 0: the history is off
  LineEnding lineEnding = LineEnding::None;  // what Send appends to a typed text
  bool escapes = false;                      // backslash escapes in typed texts become bytes
  bool reconnect = false;  // a transfer screen waits for its accessory to come back
  bool help = false;
  bool version = false;
};

// `args` without the program's name.
AppOptions parseAppOptions(const std::vector<std::string>& args);
const char* appUsage();

}  // namespace zt
