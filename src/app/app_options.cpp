#include "app/app_options.h"

#include <stdexcept>

namespace zt {
namespace {

// The value of `name` at args[i]: joined by "=" or the next argument (i then moves on to it);
// nothing when args[i] is another option.
std::optional<std::string> ValueOf(const std::string& name, const std::vector<std::string>& args,
                                   std::size_t& i) {
  const std::string& arg = args[i];
  if (arg.rfind(name + "=", 0) == 0) return arg.substr(name.size() + 1);
  if (arg != name) return std::nullopt;
  if (i + 1 >= args.size()) throw std::invalid_argument(name + " needs a value (see --help)");
  return args[++i];
}

std::filesystem::path NonEmpty(const std::string& name, const std::string& value) {
  if (value.empty()) throw std::invalid_argument(name + " needs a non-empty value");
  return value;
}

}  // namespace

AppOptions parseAppOptions(const std::vector<std::string>& args) {
  AppOptions options;
  const std::vector<std::string> rest = parseAccessoryOptions(args, options.accessories);
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (auto dir = ValueOf("--data-dir", rest, i)) {
      options.dataDir = NonEmpty("--data-dir", *dir);
    } else if (auto file = ValueOf("--log", rest, i)) {
      options.logFile = NonEmpty("--log", *file);
    } else if (rest[i] == "--help" || rest[i] == "-h") {
      options.help = true;
    } else if (rest[i] == "--version") {
      options.version = true;
    } else {
      throw std::invalid_argument("unknown option '" + rest[i] + "' (see --help)");
    }
  }
  return options;
}

const char* appUsage() {
  return "usage: zemra-telvo [--device PATH[@BAUD]]... [--tcp HOST:PORT]... [--no-demo]\n"
         "                   [--data-dir DIR] [--log FILE]\n"
         "       zemra-telvo --help | --version\n"
         "A terminal for Bluetooth serial modules and USB serial adapters. It lists the serial\n"
         "devices it finds, those given here and a built-in demo module that echoes.\n"
         "  --device PATH[@BAUD]  list the serial device at PATH (115200 baud unless given);\n"
         "                        a path that does not exist yet is accepted and listed once\n"
         "                        it appears; may be repeated\n"
         "  --tcp HOST:PORT       list a serial bridge reached over TCP; may be repeated\n"
         "  --no-demo             leave the built-in demo module out\n"
         "  --data-dir DIR        keep the option store under DIR\n"
         "                        (default: ~/.local/share/zemra-telvo)\n"
         "  --log FILE            append every session's log to FILE, unabridged\n"
         "  --help                show this text\n"
         "  --version             show the version\n"
         "Keys: arrows move, Enter opens, Right shows a device's details, Esc goes back,\n"
         "F2 opens the menu or confirms, q or Ctrl-C quits, Ctrl-Z goes to the background.\n";
}

}  // namespace zt
