// TCP endpoints, such as a serial-to-network bridge: each session makes a connection of its
// own, without blocking the loop's thread.
//
// TcpConnection makes one connection: the host name is resolved on a short-lived thread of its
// own (a lookup may take seconds), then each address is tried in turn with a non-blocking
// connect watched on the run loop. The lookup and each address get at most `timeout`. The
// outcome (the connected, non-blocking descriptor, or the errno of the last failure) is
// reported once on the loop's thread. Dropping the connection abandons the attempt; a lookup
// still running then ends on its own and its result is thrown away.
// Loop thread only.
#pragma once

#include <netdb.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/external_accessory/accessory.h"
#include "platform/runloop/run_loop.h"

namespace zt {

class TcpConnection final : public PendingConnection,
                            public std::enable_shared_from_this<TcpConnection> {
 public:
  static std::shared_ptr<TcpConnection> start(const std::string& host, std::uint16_t port,
                                              RunLoop& loop, std::chrono::milliseconds timeout);
  ~TcpConnection() override;
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  void onOutcome(Outcome outcome) override;

 private:
  struct Lookup;
  using AddressList = std::shared_ptr<addrinfo>;

  TcpConnection(RunLoop& loop, std::chrono::milliseconds timeout);
  void resolve(const std::string& host, std::uint16_t port);
  void resolved(const AddressList& list, int error);
  void tryNext();
  void onWritable();
  void giveUp(int error);
  void armTimer();
  void stopWaiting();
  void finish(int fd, int error);

  RunLoop& loop_;
  std::chrono::milliseconds timeout_;
  std::shared_ptr<Lookup> lookup_;  // shared with the resolving thread
  AddressList addresses_;
  const addrinfo* next_ = nullptr;
  int fd_ = -1;  // the socket being connected
  int lastError_ = ECONNREFUSED;
  RunLoop::Id watch_ = 0;
  RunLoop::Id timer_ = 0;
  bool done_ = false;
  int doneFd_ = -1;  // kept until someone hears the outcome
  int doneError_ = 0;
  Outcome outcome_;
};

class TcpTransport final : public AccessoryTransport {
 public:
  TcpTransport(std::string host, std::uint16_t port, RunLoop& loop,
               std::chrono::milliseconds timeout)
      : host_(std::move(host)), port_(port), loop_(loop), timeout_(timeout) {}
  // A channel whose connection is still being made.
  TransportChannel open() override {
    return {-1, true, TcpConnection::start(host_, port_, loop_, timeout_)};
  }

 private:
  std::string host_;
  std::uint16_t port_;
  RunLoop& loop_;
  std::chrono::milliseconds timeout_;
};

}  // namespace zt
