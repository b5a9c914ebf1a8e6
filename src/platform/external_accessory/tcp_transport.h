// TCP endpoints, such as a serial-to-network bridge: each session makes a connection of its
// own, without blocking the loop's thread.
//
// TcpConnection makes one connection: the host name is resolved on a short-lived thread of its
// own (a lookup may take seconds), then each address is tried in turn with a non-blocking
// connect watched on the run loop. The lookup and each address get at most `timeout`. The
// outcome (the connected, non-blocking descriptor, or the last failure, named "host:port": a
// name that does not resolve in the resolver's words) is reported once on the loop's thread.
// Dropping the connection abandons the attempt; a lookup still running then ends on its own and
// its result is thrown away. Loop thread only.
#pragma once

#include <netdb.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/external_accessory/accessory.h"
#include "platform/external_accessory/options.h"
#include "platform/runloop/run_loop.h"

namespace zt {

class TcpConnection final : public PendingConnection,
                            public std::enable_shared_from_this<TcpConnection> {
 public:
  static std::shared_ptr<TcpConnection> start(const TcpEndpointOption& endpoint, RunLoop& loop,
                                              std::chrono::milliseconds timeout);
  ~TcpConnection() override;
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  void onOutcome(Outcome outcome) override;

 private:
  struct Lookup;
  using AddressList = std::shared_ptr<addrinfo>;

  TcpConnection(std::string subject, RunLoop& loop, std::chrono::milliseconds timeout);
  void resolve(const std::string& host, std::uint16_t port);
  void resolved(const AddressList& list, std::error_code error);
  void tryNext();
  void onWritable();
  void giveUp(std::error_code error);
  void armTimer();
  void stopWaiting();
  void finish(int fd, std::error_code error);

  std::string subject_;  // "host:port"
  RunLoop& loop_;
  std::chrono::milliseconds timeout_;
  std::shared_ptr<Lookup> lookup_;  // shared with the resolving thread
  AddressList addresses_;
  const addrinfo* next_ = nullptr;
  int fd_ = -1;  // the socket being connected
  std::error_code lastError_ = std::make_error_code(std::errc::connection_refused);
  RunLoop::Id watch_ = 0;
  RunLoop::Id timer_ = 0;
  bool done_ = false;
  int doneFd_ = -1;  // kept until someone hears the outcome
  std::error_code doneError_;
  Outcome outcome_;
};

class TcpTransport final : public AccessoryTransport {
 public:
  TcpTransport(TcpEndpointOption endpoint, RunLoop& loop, std::chrono::milliseconds timeout)
      : endpoint_(std::move(endpoint)), loop_(loop), timeout_(timeout) {}
  // A channel whose connection is still being made.
  PlatformResult<TransportChannel> open() override {
    return TransportChannel{-1, true, TcpConnection::start(endpoint_, loop_, timeout_),
                            endpointText(endpoint_)};
  }

 private:
  TcpEndpointOption endpoint_;
  RunLoop& loop_;
  std::chrono::milliseconds timeout_;
};

}  // namespace zt
