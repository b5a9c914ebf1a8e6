#include "transfer/session_capture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <utility>

namespace zt {

namespace {

std::string stamped(std::string_view word, SessionCapture::Time at, std::string_view text) {
  std::string block = "[";
  block.append(word).append(word.empty() ? "" : " ").append(captureDate(at)).append("]");
  return block.append(text).append("\n");
}

std::string hexDigits(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) text.append({kDigits[b >> 4], kDigits[b & 15]});
  return text;
}

}  // namespace

SessionCapture::~SessionCapture() {
  // Every entry is already with the kernel; close() has nothing left to report for it.
  if (fd_ >= 0) (void)::close(fd_);
}

PlatformError SessionCapture::open(const std::filesystem::path& path) {
  if (fd_ >= 0) (void)::close(fd_);
  fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
  struct stat status {};
  if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
    PlatformError error = systemError(errno, path.string());
    if (fd_ >= 0) (void)::close(fd_);
    fd_ = -1;
    error.detail = "cannot open the log file '" + path.string() + "' for appending: " +
                   error.code.message();
    return error;
  }
  atStart_ = status.st_size == 0;
  lineOpen_ = false;
  failureTold_ = false;
  return {};
}

SessionCapture::Failure SessionCapture::beginSession(std::string_view name,
                                                     std::string_view serial, Time at) {
  std::string block = atStart_ ? "=== " : "\n=== ";
  block.append(name).append(" (").append(serial).append(") ").append(captureDate(at));
  return append(block.append("\n"));
}

SessionCapture::Failure SessionCapture::received(std::string_view text, Time at) {
  return append(stamped("Received", at, text));
}

SessionCapture::Failure SessionCapture::sent(std::string_view text, Time at) {
  return append(stamped("Sent", at, text));
}

SessionCapture::Failure SessionCapture::testFileEnded(std::uint64_t sent, std::uint64_t total,
                                                      Time at) {
  return append(stamped("", at, testFileEndText(sent, total)));
}

SessionCapture::Failure SessionCapture::undecodable(std::span<const std::uint8_t> bytes,
                                                    Time at) {
  return append(stamped("Received", at,
                        "(" + std::to_string(bytes.size()) +
                            " bytes not shown: " + hexDigits(bytes) + ")"));
}

SessionCapture::Failure SessionCapture::link(std::string_view kind, Time at,
                                             std::string_view reason) {
  return append(stamped(kind, at, reason));
}

SessionCapture::Failure SessionCapture::textsNotSent(std::size_t count, Time at) {
  return append(stamped("", at, notSentText(count)));
}

SessionCapture::Failure SessionCapture::append(std::string block) {
  if (fd_ < 0) return {};
  if (lineOpen_) block.insert(0, 1, '\n');
  std::string_view rest = block;
  while (!rest.empty()) {
    const ssize_t count = ::write(fd_, rest.data(), rest.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      lineOpen_ = lineOpen_ || rest.size() < block.size();
      atStart_ = atStart_ && rest.size() == block.size();
      if (count < 0) return fail(systemError(errno, ""));
      return fail({std::make_error_code(std::errc::io_error), "", "the file took no bytes"});
    }
    rest.remove_prefix(static_cast<std::size_t>(count));
  }
  lineOpen_ = false;
  atStart_ = false;
  return {};
}

SessionCapture::Failure SessionCapture::fail(PlatformError error) {
  if (failureTold_) return {};
  failureTold_ = true;
  return error;
}

std::string captureDate(SessionCapture::Time at) {
  const auto ms = std::chrono::floor<std::chrono::milliseconds>(at);
  const auto second = std::chrono::floor<std::chrono::seconds>(ms);
  const std::time_t seconds = std::chrono::system_clock::to_time_t(second);
  std::tm local{};
  char text[32] = {};
  if (::localtime_r(&seconds, &local) == nullptr ||
      std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) {
    return "0000-00-00 00:00:00.000";  // not reached: every system_clock time fits a std::tm
  }
  char millis[8];
  static_cast<void>(
      std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>((ms - second).count())));
  return std::string(text) + millis;
}

std::string testFileEndText(std::uint64_t sent, std::uint64_t total) {
  if (sent >= total) return "the app finish sending test file data operation";
  return "the app stopped sending test file data after " + std::to_string(sent) + " of " +
         std::to_string(total) + " bytes";
}

std::string notSentText(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " queued text was" : " queued texts were") +
         " not sent";
}

std::string testFileStartText(std::string_view line, std::int32_t count, std::uint64_t total) {
  return "the app started sending test file data: \"" + std::string(line) + "\" " +
         std::to_string(count) + (count == 1 ? " time, " : " times, ") + std::to_string(total) +
         " bytes";
}

std::string captureFailureMessage(const PlatformError& failure) {
  return "The log file could not be written: " + failure.message() + ".";
}

}  // namespace zt
