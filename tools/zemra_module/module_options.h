// Command line of zemra-module, the module emulator:
//   zemra-module --pty [--link PATH] | --listen HOST:PORT
//                [--mode echo|sink|quorvel] [--key KEY] [--seconds N]
//   zemra-module --help | --version
// parseModuleOptions() throws std::invalid_argument with a message for the user. Pure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zt {

enum class ModuleMode { Echo, Sink, Quorvel };

struct ModuleOptions {
  bool pty = false;
  std::string link;  // symlink to the pty's slave, made at start and removed at exit
  std::optional<std::string> listenHost;
  std::uint16_t listenPort = 0;  // 0: any free port
  ModuleMode mode = ModuleMode::Echo;
  std::string key;  // Quorvel key, required by the quorvel mode
  std::optional<double> seconds;  // stop by itself after this long
  bool help = false;
  bool version = false;
};

ModuleOptions parseModuleOptions(const std::vector<std::string>& args);
const char* moduleUsage();

}  // namespace zt
