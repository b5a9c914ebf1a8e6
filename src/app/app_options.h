// Command line of zemra-telvo: the platform's options only (the application itself has none):
//   zemra-telvo [--device PATH[@BAUD]]... [--tcp HOST:PORT]... [--no-demo] [--data-dir DIR]
//               [--log FILE] [--reconnect]
//   zemra-telvo --help | --version
// Options with a value take it as the next argument or after "=". parseAppOptions() throws
// std::invalid_argument with one line for the person (an unknown option, a bad speed, a bad
// HOST:PORT, a missing value). A --device path need not exist yet. Pure; any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/external_accessory/options.h"

namespace zt {

struct AppOptions {
  AccessoryOptions accessories;
  std::optional<std::filesystem::path> dataDir;
  std::optional<std::filesystem::path> logFile;
  bool reconnect = false;  // a transfer screen waits for its accessory to come back
  bool help = false;
  bool version = false;
};

// `args` without the program's name.
AppOptions parseAppOptions(const std::vector<std::string>& args);
const char* appUsage();

}  // namespace zt
