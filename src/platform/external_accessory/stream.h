// Byte streams of an accessory session: one InputStream and one OutputStream, each owning its
// own non-blocking descriptor.
//
// A stream reports to its delegate through the run loop it is scheduled on. A stream may start
// without a descriptor while its connection is being made: attach() hands it the descriptor,
// fail() the error that ended the attempt (as for a device that went away). Until then the input
// stream has nothing to read and the output stream no space. The input stream's descriptor is
// watched on the loop: what arrives is read into a bounded buffer (64 KiB; reading
// pauses while it is full) and announced with HasBytesAvailable; when the device goes away (end
// of data, hangup, an I/O error) watching stops, the delegate gets EndEncountered or
// ErrorOccurred, and the stream's gone handler runs once. A stream in the Error state tells why
// in streamError(), named by the subject it was made with (the device path, "host:port", ...).
//
// A slow sender's bytes are gathered: when two reads in a row find little (under 2 KiB) after
// the loop had waited for them, the stream looks at the descriptor again only after a pause
// (kGatherSeconds), so a device sending short lines at a serial line's pace wakes the program a
// few dozen times a second, not once per line; a sender that does not fill the buffer during a
// pause is paused again at once. The first bytes after a quiet spell are announced at once; a
// flood (reads that find kilobytes, or follow each other closely) never pauses. In a
// flood, reads that each take a whole chunk of the device's buffer are announced together (up to
// the buffer's size), once a read finds less or kHoldSeconds have passed.
//
// Threads: everything is for the loop's thread, except OutputStream's hasSpaceAvailable, write,
// waitForSpace and streamError, which a worker thread may call while the main thread owns the
// stream; its close() waits for those calls to leave the descriptor before closing it, and wakes
// a waitForSpace at once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/platform_error.h"
#include "platform/runloop/run_loop.h"

namespace zt {

enum class StreamEvent : unsigned {
  OpenCompleted = 1,
  HasBytesAvailable = 2,
  HasSpaceAvailable = 4,
  ErrorOccurred = 8,
  EndEncountered = 16,
};

enum class StreamStatus { NotOpen, Open, AtEnd, Closed, Error };

class Stream;

class StreamDelegate {
 public:
  virtual ~StreamDelegate() = default;
  virtual void handleEvent(Stream& stream, StreamEvent code) = 0;
};

class Stream : public std::enable_shared_from_this<Stream> {
 public:
  virtual ~Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  // The delegate is not owned; an expired one gets no events.
  void setDelegate(std::weak_ptr<StreamDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<StreamDelegate> delegate() const { return delegate_.lock(); }
  virtual void scheduleInRunLoop(RunLoop& loop);
  virtual void removeFromRunLoop(RunLoop& loop);
  virtual void open() = 0;
  // Closes the descriptor; a closed stream stays closed. Harmless when repeated.
  virtual void close() = 0;
  StreamStatus streamStatus() const { return status_.load(); }

 protected:
  Stream() = default;
  // Delivers `code` to the delegate on a later pass of the scheduled loop (none: dropped).
  void postEvent(StreamEvent code);
  // Delivers `code` to the delegate now.
  void deliver(StreamEvent code);

  RunLoop* loop_ = nullptr;
  std::atomic<StreamStatus> status_{StreamStatus::NotOpen};

 private:
  std::weak_ptr<StreamDelegate> delegate_;
};

class InputStream final : public Stream {
 public:
  // Takes `fd` (-1: none yet). `onGone` runs once, on the loop's thread, when the device goes
  // away.
  InputStream(int fd, std::string subject, std::function<void()> onGone);
  ~InputStream() override;

  void scheduleInRunLoop(RunLoop& loop) override;
  void removeFromRunLoop(RunLoop& loop) override;
  void open() override;
  void close() override;
  // The connection is made: takes `fd` (closes it on a closed stream).
  void attach(int fd);
  // The connection could not be made: the device went away with `error`.
  void fail(PlatformError error);
  // Why the stream failed (a read error, a connection not made); empty unless in Error.
  const PlatformError& streamError() const { return error_; }
  // True while buffered or readable bytes wait; false once closed, at end or failed.
  bool hasBytesAvailable();
  // Copies at most `maxLength` bytes. Returns the count, 0 at end or when nothing is there yet,
  // -1 on error or when the stream is not open.
  std::ptrdiff_t read(std::uint8_t* buffer, std::size_t maxLength);

 private:
  static constexpr std::size_t kBufferLimit = std::size_t{64} * 1024;
  static constexpr std::size_t kGatherBelow = 2048;
  static constexpr std::chrono::microseconds kGatherAfter{500};
  static constexpr std::size_t kMoreAfter = 3072;
  static constexpr double kHoldSeconds = 0.002;
  // Short enough that a person watching a stream sees no lag; long enough that the terminal
  // draws about once per gathered batch.
  static constexpr double kGatherSeconds = 0.05;
  static constexpr std::chrono::milliseconds kQuietAfter{100};  // two pauses: a quiet spell

  void updateWatch();
  // Stops watching and resting on the loop the stream is scheduled on.
  void forgetLoop();
  void onReadable(short revents);
  // Tells the delegate that bytes wait.
  void announce();
  // After a small announcement, rests the descriptor for kGatherSeconds.
  void gather();
  // Announces what was read and held back.
  void announceHeld();
  // Reads what the descriptor holds into the buffer, up to its limit.
  void fill();
  // Empty, or EIO (a tty whose other side hung up): at end; else failed with `error`.
  void noteGone(PlatformError error);

  int fd_;
  std::string subject_;
  std::function<void()> onGone_;
  std::vector<std::uint8_t> buffer_;
  std::size_t bufferStart_ = 0;
  std::uint64_t consumed_ = 0;  // bytes handed out by read()
  bool atEnd_ = false;
  PlatformError error_;
  bool readDry_ = false;     // the last fill() ended because the descriptor had no more
  std::size_t filled_ = 0;   // bytes the last fill() read
  std::chrono::steady_clock::time_point readyFrom_;  // the loop watched again from then
  std::chrono::steady_clock::duration waited_{};     // until the descriptor was readable
  bool lastSmall_ = false;  // the announcement before found little, after a wait
  bool afterPause_ = false;     // the descriptor rested before the reads now being announced
  std::size_t sincePause_ = 0;  // bytes read since it rested
  RunLoop::Id gatherTimer_ = 0;  // the descriptor rests until it fires
  RunLoop::Id holdTimer_ = 0;    // bytes read are announced when it fires, at the latest
  bool announcing_ = false;  // the delegate is being told that bytes wait
  RunLoop::Id watch_ = 0;
};

class OutputStream final : public Stream {
 public:
  // Takes `fd` (-1: none yet); `socket` selects send() without SIGPIPE over write(). A stream
  // that cannot be made whole starts in Error, with its streamError().
  OutputStream(int fd, bool socket, std::string subject);
  ~OutputStream() override;

  void open() override;
  void close() override;
  // Loop thread: the connection is made; takes `fd` (closes it on a closed stream).
  void attach(int fd);
  // Loop thread: the connection could not be made; the stream fails with `error`.
  void fail(PlatformError error);
  // Any thread: whether a write would take at least one byte now, or fail at once (a failed
  // stream or device). False while full, not yet connected or open, or closed.
  bool hasSpaceAvailable();
  // Any thread, never blocks: bytes written, 0 when there is no room (or no connection yet),
  // -1 on error or not open.
  std::ptrdiff_t write(const std::uint8_t* buffer, std::size_t maxLength);
  // Any thread: waits until there is space (true), or the time is up or the stream closed or
  // failed. On a stream that is not open it returns false at once: a writer that retries should
  // look at streamStatus() (safe from any thread) and give up once it is Closed.
  bool waitForSpace(std::chrono::milliseconds timeout);
  // Any thread: why the stream failed (a write error, a connection not made); empty unless in
  // Error.
  PlatformError streamError();

 private:
  int fd_;  // guarded by mutex_
  int wakeFd_;
  bool socket_;
  std::string subject_;
  PlatformError error_;  // guarded by mutex_
  std::mutex mutex_;
  // Signalled when fd_ or the status changes, and when a waitForSpace stops polling.
  std::condition_variable changed_;
  int waiters_ = 0;  // guarded by mutex_: waitForSpace calls polling fd_ right now
};

}  // namespace zt
