// DataTransfersViewController: the transfer screen and its engine. It opens one session with the
// accessory it is given, shows a time-stamped log of what is sent and received with two byte
// counters, sends typed text, repeats a text at an interval (auto-send) and sends a generated
// test file in paced packets, all through one send worker thread.
//
// Use: make it with std::make_shared, setAccessoryInfo, then push it. The session and the worker
// start when its view loads and end when it leaves the navigation stack (or when it disappears
// other than for its own settings screen). The session also ends when the accessory goes away:
// the input stream reports its end or an error, a write fails, or the screen that follows the
// accessory notifications calls AccessoryDisconnect(). The person is told once, at once when the
// screen is on top, else when it is on top again; when the system gave a reason (a read or
// write error), "[Link lost HH:mm:ss]REASON" goes in the log first. A screen made to reconnect
// (setReconnect) does not end then: it logs the loss (with the reason, if any), waits for the
// same accessory to come back, opens a new session on it by itself and logs its return
// (transfer_link.cpp).
//
// Threads: every public operation is for the main thread. The worker writes to the output
// stream from its own thread; all it shares with the main thread is in the SendChannel, whose
// header states who may touch what. It reaches the main thread only by RunLoop::post, holds a
// strong reference to the screen while it runs and hands it back to the main thread when it
// ends, so the screen is always destroyed there.
// Before quitting, pop the screen and run the main loop until waitForWorkers() says none runs.
//
// Typed texts get the run's line ending (F4 or the toolbar's ending button cycles it) and, when
// the run reads escapes, their escaped bytes; while the send field is edited, Up and Down
// recall the texts sent in the run.
//
// The class spans several files by concern: transfer_screen.cpp (set-up, life, alerts),
// transfer_session.cpp, transfer_link.cpp (a link that comes back), transfer_sending.cpp
// (main-thread side of sending), transfer_typing.cpp (typed texts: refusals, the line ending,
// recall, key commands), transfer_worker.cpp (the send worker), transfer_receiving.cpp,
// transfer_menu.cpp (and the History screen), transfer_table.cpp (the table and the log) and
// transfer_keyboard.cpp. What the log and the capture are given goes into the session's history
// too.
#pragma once

#include <ctime>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/external_accessory/accessory_manager.h"
#include "platform/external_accessory/session.h"
#include "platform/ui/ui.h"
#include "settings/accessory_info.h"
#include "transfer/receive_decoding.h"
#include "transfer/send_channel.h"
#include "transfer/send_encoding.h"
#include "transfer/history/history_store.h"
#include "transfer/session_capture.h"
#include "transfer/typed_text.h"

namespace zt {

class DataTransfersViewController : public ViewController,
                                    public TableViewDataSource,
                                    public TableViewDelegate,
                                    public StreamDelegate,
                                    public ActionSheetDelegate {
 public:
  DataTransfersViewController() = default;
  ~DataTransfersViewController() override;

  const std::shared_ptr<AccessoryInfo>& accessoryInfo() const { return accessoryInfo_; }
  void setAccessoryInfo(std::shared_ptr<AccessoryInfo> info) { accessoryInfo_ = std::move(info); }
  // Where the log is also written in full (not owned; null: nowhere). Set before the view loads.
  void setSessionCapture(SessionCapture* capture) { capture_ = capture; }
  // Whether the screen waits for its accessory to come back when it goes away, instead of
  // ending. Set before the view loads.
  void setReconnect(bool on) { reconnect_ = on; }
  // How many bytes the session's history keeps (0: none). Set before the view loads.
  void setHistoryLimit(std::uint64_t bytes) { historyLimit_ = bytes; }
  // F3 (also while the send field is edited) pushes the History screen; the session stays open
  // under it. F4 cycles the line ending; Up and Down recall sent texts while the send field is
  // edited.
  std::vector<KeyCommand> keyCommands() override;

  // The accessory has gone: ends the session and tells the person (once; when this screen is
  // covered, as soon as it is on top again).
  void AccessoryDisconnect();

  // How many send workers of any screen have not yet handed their screen back.
  static int runningWorkers() { return runningWorkers_.load(); }
  // Runs the main loop until no worker runs or `limit` has passed; whether none runs.
  static bool waitForWorkers(std::chrono::milliseconds limit);
  // The send worker's CPU-time clock while it runs (to see that an idle screen costs nothing).
  std::optional<clockid_t> sendThreadCpuClock();

  void viewDidLoad() override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  int numberOfSectionsInTableView(TableView& table) override;
  int numberOfRowsInSection(TableView& table, int section) override;
  float heightForRowAtIndexPath(TableView& table, IndexPath path) override;
  std::optional<std::string> titleForHeaderInSection(TableView& table, int section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;

  // The input stream announces bytes (read on the main thread), or its end or an error (the
  // session is over; an error's reason is logged).
  void handleEvent(Stream& stream, StreamEvent code) override;
  // The menu: 0 Settings, 1 Auto Send, 2 Send Test File Data, 3 Clear, 4 Cancel.
  void clickedButtonAtIndex(ActionSheet& sheet, int index) override;

 private:
  using Clock = std::chrono::system_clock;

  static constexpr const char* kDisconnectedMessage =
      "The bluetooth device is disconnected with the phone, please check it.";
  static constexpr const char* kNotOnePacketMessage =
      "The text cannot be sent as one Quorvel packet: use at most 392 ASCII characters.";
  static constexpr const char* kLinkLostMessage =
      "The link to the device is lost: nothing is sent until it comes back.";
  static constexpr const char* kAutoSendingText = "Auto sending data...";

  // The session of a screen that reconnects: up (or never opened), lost and waiting for the
  // accessory, or a new session opened on it that has yet to connect.
  enum class LinkState { Up, Lost, Trying };

  // ---- set-up, life and alerts (transfer_screen.cpp)
  void buildViews();
  void showWarning(const std::string& message);
  // Shows the alert a failed write of the capture file returns, if any.
  void noteCapture(const PlatformError& failure);

  // ---- session (transfer_session.cpp)
  void OpenSession();
  // Opens a session on the accessory of accessoryInfo_, its streams on the main loop; why not,
  // when it cannot.
  PlatformError startSession();
  // Closes and lets go of the session; the worker writes nowhere.
  void endSession();
  void CloseSession();
  // Whether the screen is leaving for good: off its navigation stack, or not for its settings.
  bool isLeaving() const;
  // The session is over, for `why` when the system said (a read or write error; empty: the device
  // went away or the main screen said so): the same as AccessoryDisconnect, the reason logged.
  void sessionEnded(const PlatformError& why);
  // The worker's write to `failed` failed for `why`: the session ends, unless it is one gone.
  void outputFailed(const OutputStream& failed, const PlatformError& why);
  // The send field and button of a session that has ended, and the alert.
  void showDisconnected();

  // ---- a link that comes back (transfer_link.cpp)
  bool linkUp() const { return linkState_ == LinkState::Up; }
  // The session ended (for `why`, when the system said): log it, drop what is queued, wait for
  // the accessory.
  void linkLost(const PlatformError& why);
  // A new connection of the accessory is offered: open a session on it.
  void tryLink(const std::shared_ptr<EAAccessory>& accessory);
  // The new session has connected: log it, resume.
  void linkBack();
  // Logs "[Link lost HH:mm:ss]REASON", or "[Link back HH:mm:ss]", everywhere the log goes.
  void logLink(bool back, Clock::time_point at, const std::string& reason = {});
  // Tells that `count` typed texts were dropped without being sent (nothing when 0).
  void tellNotSent(std::size_t count);
  // Received bytes kept back for more are shown or given up: no more will come on this session.
  void settleReceived();

  // ---- main-thread side of sending (transfer_sending.cpp)
  void PressSendBtn();
  void AppendSendData(TypedText text);
  // A write's result: `text` is what went out (none: a test-file write, counted only); `wire`:
  // the bytes that carried it when they are not the text's own (a Quorvel packet).
  void ProcessSendDataResult(const std::optional<std::string>& text,
                             const std::vector<std::uint8_t>& wire = {});
  // The test file `serial` ended after `sent` of its `total` bytes.
  void FinishSendTestFile(std::uint64_t serial, std::uint64_t sent, std::uint64_t total);
  // The send field and button as the mode shows them.
  void showSendControls(const std::string& fieldText, bool fieldEnabled, const std::string& title);

  // ---- typed texts (transfer_typing.cpp)
  // Queues the send field's text, or tells why it is refused and leaves it in the field.
  void sendTypedText();
  void cycleLineEnding();
  void showLineEnding();
  // Up (`older`) or Down through the texts sent in the run, the text being typed last.
  void recallSentText(bool older);

  // ---- the send worker (transfer_worker.cpp)
  void startSendThread();
  void ProSendDataThrd(std::shared_ptr<DataTransfersViewController> self);
  // Writes the test file started last unless it is `finished`, which it then becomes.
  void runTestFile(OutputStream* out, std::uint64_t& finished);
  void sendQueuedTexts(OutputStream* out);
  // Whether the text is dealt with: some of it went out, or it is one that cannot go out (empty,
  // not encodable, refused); false when the stream took none of it.
  bool writeData(const TypedText& text, OutputStream* out);
  // One auto-send cycle, then its interval.
  void runAutoSend(OutputStream* out);
  std::size_t writeData_AutoSend(const PreparedText& prepared, OutputStream* out);
  // Returns how many bytes of the block went out.
  std::uint64_t writeData_SendTestFileEx(const RepeatedBlock& block, OutputStream* out);
  // Writes all of `bytes` in writes of at most the packet size; returns how many went out.
  std::size_t writeWhole(const std::vector<std::uint8_t>& bytes, OutputStream* out);
  // One write to `out`; when it fails, the main thread ends the session and logs why (nothing
  // when the stream was only closed).
  std::ptrdiff_t writeOut(OutputStream& out, const std::uint8_t* bytes, std::size_t length);
  void postSendResult(std::optional<std::string> text, const std::vector<std::uint8_t>& bytes = {});
  void postToMain(std::function<void(DataTransfersViewController&)> task);

  // ---- receiving (transfer_receiving.cpp)
  void readData();
  void ProcessRecvDataResult(const ReceivedText& received);
  // (Re)starts the wait for quiet on the line while received bytes wait to be settled.
  void awaitQuiet();

  // ---- menu (transfer_menu.cpp)
  void PressOptionBtn();
  void openHistory();
  void openSettings();
  // The bytes of a text from the settings; none, after telling why, when it cannot be one
  // Quorvel packet.
  std::optional<std::vector<std::uint8_t>> prepare(const std::string& text);
  void startAutoSend();
  void startTestFile();
  void enterMode(OperatType mode, const std::string& fieldText);
  void clearLog();
  // Whether `wanted` (OperatNone: the settings screen) may not start now; tells the person why.
  bool refuseStart(OperatType wanted);
  // The alert of auto-send or a test file that runs; whether one runs.
  bool refuseWhileRunning();

  // ---- table and log (transfer_table.cpp)
  // Appends "\r\n[KIND HH:mm:ss]TEXT", emptying a log of more than 500 characters first.
  void appendLogEntry(const char* kind, const std::string& text, Clock::time_point at);
  void showLog(bool scrollToEnd);
  void showCounts();

  // ---- keyboard (transfer_keyboard.cpp)
  void keyboardWillShow(const Notification& notification);
  void keyboardDidHide(const Notification& notification);

  static std::atomic<int> runningWorkers_;

  // Session, main thread.
  std::shared_ptr<AccessoryInfo> accessoryInfo_;
  SessionCapture* capture_ = nullptr;
  std::shared_ptr<EASession> curSession_;
  bool accessoryDisconnected_ = false;
  bool disconnectUnshown_ = false;  // the person is told when the screen is on top again
  bool openSettings_ = false;
  bool reconnect_ = false;
  LinkState linkState_ = LinkState::Up;
  std::unique_ptr<AccessoryWait> linkWait_;  // while the link is lost
  bool resumeAutoSend_ = false;  // auto-send ran when the link was lost
  bool openHistory_ = false;  // the session goes on under the History screen too
  std::uint64_t historyLimit_ = 0;
  std::shared_ptr<HistoryStore> history_;  // null while the history is off

  // Shared with the worker.
  SendChannel channel_;
  std::weak_ptr<DataTransfersViewController> weakSelf_;  // set before the worker starts
  std::thread sendDataThrd_;

  // Main thread.
  std::uint64_t testFileSerial_ = 0;  // of the latest test file started
  std::int64_t recvDataByteLen_ = 0;
  ReceiveDecoder receiveDecoder_;
  RunLoop::Id quietTimer_ = 0;  // armed while received bytes wait
  std::string log_;
  std::shared_ptr<TableView> tableview_;
  std::shared_ptr<Toolbar> toolbar_;
  std::shared_ptr<TextField> sendTextField_;
  std::shared_ptr<BarButtonItem> sendButton_;
  std::shared_ptr<BarButtonItem> lineEndingButton_;
  std::size_t recallBack_ = 0;  // how far back Up has gone (0: at the text being typed)
  std::string recallDraft_;     // the text being typed when Up was first pressed
  std::shared_ptr<TextView> recvTextView_;
  std::shared_ptr<Label> recvCountLabel_;
  std::shared_ptr<Label> sendCountLabel_;
};

}  // namespace zt
