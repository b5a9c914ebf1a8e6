#include "platform/external_accessory/demo_module.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace zt {

namespace {

constexpr const char* kDemoModuleName = "Zemra Demo Module";

}  // namespace

AccessoryIdentity demoModuleIdentity() {
  return AccessoryIdentity{kDemoModuleName, "Zemra", "ZD-1", "ZD0001", "1.0.0", "1.0",
                           {kDefaultProtocolString}};
}

DemoModule::~DemoModule() {
  for (auto& peer : peers_) finish(peer);
}

PlatformResult<TransportChannel> DemoModule::open() {
  prune();
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) < 0) {
    return systemError(errno, kDemoModuleName);
  }
  Peer& peer = peers_.emplace_back();
  peer.fd = fds[1];
  peer.watch = loop_.watch(peer.fd, POLLIN, [this, &peer](short revents) { onReady(peer, revents); });
  return TransportChannel{fds[0], true, nullptr, kDemoModuleName};
}

void DemoModule::onReady(Peer& peer, short revents) {
  if ((revents & POLLOUT) != 0) sendPending(peer);
  if (!peer.done && (revents & (POLLIN | POLLHUP | POLLERR)) != 0 && peer.pending.empty()) {
    receive(peer);
  }
  if (!peer.done) loop_.setEvents(peer.watch, peer.pending.empty() ? POLLIN : POLLOUT);
}

void DemoModule::receive(Peer& peer) {
  std::uint8_t chunk[16384];
  const ssize_t n = ::recv(peer.fd, chunk, sizeof chunk, MSG_DONTWAIT);
  if (n > 0) {
    peer.pending.assign(chunk, chunk + n);
    sendPending(peer);
  } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    finish(peer);  // the session closed its side
  }
}

void DemoModule::sendPending(Peer& peer) {
  while (!peer.pending.empty()) {
    const ssize_t n = ::send(peer.fd, peer.pending.data(), peer.pending.size(),
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      peer.pending.erase(peer.pending.begin(), peer.pending.begin() + n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return;  // the rest goes when the session has read some
    } else {
      finish(peer);
      return;
    }
  }
}

void DemoModule::finish(Peer& peer) {
  if (peer.done) return;
  peer.done = true;
  loop_.unwatch(peer.watch);
  ::close(peer.fd);
  peer.fd = -1;
  peer.pending.clear();
}

void DemoModule::prune() {
  peers_.remove_if([](const Peer& peer) { return peer.done; });
}

}  // namespace zt
