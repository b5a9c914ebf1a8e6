#include "platform/external_accessory/options.h"

#include <charconv>
#include <stdexcept>

namespace zt {

namespace {

// A whole decimal number in [1, max], nothing else; false otherwise.
bool parseNumber(const std::string& text, unsigned long max, unsigned long& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end && value >= 1 && value <= max;
}

// Splits `--name=value` into name and value; value is empty without '='.
std::pair<std::string, std::string> splitInline(const std::string& arg) {
  const auto eq = arg.find('=');
  if (arg.rfind("--", 0) != 0 || eq == std::string::npos) return {arg, ""};
  return {arg.substr(0, eq), arg.substr(eq + 1)};
}

}  // namespace

SerialDeviceOption parseDeviceOption(const std::string& text) {
  SerialDeviceOption option;
  const auto at = text.rfind('@');
  option.path = text.substr(0, at);
  if (option.path.empty()) throw std::invalid_argument("--device needs a path: '" + text + "'");
  if (at == std::string::npos) return option;
  unsigned long baud = 0;
  if (!parseNumber(text.substr(at + 1), kMaxBaud, baud)) {
    throw std::invalid_argument("bad baud rate in --device '" + text +
                                "': expected a whole number from 1 to " +
                                std::to_string(kMaxBaud));
  }
  option.baud = static_cast<unsigned>(baud);
  return option;
}

TcpEndpointOption parseTcpOption(const std::string& text) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) {
    throw std::invalid_argument("--tcp expects HOST:PORT, got '" + text + "'");
  }
  TcpEndpointOption option;
  option.host = text.substr(0, colon);
  if (option.host.size() >= 2 && option.host.front() == '[' && option.host.back() == ']') {
    option.host = option.host.substr(1, option.host.size() - 2);
  }
  unsigned long port = 0;
  if (option.host.empty() || !parseNumber(text.substr(colon + 1), 65535, port)) {
    throw std::invalid_argument("bad port in --tcp '" + text +
                                "': expected HOST:PORT with a port from 1 to 65535");
  }
  option.port = static_cast<std::uint16_t>(port);
  return option;
}

std::string endpointText(const TcpEndpointOption& endpoint) {
  const bool v6 = endpoint.host.find(':') != std::string::npos;
  return (v6 ? "[" + endpoint.host + "]" : endpoint.host) + ":" + std::to_string(endpoint.port);
}

std::vector<std::string> parseAccessoryOptions(const std::vector<std::string>& args,
                                               AccessoryOptions& options) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    auto [name, value] = splitInline(args[i]);
    const bool inlineValue = name != args[i];
    if (name == "--no-demo" && !inlineValue) {
      options.demo = false;
      continue;
    }
    if (name != "--device" && name != "--tcp") {
      rest.push_back(args[i]);
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) throw std::invalid_argument(name + " needs a value");
      value = args[++i];
    }
    if (name == "--device") {
      options.devices.push_back(parseDeviceOption(value));
    } else {
      options.tcpEndpoints.push_back(parseTcpOption(value));
    }
  }
  return rest;
}

}  // namespace zt
