// AccessoryOptions: what the accessory manager lists besides the serial devices it finds in
// sysfs, read from the command line of the application.
//
// parseAccessoryOptions() understands `--device PATH[@BAUD]` (repeatable), `--tcp HOST:PORT`
// (repeatable, HOST may be a bracketed IPv6 address) and `--no-demo`, also in the `--opt=value`
// form, and hands back every argument it does not know, in order, for the caller to parse.
// Bad values are usage errors, not failures of the platform: they throw std::invalid_argument
// with a message fit for the user, as the program's own options do. Pure; any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zt {

struct SerialDeviceOption {
  std::string path;
  unsigned baud = 115200;
};

struct TcpEndpointOption {
  std::string host;
  std::uint16_t port = 0;
};

// When a connection that went away is tried again: after each delay of `first` in turn, each
// counted from the end of the try before, then every `then`.
struct RetrySchedule {
  std::vector<std::chrono::milliseconds> first{std::chrono::seconds(1), std::chrono::seconds(2),
                                               std::chrono::seconds(4), std::chrono::seconds(8),
                                               std::chrono::seconds(16)};
  std::chrono::milliseconds then{std::chrono::seconds(30)};
  // The delay before try number `attempt` (0 the first).
  std::chrono::milliseconds delay(std::size_t attempt) const {
    return attempt < first.size() ? first[attempt] : then;
  }
};

struct AccessoryOptions {
  std::vector<SerialDeviceOption> devices;
  std::vector<TcpEndpointOption> tcpEndpoints;
  bool demo = true;
  std::string sysfsRoot = "/sys";
  // How often devices are looked for again where neither the kernel's device events nor the
  // folder watch can tell of a change.
  std::chrono::milliseconds rescanInterval{1000};
  // How long a TCP endpoint's name lookup, and each of its addresses, may take to connect.
  std::chrono::milliseconds tcpConnectTimeout{3000};
  // How a TCP endpoint or a Bluetooth link that a transfer screen waits for is tried again.
  RetrySchedule retry;
};

constexpr unsigned kDefaultBaud = 115200;
constexpr unsigned kMaxBaud = 12'000'000;

// Parses `PATH[@BAUD]`.
SerialDeviceOption parseDeviceOption(const std::string& text);
// Parses `HOST:PORT` or `[IPV6]:PORT`.
TcpEndpointOption parseTcpOption(const std::string& text);
// The endpoint as parseTcpOption reads it, an IPv6 address in brackets.
std::string endpointText(const TcpEndpointOption& endpoint);
// Fills `options` from `args` (without the program name); returns the arguments left over.
std::vector<std::string> parseAccessoryOptions(const std::vector<std::string>& args,
                                               AccessoryOptions& options);

}  // namespace zt
