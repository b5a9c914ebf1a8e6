#include "platform/external_accessory/tcp_transport.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <system_error>
#include <thread>

namespace zt {

namespace {

// The resolver's own error numbers, in its own words ("Name or service not known").
class LookupCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "getaddrinfo"; }
  std::string message(int code) const override { return ::gai_strerror(code); }
};

std::error_code lookupError(int status) {
  static const LookupCategory category;
  if (status == 0) return {};
  if (status == EAI_SYSTEM) return {errno, std::generic_category()};
  return {status, category};
}

}  // namespace

// What the resolving thread and the connection share: the loop to post the answer to, until
// the connection no longer waits for it.
struct TcpConnection::Lookup {
  std::mutex mutex;
  RunLoop* loop = nullptr;  // guarded by mutex; null once nobody waits
  std::weak_ptr<TcpConnection> waiter;
};

std::shared_ptr<TcpConnection> TcpConnection::start(const TcpEndpointOption& endpoint,
                                                    RunLoop& loop,
                                                    std::chrono::milliseconds timeout) {
  std::shared_ptr<TcpConnection> connection(
      new TcpConnection(endpointText(endpoint), loop, timeout));
  connection->resolve(endpoint.host, endpoint.port);
  return connection;
}

TcpConnection::TcpConnection(std::string subject, RunLoop& loop,
                             std::chrono::milliseconds timeout)
    : subject_(std::move(subject)), loop_(loop), timeout_(timeout) {}

TcpConnection::~TcpConnection() {
  stopWaiting();
  if (fd_ >= 0) ::close(fd_);
  if (doneFd_ >= 0) ::close(doneFd_);
}

void TcpConnection::onOutcome(Outcome outcome) {
  outcome_ = std::move(outcome);
  if (done_ && outcome_) finish(doneFd_, doneError_);
}

void TcpConnection::resolve(const std::string& host, std::uint16_t port) {
  lookup_ = std::make_shared<Lookup>();
  lookup_->loop = &loop_;
  lookup_->waiter = weak_from_this();
  armTimer();
  try {
    std::thread([lookup = lookup_, host, service = std::to_string(port)] {
      addrinfo hints{};
      hints.ai_family = AF_UNSPEC;
      hints.ai_socktype = SOCK_STREAM;
      addrinfo* list = nullptr;
      const std::error_code error =
          lookupError(::getaddrinfo(host.c_str(), service.c_str(), &hints, &list));
      const AddressList owned(list, [](addrinfo* a) {
        if (a != nullptr) ::freeaddrinfo(a);
      });
      const std::lock_guard lock(lookup->mutex);
      if (lookup->loop == nullptr) return;
      lookup->loop->post([waiter = lookup->waiter, owned, error] {
        if (const auto self = waiter.lock()) self->resolved(owned, error);
      });
    }).detach();
  } catch (const std::system_error& error) {
    // No thread to look the name up on: fail as a lookup would, on a later pass.
    loop_.post([waiter = weak_from_this(), code = error.code()] {
      if (const auto self = waiter.lock()) self->giveUp(code);
    });
  }
}

void TcpConnection::resolved(const AddressList& list, std::error_code error) {
  if (done_) return;
  stopWaiting();
  if (error) {
    giveUp(error);
    return;
  }
  addresses_ = list;
  next_ = list.get();
  tryNext();
}

// Tries the remaining addresses in turn until one connects at once or is under way.
void TcpConnection::tryNext() {
  for (; next_ != nullptr; next_ = next_->ai_next) {
    const addrinfo& address = *next_;
    fd_ = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                   address.ai_protocol);
    if (fd_ < 0) {
      lastError_ = {errno, std::generic_category()};
      continue;
    }
    const int error = ::connect(fd_, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    if (error == 0) {
      next_ = nullptr;
      finish(std::exchange(fd_, -1), {});
      return;
    }
    if (error == EINPROGRESS) {
      next_ = next_->ai_next;
      watch_ = loop_.watch(fd_, POLLOUT, [this](short) { onWritable(); });
      armTimer();
      return;
    }
    lastError_ = {error, std::generic_category()};
    ::close(std::exchange(fd_, -1));
  }
  giveUp(lastError_);
}

void TcpConnection::onWritable() {
  stopWaiting();
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) < 0) error = errno;
  if (error != 0) {
    lastError_ = {error, std::generic_category()};
    ::close(std::exchange(fd_, -1));
    tryNext();
    return;
  }
  const int one = 1;
  // Small writes go out at once, as a terminal sends short lines. Failing only costs latency.
  [[maybe_unused]] const int nodelay =
      ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  finish(std::exchange(fd_, -1), {});
}

void TcpConnection::giveUp(std::error_code error) {
  stopWaiting();
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  finish(-1, error);
}

// The lookup, or the address being tried, has `timeout_` to succeed.
void TcpConnection::armTimer() {
  const double seconds = std::chrono::duration<double>(timeout_).count();
  timer_ = loop_.after(seconds, [this] {
    timer_ = 0;
    if (fd_ < 0) {
      giveUp(std::make_error_code(std::errc::timed_out));  // the lookup took too long
      return;
    }
    stopWaiting();
    lastError_ = std::make_error_code(std::errc::timed_out);
    ::close(std::exchange(fd_, -1));
    tryNext();
  });
}

void TcpConnection::stopWaiting() {
  if (watch_ != 0) loop_.unwatch(watch_);
  if (timer_ != 0) loop_.cancel(timer_);
  watch_ = 0;
  timer_ = 0;
  if (lookup_) {
    const std::lock_guard lock(lookup_->mutex);
    lookup_->loop = nullptr;
  }
  lookup_.reset();
}

void TcpConnection::finish(int fd, std::error_code error) {
  done_ = true;
  doneFd_ = fd;
  doneError_ = error;
  if (!outcome_) return;
  const auto keep = shared_from_this();  // the listener may drop the last other reference
  doneFd_ = -1;
  auto outcome = std::exchange(outcome_, nullptr);
  if (error) {
    outcome(PlatformError{error, subject_, {}});
  } else {
    outcome(fd);
  }
}

}  // namespace zt
