// The module emulator's endpoint and loop: a pseudo-terminal (the module keeps a slave
// descriptor of its own open, so the master never sees a hangup and no byte written to it is
// lost between clients) or a TCP listener with any number of clients. It announces the slave
// path or the address as the first line of standard output, then serves every connection with
// a Responder until SIGINT, SIGTERM or the --seconds limit. An answer that cannot be written
// at once is kept, and its connection is not read until it is out. Single-threaded.
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
  struct Connection {
    int fd = -1;
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
  bool stopSignalled();
  void drainAll();
  void report() const;

  ModuleOptions options_;
  int signalFd_ = -1;
  int listenFd_ = -1;
  int slaveFd_ = -1;
  std::list<Connection> connections_;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace zt
