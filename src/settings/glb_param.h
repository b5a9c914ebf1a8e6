// GlbParam: the process-wide settings object. It holds the transfer settings, the Quorvel
// on/off state and key, the list of connected accessories and the option store, and nothing
// more: it validates, persists and computes nothing. Setting the key does not put it into
// force in the cipher; whoever stores a key that should be used calls QuorvelSetKey itself.
// Only the Quorvel state and key outlive the process (the option store reloads them); every
// other field starts from its default.
//
// Each field has a getter named like the field and a setter named set + the field's name.
// Beside the transfer settings it keeps, for the run, what the command line chose for typed
// texts (their line ending, which the transfer screen may change, and whether escapes are read)
// and the texts sent, which the send field recalls.
//
// Threads: instance() and ReleaseResource() are safe from any thread; ReleaseResource() must
// not run while anyone still uses the object. Every setter runs on the main thread. The send
// worker may read eachPacketSize, sleepTime, autoSendInterval, openQuorvel, dataFormat and
// autoSendData while the main thread writes them: those are atomics or a SharedText. Every
// other field belongs to the main thread alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/accessory_info.h"
#include "settings/line_ending.h"
#include "settings/sent_texts.h"
#include "settings/shared_text.h"

namespace zt {

class DBProcess;

class GlbParam {
 public:
  using AccessoryList = std::vector<std::shared_ptr<AccessoryInfo>>;

  // The single settings object, created with the defaults on the first call.
  static GlbParam& instance();
  // Destroys the single settings object; the next instance() creates a fresh one.
  static void ReleaseResource();

  GlbParam(const GlbParam&) = delete;
  GlbParam& operator=(const GlbParam&) = delete;
  ~GlbParam();

  // The list itself, for the main thread to rebuild and edit in place.
  AccessoryList& accessoryList() { return accessoryList_; }

  std::string autoSendData() const { return *autoSendData_.load(); }
  void setAutoSendData(std::string text) { autoSendData_.store(std::move(text)); }

  std::int32_t autoSendInterval() const { return autoSendInterval_.load(); }
  void setAutoSendInterval(std::int32_t seconds) { autoSendInterval_.store(seconds); }

  const std::string& largeData_LineCharacter() const { return lineCharacter_; }
  void setLargeData_LineCharacter(std::string line);

  std::int32_t largeData_LineCount() const { return lineCount_; }
  void setLargeData_LineCount(std::int32_t count) { lineCount_ = count; }

  std::int32_t eachPacketSize() const { return eachPacketSize_.load(); }
  void setEachPacketSize(std::int32_t bytes) { eachPacketSize_.store(bytes); }

  std::int32_t sleepTime() const { return sleepTime_.load(); }
  void setSleepTime(std::int32_t milliseconds) { sleepTime_.store(milliseconds); }

  bool openQuorvel() const { return openQuorvel_.load(); }
  void setOpenQuorvel(bool on) { openQuorvel_.store(on); }

  const std::optional<std::string>& quorvelKey() const { return quorvelKey_; }
  void setQuorvelKey(std::optional<std::string> key);

  // The option store, owned here; null until the main screen hands one over.
  DBProcess* dbProcess() const { return dbProcess_.get(); }
  void setDbProcess(std::unique_ptr<DBProcess> store);

  // 0 ASCII, 1 UTF-8.
  std::uint8_t dataFormat() const { return dataFormat_.load(); }
  void setDataFormat(std::uint8_t format) { dataFormat_.store(format); }

  // What Send appends to a typed text.
  LineEnding lineEnding() const { return lineEnding_; }
  void setLineEnding(LineEnding ending) { lineEnding_ = ending; }

  // Whether a typed text's backslash escapes are turned into bytes.
  bool escapes() const { return escapes_; }
  void setEscapes(bool on) { escapes_ = on; }

  SentTexts& sentTexts() { return sentTexts_; }

 private:
  GlbParam();

  AccessoryList accessoryList_;
  SharedText autoSendData_{"This is a test message from Zemra Demo application for iPhone"};
  std::atomic<std::int32_t> autoSendInterval_{1};
  std::string lineCharacter_ = "This is a test file data from Zemra Demo application for iPhone";
  std::int32_t lineCount_ = 100;
  std::atomic<std::int32_t> eachPacketSize_{200};
  std::atomic<std::int32_t> sleepTime_{50};
  std::atomic<bool> openQuorvel_{false};
  std::optional<std::string> quorvelKey_;
  std::unique_ptr<DBProcess> dbProcess_;
  std::atomic<std::uint8_t> dataFormat_{0};
  LineEnding lineEnding_ = LineEnding::None;
  bool escapes_ = false;
  SentTexts sentTexts_;
};

}  // namespace zt
