// SendChannel: everything a transfer screen's main thread and its send worker share, in one
// place: the queue of typed texts, the transfer mode, the stop request, the prepared auto-send
// text and test-file block, the output stream the worker writes to, the count of bytes written,
// the worker's pauses, and the back-pressure on the results the worker posts.
//
// Threads: each operation says who may call it: "main" (the main thread), "worker" (the send
// worker) or "any". One mutex guards the queue, the prepared bytes, the stream and the results
// waiting; it is held only to copy, swap or count, never across a write, a wait for space or a
// post. The mode and the stop request are written under that mutex, so that a wait, which tests
// them under it, cannot miss a change, and are read atomically without it at every check. The
// byte count is atomic only: nothing waits on it.
//
// What it guarantees:
// - A stop request ends every wait at once, and every later wait returns at once.
// - A mode change ends at once the pauses that hang on the mode.
// - The worker never waits for the main thread, except while 64 Sent lines are still unshown.
// - A stream handed over is taken up at the worker's next pass; the one it leaves is released on
//   the main thread. Texts dropped from the queue are never sent.
// - Every typed text of which nothing went out is counted once as not sent: those dropped from
//   the queue, and those the worker took and could not write. A drop tells the count at once,
//   or, while the worker writes a text, the worker's textDone() tells it when that write ends.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/external_accessory/stream.h"
#include "transfer/send_encoding.h"

namespace zt {

// The transfer mode.
enum OperatType : std::uint8_t {
  OperatNone = 0,      // the accessory has gone, or the screen is being destroyed
  OperatNormal = 1,    // typed text
  OperatAutoSend = 2,  // auto-send runs
  OperatTestFile = 3,  // a test file is being sent
};

class SendChannel {
 public:
  using Block = std::shared_ptr<const RepeatedBlock>;

  // Any.
  OperatType operatType() const { return operatType_; }
  // Main: ends the pauses that hang on the mode.
  void setOperatType(OperatType mode);
  // Any.
  bool stopRequested() const { return stopSendThrd_; }
  // Main: ends every wait; never undone.
  void requestStop();

  // Main: queues a typed text, last.
  void append(TypedText text);
  // Any: drops every text still queued; how many texts were not sent since the count was last
  // told, or none while the worker writes a text (textDone() then tells it).
  std::optional<std::size_t> dropQueued();
  // Worker: how many texts are queued now (one drain takes at most that many).
  std::size_t queuedCount();
  // Worker: the oldest queued text, taken off the queue to be written; none when it is empty.
  std::optional<TypedText> takeQueued();
  // Worker: the text taken has been written; `dealtWith` false when none of it went out. After
  // a drop during the write, how many texts were not sent, for the worker to tell.
  std::optional<std::size_t> textDone(bool dealtWith);

  // Main: the bytes of the next auto-send cycles and the block of the next test file; the
  // worker keeps its own reference to the ones it writes.
  void setAutoSendText(std::shared_ptr<const PreparedText> prepared);
  void setTestFileBlock(Block block);
  // Worker.
  std::shared_ptr<const PreparedText> autoSendText();
  Block testFileBlock();

  // Main: the stream to write to from now on (none: nowhere).
  void setOutput(std::shared_ptr<OutputStream> out);
  // Worker: `out` becomes the stream handed over, when it has changed.
  void followOutput(std::shared_ptr<OutputStream>& out);

  // Any: bytes written since the count was last reset.
  std::int64_t sendDataByteLen() const { return sendDataByteLen_; }
  // Worker.
  void countSent(std::int64_t bytes) { sendDataByteLen_ += bytes; }
  // Main.
  void resetSendDataByteLen() { sendDataByteLen_ = 0; }

  // Worker: waits `duration` unless stopped; with `whileMode`, also ends when the mode leaves it,
  // without when the accessory has gone (OperatNone).
  void pause(std::chrono::milliseconds duration, std::optional<OperatType> whileMode);
  // Worker: whether to post a result now. A Sent line (`line`) waits while 64 are unshown (a
  // stop ends the wait) and is then always posted; a count update is posted only when none
  // waits for the main thread already.
  bool admitResult(bool line);
  // Main: a result admitted with `line` has been shown.
  void resultShown(bool line);

 private:
  std::atomic<bool> stopSendThrd_{false};
  std::atomic<OperatType> operatType_{OperatNone};
  std::atomic<std::int64_t> sendDataByteLen_{0};
  std::mutex mutex_;
  std::condition_variable sendThrdCondition_;  // a stop, a mode change, a Sent line shown
  std::deque<TypedText> sendDataList_;
  bool writing_ = false;       // the worker writes a text it took
  bool dropWaiting_ = false;   // a drop waits for that write to end to tell its count
  std::size_t notSent_ = 0;    // texts not sent since the count was last told
  std::shared_ptr<const PreparedText> autoSendDataCString_;
  Block testFileData_;
  std::shared_ptr<OutputStream> output_;
  int resultsWaiting_ = 0;         // Sent lines posted and not yet shown
  bool sentCountPosted_ = false;  // a count update waits for the main thread
};

}  // namespace zt
