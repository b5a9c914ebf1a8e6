// TCP endpoints, such as a serial-to-network bridge: each session makes a connection of its
// own, non-blocking once made.
//
// connectTcp() resolves the host (blocking, as the name lookup is), then waits at most
// `timeout` for the connection. Any thread; the descriptor is the caller's.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/external_accessory/accessory.h"

namespace zt {

constexpr std::chrono::milliseconds kTcpConnectTimeout{3000};

// Connects to host:port; throws std::system_error when refused, unreachable or timed out.
int connectTcp(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);

class TcpTransport final : public AccessoryTransport {
 public:
  TcpTransport(std::string host, std::uint16_t port) : host_(std::move(host)), port_(port) {}
  TransportChannel open() override { return {connectTcp(host_, port_, kTcpConnectTimeout), true}; }

 private:
  std::string host_;
  std::uint16_t port_;
};

}  // namespace zt
