#include "platform/external_accessory/stream.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zt {

void Stream::scheduleInRunLoop(RunLoop& loop) { loop_ = &loop; }

void Stream::removeFromRunLoop(RunLoop& loop) {
  if (loop_ == &loop) loop_ = nullptr;
}

void Stream::postEvent(StreamEvent code) {
  if (loop_ == nullptr) return;
  loop_->post([weak = weak_from_this(), code] {
    if (auto self = weak.lock()) self->deliver(code);
  });
}

void Stream::deliver(StreamEvent code) {
  if (auto target = delegate_.lock()) target->handleEvent(*this, code);
}

// ---- InputStream

InputStream::InputStream(int fd, std::string subject, std::function<void()> onGone)
    : fd_(fd), subject_(std::move(subject)), onGone_(std::move(onGone)) {}

InputStream::~InputStream() {
  if (loop_ != nullptr) forgetLoop();
  if (fd_ >= 0) ::close(fd_);
}

void InputStream::scheduleInRunLoop(RunLoop& loop) {
  if (loop_ != nullptr) forgetLoop();
  Stream::scheduleInRunLoop(loop);
  updateWatch();
}

void InputStream::removeFromRunLoop(RunLoop& loop) {
  if (loop_ != &loop) return;
  forgetLoop();
  Stream::removeFromRunLoop(loop);
}

void InputStream::forgetLoop() {
  if (watch_ != 0) loop_->unwatch(watch_);
  if (gatherTimer_ != 0) loop_->cancel(gatherTimer_);
  if (holdTimer_ != 0) loop_->cancel(holdTimer_);
  watch_ = 0;
  gatherTimer_ = 0;
  holdTimer_ = 0;
}

void InputStream::open() {
  if (status_ != StreamStatus::NotOpen) return;
  status_ = StreamStatus::Open;
  postEvent(StreamEvent::OpenCompleted);
  updateWatch();
}

void InputStream::attach(int fd) {
  if (status_ == StreamStatus::Closed) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  updateWatch();
}

void InputStream::fail(PlatformError error) {
  if (status_ == StreamStatus::Closed || atEnd_ || error_) return;
  noteGone(std::move(error));
}

void InputStream::close() {
  if (status_ == StreamStatus::Closed) return;
  status_ = StreamStatus::Closed;
  updateWatch();
  if (fd_ >= 0) ::close(fd_);  // released even when close() reports an error
  fd_ = -1;
  buffer_.clear();
  bufferStart_ = 0;
}

bool InputStream::hasBytesAvailable() {
  if (status_ == StreamStatus::NotOpen || status_ == StreamStatus::Closed) return false;
  if (bufferStart_ == buffer_.size() && !(announcing_ && readDry_)) fill();
  return bufferStart_ < buffer_.size();
}

std::ptrdiff_t InputStream::read(std::uint8_t* buffer, std::size_t maxLength) {
  if (status_ == StreamStatus::NotOpen || status_ == StreamStatus::Closed) return -1;
  if (bufferStart_ == buffer_.size() && !(announcing_ && readDry_)) fill();
  const std::size_t count = std::min(maxLength, buffer_.size() - bufferStart_);
  if (count == 0) return error_ ? -1 : 0;
  std::memcpy(buffer, buffer_.data() + bufferStart_, count);
  bufferStart_ += count;
  consumed_ += count;
  if (bufferStart_ == buffer_.size()) {
    buffer_.clear();
    bufferStart_ = 0;
  }
  updateWatch();
  return static_cast<std::ptrdiff_t>(count);
}

void InputStream::updateWatch() {
  const bool wanted = loop_ != nullptr && fd_ >= 0 && status_ == StreamStatus::Open &&
                      !atEnd_ && !error_ && buffer_.size() < kBufferLimit &&
                      gatherTimer_ == 0;
  if (wanted && watch_ == 0) {
    watch_ = loop_->watch(fd_, POLLIN, [this](short revents) { onReadable(revents); });
  } else if (!wanted && watch_ != 0 && loop_ != nullptr) {
    loop_->unwatch(watch_);
    watch_ = 0;
  }
}

void InputStream::onReadable(short revents) {
  const auto self = shared_from_this();  // the delegate may drop the last other reference
  // How long the descriptor kept the loop waiting: a flood keeps it ready all the time.
  waited_ = std::chrono::steady_clock::now() - readyFrom_;
  const std::size_t before = buffer_.size();
  fill();
  if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && buffer_.size() == before && !atEnd_ &&
      !error_) {
    noteGone(systemError(EIO, subject_));  // hung up without a readable end: stop polling it
  }
  // A read that took a whole chunk of the device's buffer is followed by more at once (a pty
  // hands over 4 KiB at a time): keep reading, and announce it all together.
  if (filled_ >= kMoreAfter && watch_ != 0) {
    if (holdTimer_ == 0) {
      holdTimer_ = loop_->after(kHoldSeconds, [weak = weak_from_this()] {
        if (auto held = weak.lock()) static_cast<InputStream&>(*held).announceHeld();
      });
    }
  } else {
    announceHeld();
  }
  readyFrom_ = std::chrono::steady_clock::now();
}

void InputStream::announceHeld() {
  if (holdTimer_ != 0) loop_->cancel(holdTimer_);
  holdTimer_ = 0;
  announce();
  gather();
}

void InputStream::gather() {
  // A slow sender shows itself twice in a row: a flood that falters once is not paused, and
  // neither is whatever comes first after a quiet spell (it may be the start of a flood). One
  // that did not fill the buffer while the descriptor rested is slower than the stream reads:
  // it rests again at once, however much it had sent meanwhile.
  const bool quietBefore = waited_ > kQuietAfter;
  const bool small = !quietBefore && readDry_ && filled_ > 0 && filled_ < kGatherBelow &&
                     waited_ >= kGatherAfter;
  const bool keptUp = afterPause_ && !quietBefore && readDry_ && sincePause_ < kBufferLimit;
  const bool slow = (small && lastSmall_) || keptUp;
  lastSmall_ = small;
  afterPause_ = false;
  if (!slow || loop_ == nullptr || gatherTimer_ != 0) return;
  gatherTimer_ = loop_->after(kGatherSeconds, [weak = weak_from_this()] {
    if (auto self = weak.lock()) {
      auto& input = static_cast<InputStream&>(*self);
      input.gatherTimer_ = 0;
      input.afterPause_ = true;
      input.sincePause_ = 0;
      input.updateWatch();
    }
  });
  updateWatch();
}

void InputStream::announce() {
  if (bufferStart_ == buffer_.size() || status_ == StreamStatus::Closed) return;
  const std::uint64_t before = consumed_;
  // When the descriptor was just read dry, asking it again while the delegate reads would only
  // cost a system call that finds nothing; what comes meanwhile wakes the loop once more.
  announcing_ = true;
  deliver(StreamEvent::HasBytesAvailable);
  announcing_ = false;
  // A delegate that read only part of the bytes hears of the rest on the next pass; one that
  // read nothing is not asked again until more arrives (so an idle delegate costs nothing).
  if (consumed_ != before && bufferStart_ < buffer_.size() && loop_ != nullptr) {
    loop_->post([weak = weak_from_this()] {
      if (auto self = weak.lock()) static_cast<InputStream&>(*self).announce();
    });
  }
}

void InputStream::fill() {
  if (fd_ < 0 || atEnd_ || error_) return;
  if (bufferStart_ > 0) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(bufferStart_));
    bufferStart_ = 0;
  }
  std::uint8_t chunk[4096];
  readDry_ = false;
  filled_ = 0;
  while (buffer_.size() < kBufferLimit) {
    const std::size_t want = std::min(sizeof chunk, kBufferLimit - buffer_.size());
    const ssize_t n = ::read(fd_, chunk, want);
    if (n > 0) {
      buffer_.insert(buffer_.end(), chunk, chunk + n);
      filled_ += static_cast<std::size_t>(n);
      sincePause_ += static_cast<std::size_t>(n);
    } else if (n == 0) {
      noteGone({});
      break;
    } else if (errno == EINTR) {
      continue;
    } else {
      readDry_ = true;
      if (errno != EAGAIN && errno != EWOULDBLOCK) noteGone(systemError(errno, subject_));
      break;
    }
  }
  updateWatch();
}

void InputStream::noteGone(PlatformError error) {
  // A tty whose other side hung up reads EIO: that is the device leaving, not a fault.
  if (!error || error.code == std::errc::io_error) {
    atEnd_ = true;
    status_ = StreamStatus::AtEnd;
  } else {
    error_ = std::move(error);
    status_ = StreamStatus::Error;
  }
  updateWatch();
  postEvent(atEnd_ ? StreamEvent::EndEncountered : StreamEvent::ErrorOccurred);
  if (auto gone = std::exchange(onGone_, nullptr)) gone();
}

// ---- OutputStream

OutputStream::OutputStream(int fd, bool socket, std::string subject)
    : fd_(fd),
      wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      socket_(socket),
      subject_(std::move(subject)) {
  if (wakeFd_ < 0) {
    error_ = systemError(errno, subject_);
    status_ = StreamStatus::Error;
  }
}

OutputStream::~OutputStream() {
  close();
}

void OutputStream::open() {
  std::lock_guard lock(mutex_);
  if (status_ != StreamStatus::NotOpen) return;
  status_ = StreamStatus::Open;
  postEvent(StreamEvent::OpenCompleted);
  if (fd_ >= 0) postEvent(StreamEvent::HasSpaceAvailable);
}

void OutputStream::close() {
  std::unique_lock lock(mutex_);
  if (status_ == StreamStatus::Closed) return;
  status_ = StreamStatus::Closed;
  changed_.notify_all();
  const std::uint64_t one = 1;
  // Raised once on a fresh counter, so it cannot overflow; it wakes every waitForSpace.
  [[maybe_unused]] const ssize_t woken = ::write(wakeFd_, &one, sizeof one);
  changed_.wait(lock, [this] { return waiters_ == 0; });
  if (fd_ >= 0) ::close(fd_);
  if (wakeFd_ >= 0) ::close(wakeFd_);
  fd_ = -1;
  wakeFd_ = -1;
}

void OutputStream::attach(int fd) {
  std::lock_guard lock(mutex_);
  if (status_ == StreamStatus::Closed || status_ == StreamStatus::Error) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  changed_.notify_all();
  if (status_ == StreamStatus::Open) postEvent(StreamEvent::HasSpaceAvailable);
}

void OutputStream::fail(PlatformError error) {
  std::lock_guard lock(mutex_);
  if (status_ == StreamStatus::Closed) return;
  status_ = StreamStatus::Error;
  error_ = std::move(error);
  changed_.notify_all();
}

bool OutputStream::hasSpaceAvailable() {
  std::lock_guard lock(mutex_);
  if (status_ == StreamStatus::Error) return true;  // so the writer's next write fails at once
  if (status_ != StreamStatus::Open || fd_ < 0) return false;
  pollfd pfd{fd_, POLLOUT, 0};
  if (::poll(&pfd, 1, 0) <= 0) return false;
  // An error or hangup counts as space: the write then fails at once instead of waiting.
  return (pfd.revents & (POLLOUT | POLLERR | POLLHUP)) != 0;
}

std::ptrdiff_t OutputStream::write(const std::uint8_t* buffer, std::size_t maxLength) {
  std::lock_guard lock(mutex_);
  if (status_ != StreamStatus::Open) return -1;
  if (maxLength == 0 || fd_ < 0) return 0;
  for (;;) {
    const ssize_t n = socket_ ? ::send(fd_, buffer, maxLength, MSG_NOSIGNAL | MSG_DONTWAIT)
                              : ::write(fd_, buffer, maxLength);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    status_ = StreamStatus::Error;
    error_ = systemError(errno, subject_);
    return -1;
  }
}

bool OutputStream::waitForSpace(std::chrono::milliseconds timeout) {
  const auto longest = std::chrono::milliseconds(1 << 30);  // about twelve days
  const auto deadline =
      std::chrono::steady_clock::now() + std::clamp(timeout, std::chrono::milliseconds(0), longest);
  pollfd fds[2];
  {
    std::unique_lock lock(mutex_);
    if (status_ != StreamStatus::Open) return false;
    // Still connecting: wait for the descriptor first.
    changed_.wait_until(lock, deadline,
                        [this] { return fd_ >= 0 || status_ != StreamStatus::Open; });
    if (status_ != StreamStatus::Open || fd_ < 0) return false;
    ++waiters_;
    fds[0] = {fd_, POLLOUT, 0};
    fds[1] = {wakeFd_, POLLIN, 0};
  }
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  const int ms = static_cast<int>(std::max<long long>(left.count(), 0));
  int n = 0;
  do {
    n = ::poll(fds, 2, ms);
  } while (n < 0 && errno == EINTR);
  std::lock_guard lock(mutex_);
  --waiters_;
  changed_.notify_all();
  return n > 0 && status_ == StreamStatus::Open &&
         (fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) != 0;
}

PlatformError OutputStream::streamError() {
  std::lock_guard lock(mutex_);
  return error_;
}

}  // namespace zt
