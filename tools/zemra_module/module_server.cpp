#include "module_server.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zt {

namespace {

[[noreturn]] void fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// Prints where clients reach the module as one line on standard output, for whoever started it.
void announce(const std::string& where) {
  if (std::printf("%s\n", where.c_str()) < 0 || std::fflush(stdout) != 0) fail("standard output");
}

// The numeric address of a bound socket, as HOST:PORT (IPv6 in brackets).
std::string boundAddress(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) < 0) fail("getsockname");
  char host[NI_MAXHOST];
  char port[NI_MAXSERV];
  const int rc = ::getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host, sizeof host,
                               port, sizeof port, NI_NUMERICHOST | NI_NUMERICSERV);
  if (rc != 0) throw std::runtime_error(std::string("getnameinfo: ") + ::gai_strerror(rc));
  const std::string h = host;
  return (h.find(':') != std::string::npos ? "[" + h + "]" : h) + ":" + port;
}

}  // namespace

ModuleServer::ModuleServer(ModuleOptions options)
    : options_(std::move(options)), started_(Clock::now()) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  if (const int rc = ::pthread_sigmask(SIG_BLOCK, &signals, nullptr); rc != 0) {
    throw std::system_error(rc, std::generic_category(), "pthread_sigmask");
  }
  signalFd_ = ::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
  if (signalFd_ < 0) fail("signalfd");
  if (options_.pty) {
    openPty();
  } else {
    openListener();
  }
}

ModuleServer::~ModuleServer() {
  for (auto& connection : connections_) close(connection);
  if (!options_.link.empty()) {
    std::error_code ec;
    std::filesystem::remove(options_.link, ec);
  }
  for (int fd : {slaveFd_, listenFd_, signalFd_}) {
    if (fd >= 0) ::close(fd);
  }
}

void ModuleServer::openPty() {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) fail("posix_openpt");
  addConnection(master, false);
  char name[128];
  if (::grantpt(master) < 0 || ::unlockpt(master) < 0) fail("grantpt");
  const int rc = ::ptsname_r(master, name, sizeof name);
  if (rc != 0) throw std::system_error(rc, std::generic_category(), "ptsname");
  slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveFd_ < 0) fail(std::string("open ") + name);
  termios tio{};
  if (::tcgetattr(slaveFd_, &tio) < 0) fail("tcgetattr");
  ::cfmakeraw(&tio);
  if (::tcsetattr(slaveFd_, TCSANOW, &tio) < 0) fail("tcsetattr");
  if (!options_.link.empty()) {
    std::filesystem::create_symlink(name, options_.link);
  }
  announce(name);
}

void ModuleServer::openListener() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* list = nullptr;
  const std::string port = std::to_string(options_.listenPort);
  const int rc = ::getaddrinfo(options_.listenHost->c_str(), port.c_str(), &hints, &list);
  if (rc != 0) {
    throw std::runtime_error("resolve " + *options_.listenHost + ": " + ::gai_strerror(rc));
  }
  std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(list, &::freeaddrinfo);
  listenFd_ = ::socket(list->ai_family, list->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                       list->ai_protocol);
  if (listenFd_ < 0) fail("socket");
  const int one = 1;
  if (::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) < 0) fail("setsockopt");
  if (::bind(listenFd_, list->ai_addr, list->ai_addrlen) < 0) fail("bind");
  if (::listen(listenFd_, 8) < 0) fail("listen");
  announce(boundAddress(listenFd_));
}

void ModuleServer::addConnection(int fd, bool socket) {
  auto& connection = connections_.emplace_back();
  connection.fd = fd;
  connection.socket = socket;
  connection.responder = makeResponder(options_.mode, stdout);
}

void ModuleServer::acceptClients() {
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      addConnection(fd, true);
      continue;
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) std::perror("accept");
    return;
  }
}

bool ModuleServer::receive(Connection& connection) {
  std::uint8_t chunk[16384];
  const ssize_t n = ::read(connection.fd, chunk, sizeof chunk);
  if (n > 0) {
    connection.lastRead = Clock::now();
    auto answer = connection.responder->respond(chunk, static_cast<std::size_t>(n));
    connection.pending.insert(connection.pending.end(), answer.begin(), answer.end());
    sendPending(connection);
    return true;
  }
  if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) close(connection);
  return false;
}

void ModuleServer::sendPending(Connection& connection) {
  while (!connection.pending.empty() && !connection.closed) {
    const auto& p = connection.pending;
    const ssize_t n = connection.socket ? ::send(connection.fd, p.data(), p.size(), MSG_NOSIGNAL)
                                        : ::write(connection.fd, p.data(), p.size());
    if (n > 0) {
      connection.pending.erase(connection.pending.begin(), connection.pending.begin() + n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return;
    } else {
      close(connection);
    }
  }
}

void ModuleServer::close(Connection& connection) {
  if (connection.closed) return;
  connection.closed = true;
  ::close(connection.fd);
  connection.pending.clear();
}

bool ModuleServer::stopSignalled() {
  signalfd_siginfo info{};
  return ::read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
}

void ModuleServer::run() {
  const auto deadline =
      options_.seconds ? started_ + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(*options_.seconds))
                       : Clock::time_point::max();
  for (;;) {
    connections_.remove_if([](const Connection& c) { return c.closed; });
    std::vector<pollfd> fds = {{signalFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
    for (const auto& c : connections_) {
      fds.push_back({c.fd, static_cast<short>(c.pending.empty() ? POLLIN : POLLOUT), 0});
    }
    if (deadline != Clock::time_point::max() && Clock::now() >= deadline) break;
    if (::poll(fds.data(), fds.size(), pollTimeout(deadline)) < 0 && errno != EINTR) fail("poll");
    settleQuiet();
    if (fds[0].revents != 0 && stopSignalled()) break;
    // The connections polled come first; ones accepted below wait for the next pass.
    auto c = connections_.begin();
    for (std::size_t index = 2; index < fds.size(); ++index, ++c) {
      if (fds[index].revents == 0 || c->closed) continue;
      if (!c->pending.empty()) {
        sendPending(*c);
      } else {
        receive(*c);
      }
    }
    if (fds[1].revents != 0) acceptClients();
  }
  drainAll();
  report();
}

ModuleServer::Clock::time_point ModuleServer::nextWake(Clock::time_point deadline) const {
  Clock::time_point wake = deadline;
  for (const auto& c : connections_) {
    if (!c.closed && c.responder->waiting()) wake = std::min(wake, c.lastRead + kQuiet);
  }
  return wake;
}

int ModuleServer::pollTimeout(Clock::time_point deadline) const {
  const Clock::time_point wake = nextWake(deadline);
  if (wake == Clock::time_point::max()) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

void ModuleServer::settleQuiet() {
  const auto now = Clock::now();
  for (auto& c : connections_) {
    if (c.closed || !c.responder->waiting() || now < c.lastRead + kQuiet) continue;
    auto answer = c.responder->quiet();
    c.pending.insert(c.pending.end(), answer.begin(), answer.end());
    sendPending(c);
  }
}

void ModuleServer::drainAll() {
  // What arrived before the stop still counts, on connections not yet accepted too.
  if (listenFd_ >= 0) acceptClients();
  for (auto& c : connections_) {
    while (!c.closed && c.pending.empty() && receive(c)) {
    }
    if (c.responder->waiting()) c.responder->quiet();  // what came is still printed
  }
}

void ModuleServer::report() const {
  if (options_.mode != ModuleMode::Sink) return;
  // The rate of the transfer itself: from the first byte to the last, idle time left out.
  const SinkTally tally = sinkTally();
  const double seconds = std::chrono::duration<double>(tally.last - tally.first).count();
  const auto bytes = static_cast<unsigned long long>(tally.bytes);
  const double rate = seconds > 0 ? static_cast<double>(bytes) / seconds : 0.0;
  // The last words before exit: nothing is left to do if standard output has gone.
  (void)std::printf("received %llu bytes in %.2f s (%.0f B/s)\n", bytes, seconds, rate);
  (void)std::fflush(stdout);
}

}  // namespace zt
