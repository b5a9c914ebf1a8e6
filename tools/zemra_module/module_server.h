// The module emulator's endpoint and loop: a pseudo-terminal (the module keeps a slave
// descriptor of its own open, so the master never sees a hangup and no byte written to it is
// lost between clients) or a TCP listener with any number of clients. It announces the slave
// path or the address as the first line of standard output, then serves every connection with
// a Responder until SIGINT, SIGTERM or the --seconds limit. An answer that cannot be written
// at once is kept, and its connection is not read until it is out. A responder that holds bytes
// back is told when its connection has been quiet for a second. Single-threaded.
#pragma once

#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "module_modes.h"
#include "module_options.h"

namespace zt {

class ModuleServer {
 public:
  // Opens the endpoint and prints the first line; throws std::system_error.
  explicit ModuleServer(ModuleOptions options);
  ~ModuleServer();
  ModuleServer(const ModuleServer&) = delete;
  ModuleServer& operator=(const ModuleServer&) = delete;

  // Serves until told to stop; prints the sink line when in the sink mode.
  void run();

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kQuiet{1};

  struct Connection {
    int fd = -1;
    Clock::time_point lastRead;
    bool socket = false;
    std::unique_ptr<Responder> responder;
    std::vector<std::uint8_t> pending;
    bool closed = false;
  };

  void openPty();
  void openListener();
  void addConnection(int fd, bool socket);
  void acceptClients();
  // Reads one chunk; returns false when nothing more came (would block or closed).
  bool receive(Connection& connection);
  void sendPending(Connection& connection);
  void close(Connection& connection);
  // When the loop must wake: the --seconds limit, or a connection that becomes quiet.
  Clock::time_point nextWake(Clock::time_point deadline) const;
  int pollTimeout(Clock::time_point deadline) const;
  // Tells the responders whose connections have become quiet.
  void settleQuiet();
  bool stopSignalled();
  void drainAll();
  void report() const;

  ModuleOptions options_;
  int signalFd_ = -1;
  int listenFd_ = -1;
  int slaveFd_ = -1;
  std::list<Connection> connections_;
  Clock::time_point started_;
};

}  // namespace zt
