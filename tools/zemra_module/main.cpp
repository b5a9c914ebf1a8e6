// zemra-module: a module emulator on a pseudo-terminal or a TCP port, for trying the terminal
// without hardware and for tests. See module_options.cpp for the command line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "cipher/triple_des.h"
#include "module_options.h"
#include "module_server.h"
#include "version/version.h"

int main(int argc, char** argv) {
  zt::ModuleOptions options;
  try {
    options = zt::parseModuleOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::invalid_argument& e) {
    (void)std::fprintf(stderr, "zemra-module: %s\n", e.what());
    return 2;
  }
  if (options.help) {
    return std::fputs(zt::moduleUsage(), stdout) < 0 ? 1 : 0;
  }
  if (options.version) {
    return std::printf("zemra-module %s\n", zt::kVersion) < 0 ? 1 : 0;
  }
  if (options.mode == zt::ModuleMode::Quorvel) {
    std::uint8_t key[16] = {};
    std::copy_n(options.key.begin(), std::min(options.key.size(), sizeof key), key);
    zt::QuorvelSetKey(key);
  }
  try {
    zt::ModuleServer server(options);
    server.run();
  } catch (const std::exception& e) {
    (void)std::fprintf(stderr, "zemra-module: %s\n", e.what());
    return 1;
  }
  return 0;
}
