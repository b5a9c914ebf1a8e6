#include "platform/external_accessory/tcp_transport.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <system_error>

namespace zt {

namespace {

using AddrInfo = std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)>;

AddrInfo resolve(const std::string& host, std::uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
  if (rc != 0) {
    throw std::system_error(EHOSTUNREACH, std::generic_category(),
                            "resolve " + host + ": " + ::gai_strerror(rc));
  }
  return {list, &::freeaddrinfo};
}

// Waits for a non-blocking connect to finish; returns 0 or the errno that ended it.
int finishConnect(int fd, std::chrono::milliseconds timeout) {
  pollfd pfd{fd, POLLOUT, 0};
  int n = 0;
  do {
    n = ::poll(&pfd, 1, static_cast<int>(timeout.count()));
  } while (n < 0 && errno == EINTR);
  if (n < 0) return errno;
  if (n == 0) return ETIMEDOUT;
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0) return errno;
  return error;
}

// One attempt on one address: the connected descriptor, or -1 with `error` set.
int tryAddress(const addrinfo& address, std::chrono::milliseconds timeout, int& error) {
  const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  error = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
  if (error == EINPROGRESS) error = finishConnect(fd, timeout);
  if (error != 0) {
    ::close(fd);
    return -1;
  }
  const int one = 1;
  // Small writes go out at once, as a terminal sends short lines. Failing only costs latency.
  [[maybe_unused]] const int nodelay = ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

}  // namespace

int connectTcp(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout) {
  const AddrInfo list = resolve(host, port);
  int error = ECONNREFUSED;
  for (const addrinfo* a = list.get(); a != nullptr; a = a->ai_next) {
    const int fd = tryAddress(*a, timeout, error);
    if (fd >= 0) return fd;
  }
  throw std::system_error(error, std::generic_category(),
                          "connect " + host + ":" + std::to_string(port));
}

}  // namespace zt
