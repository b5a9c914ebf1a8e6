// SessionCapture: the file given with --log, to which every transfer screen appends its log in
// full (the screen itself keeps only the last few hundred characters).
//
// The file is a sequence of entries, each one line block ended by one "\n" that is not part of
// its text (dates in local time, to the millisecond):
//
//   === Zemra Demo Module (ZD0001) 2024-03-05 11:05:07.031     a session begins
//   [Received 2024-03-05 11:05:08.482]TEXT                     TEXT exactly as it came
//   [Sent 2024-03-05 11:05:09.015]TEXT
//   [2024-03-05 11:05:10.200]the app finish sending test file data operation
//   [2024-03-05 11:05:10.200]the app stopped sending test file data after 3000 of 6300 bytes
//   [Received 2024-03-05 11:05:11.007](3 bytes not shown: c328ff)
//   [Link lost 2024-03-05 11:05:12.350]REASON                  the link failed (REASON: the
//                                                              system's) or went (--reconnect)
//   [2024-03-05 11:05:12.350]2 queued texts were not sent
//   [Link back 2024-03-05 11:05:20.118]                        and came back
//
// Line breaks inside TEXT stay as they came ("\r\n" included), so a TEXT is everything between
// its stamp and the last "\n" of its block, and a TEXT that ends in a line break is followed by
// an empty line. Bytes that cannot be shown are written as lower-case hex digits without
// separators, the form that `zemra-quorvel --hex` reads. An empty line comes before each session
// except at the very start of the file.
//
// The file is opened for appending and, when it does not exist, created with mode 0600 (it may
// hold deciphered traffic); an existing file keeps its mode. Each entry is one write() of the
// whole block with no buffering in the process, so once an entry call returns the entry survives
// a crash of the program (no fsync: a power cut may still lose it).
//
// Failures are PlatformErrors, empty when there is none. A write that fails is told once: the
// first entry call that fails returns it (the system's reason, e.g. "No space left on device");
// later entries are still tried, so the capture goes on when room is made, and return none. An
// entry cut short is left as it is and the next entry written begins on a new line. A capture
// that is not open ignores every entry.
//
// Threads: main thread only (the transfer screens and main() call it there); not synchronized.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/platform_error.h"

namespace zt {

// The line a test file's transmission ends with, on the screen and in the file: the finish line
// when all `total` bytes went out, else how far it got ("... after 3000 of 6300 bytes").
std::string testFileEndText(std::uint64_t sent, std::uint64_t total);
// The line that tells how many typed texts were dropped when the link was lost: "1 queued text
// was not sent", "2 queued texts were not sent".
std::string notSentText(std::size_t count);
// The history's line for a test file that starts: its line, repetitions and total bytes.
std::string testFileStartText(std::string_view line, std::int32_t count, std::uint64_t total);

class SessionCapture {
 public:
  using Time = std::chrono::system_clock::time_point;
  // The first failed write, returned once; empty otherwise.
  using Failure = PlatformError;

  SessionCapture() = default;
  ~SessionCapture();
  SessionCapture(const SessionCapture&) = delete;
  SessionCapture& operator=(const SessionCapture&) = delete;

  // Opens `path` for appending, closing the file opened before. Its message is one line naming
  // the path and the system's reason.
  PlatformError open(const std::filesystem::path& path);
  bool isOpen() const { return fd_ >= 0; }

  // "=== NAME (SERIAL) DATE": a transfer screen opened a session with this accessory.
  [[nodiscard]] Failure beginSession(std::string_view name, std::string_view serial, Time at);
  [[nodiscard]] Failure received(std::string_view text, Time at);
  [[nodiscard]] Failure sent(std::string_view text, Time at);
  // A test file's transmission ended after `sent` of its `total` bytes.
  [[nodiscard]] Failure testFileEnded(std::uint64_t sent, std::uint64_t total, Time at);
  // Received bytes that did not decode, or a Quorvel batch that did not open.
  [[nodiscard]] Failure undecodable(std::span<const std::uint8_t> bytes, Time at);
  // "[KIND DATE]REASON": the link was lost ("Link lost", with why when the system said) or came
  // back ("Link back").
  [[nodiscard]] Failure link(std::string_view kind, Time at, std::string_view reason = {});
  // `count` typed texts were dropped without being sent.
  [[nodiscard]] Failure textsNotSent(std::size_t count, Time at);

 private:
  Failure append(std::string block);
  Failure fail(PlatformError error);

  int fd_ = -1;
  bool atStart_ = true;   // nothing in the file yet
  bool lineOpen_ = false; // the last block was cut short
  bool failureTold_ = false;
};

// "YYYY-MM-DD HH:mm:ss.SSS" in local time.
std::string captureDate(SessionCapture::Time at);

// The text of the alert that tells a write failure: "The log file could not be written: REASON."
std::string captureFailureMessage(const PlatformError& failure);

}  // namespace zt
