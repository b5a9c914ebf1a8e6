#include "module_options.h"

#include <charconv>
#include <stdexcept>

namespace zt {

namespace {

std::uint16_t parsePort(const std::string& text, const std::string& whole) {
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || value > 65535) {
    throw std::invalid_argument("bad port in --listen '" + whole +
                                "': expected HOST:PORT with a port from 0 to 65535");
  }
  return static_cast<std::uint16_t>(value);
}

void parseListen(const std::string& text, ModuleOptions& options) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) {
    throw std::invalid_argument("--listen expects HOST:PORT, got '" + text + "'");
  }
  std::string host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  options.listenPort = parsePort(text.substr(colon + 1), text);
  options.listenHost = host;
}

ModuleMode parseMode(const std::string& text) {
  if (text == "echo") return ModuleMode::Echo;
  if (text == "sink") return ModuleMode::Sink;
  if (text == "quorvel") return ModuleMode::Quorvel;
  throw std::invalid_argument("unknown --mode '" + text + "': expected echo, sink or quorvel");
}

double parseSeconds(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || !(value > 0) ||
      value > 1e7) {
    throw std::invalid_argument("bad --seconds '" + text + "': expected a positive number");
  }
  return value;
}

void check(const ModuleOptions& options) {
  if (options.help || options.version) return;
  if (options.pty == options.listenHost.has_value()) {
    throw std::invalid_argument("give exactly one of --pty and --listen HOST:PORT");
  }
  if (!options.link.empty() && !options.pty) {
    throw std::invalid_argument("--link needs --pty");
  }
  if (options.mode == ModuleMode::Quorvel && options.key.empty()) {
    throw std::invalid_argument("--mode quorvel needs --key KEY");
  }
}

}  // namespace

ModuleOptions parseModuleOptions(const std::vector<std::string>& args) {
  ModuleOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--pty") {
      options.pty = true;
    } else if (arg == "--link") {
      options.link = value();
    } else if (arg == "--listen") {
      parseListen(value(), options);
    } else if (arg == "--mode") {
      options.mode = parseMode(value());
    } else if (arg == "--key") {
      options.key = value();
    } else if (arg == "--seconds") {
      options.seconds = parseSeconds(value());
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else {
      throw std::invalid_argument("unknown option '" + arg + "' (see --help)");
    }
  }
  check(options);
  return options;
}

const char* moduleUsage() {
  return "usage: zemra-module --pty [--link PATH] | --listen HOST:PORT\n"
         "                    [--mode echo|sink|quorvel] [--key KEY] [--seconds N]\n"
         "       zemra-module --help | --version\n"
         "  --pty               serve a new pseudo-terminal; its path is the first output line\n"
         "  --link PATH         also make PATH a symlink to it (removed at exit)\n"
         "  --listen HOST:PORT  serve TCP instead (port 0: any free port); the first output\n"
         "                      line is the address it listens on\n"
         "  --mode echo         send every chunk back (default)\n"
         "  --mode sink         count what arrives; at exit print the amount and the rate\n"
         "                      (timed from the first byte received to the last)\n"
         "  --mode quorvel      decipher Quorvel packets with --key, print each plaintext on a\n"
         "                      line and answer with it enciphered as one packet\n"
         "  --seconds N         stop after N seconds (else on SIGINT or SIGTERM)\n"
         "  --help              show this text\n"
         "  --version           show the version\n";
}

}  // namespace zt
