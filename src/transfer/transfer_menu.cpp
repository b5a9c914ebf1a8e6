// The transfer screen's menu: the settings screen, starting auto-send and a test file, and
// clearing the log and counters; and the History screen.
#include "settings/glb_param.h"
#include "settings_ui/dt_settings_view_controller.h"
#include "transfer/data_transfers_view_controller.h"
#include "transfer/history/history_view_controller.h"

namespace zt {

namespace {

const char* const kAutoSendRunsMessage =
    "The app is performing auto-send operation. Please first stop it.";
const char* const kTestFileRunsMessage =
    "The app is performing sending test file data operation. Please first stop it.";

enum MenuEntry { kSettings = 0, kAutoSend = 1, kTestFile = 2, kClear = 3 };

}  // namespace

void DataTransfersViewController::PressOptionBtn() {
  auto sheet = std::make_shared<ActionSheet>(
      "", weakAs<ActionSheetDelegate>(), std::optional<std::string>("Cancel"), std::nullopt,
      std::vector<std::string>{"Settings", "Auto Send", "Send Test File Data", "Clear"});
  sheet->showInView(*view());
}

void DataTransfersViewController::clickedButtonAtIndex(ActionSheet& /*sheet*/, int index) {
  switch (index) {
    case kSettings:
      if (!refuseStart(OperatNone)) openSettings();
      break;
    case kAutoSend:
      if (!refuseStart(OperatAutoSend)) startAutoSend();
      break;
    case kTestFile:
      if (!refuseStart(OperatTestFile)) startTestFile();
      break;
    case kClear:
      clearLog();
      break;
    default:
      break;
  }
}

bool DataTransfersViewController::refuseStart(OperatType wanted) {
  if (wanted == OperatNone) return refuseWhileRunning();
  if (!linkUp()) {
    showWarning(kLinkLostMessage);
    return true;
  }
  if (accessoryDisconnected_) {
    showWarning(kDisconnectedMessage);
    return true;
  }
  // The running mode's entry does nothing.
  return channel_.operatType() == wanted || refuseWhileRunning();
}

bool DataTransfersViewController::refuseWhileRunning() {
  const OperatType mode = channel_.operatType();
  if (mode == OperatAutoSend) showWarning(kAutoSendRunsMessage);
  if (mode == OperatTestFile) showWarning(kTestFileRunsMessage);
  return mode == OperatAutoSend || mode == OperatTestFile;
}

void DataTransfersViewController::openSettings() {
  const auto navigation = navigationController();
  if (!navigation) return;
  openSettings_ = true;  // the session goes on under the settings screen
  navigation->pushViewController(std::make_shared<DTSettingsViewController>(), true);
}

std::optional<std::vector<std::uint8_t>> DataTransfersViewController::prepare(
    const std::string& text) {
  const GlbParam& settings = GlbParam::instance();
  EncodedText encoded = EncodeForSending(text, settings.openQuorvel(), settings.dataFormat());
  if (encoded.result == EncodedText::Result::NotOnePacket) {
    showWarning(kNotOnePacketMessage);
    return std::nullopt;
  }
  return std::move(encoded.bytes);  // empty when the format cannot carry the text
}

void DataTransfersViewController::startAutoSend() {
  auto prepared = std::make_shared<PreparedText>();
  prepared->text = GlbParam::instance().autoSendData();
  std::optional<std::vector<std::uint8_t>> bytes = prepare(prepared->text);
  if (!bytes) return;
  prepared->bytes = std::move(*bytes);
  channel_.setAutoSendText(std::move(prepared));
  enterMode(OperatAutoSend, kAutoSendingText);
}

void DataTransfersViewController::startTestFile() {
  const GlbParam& settings = GlbParam::instance();
  std::optional<std::vector<std::uint8_t>> line = prepare(settings.largeData_LineCharacter());
  if (!line) return;
  auto block = std::make_shared<const RepeatedBlock>(std::move(*line),
                                                     settings.largeData_LineCount(),
                                                     ++testFileSerial_);
  if (history_) {
    history_->appendText(HistoryKind::TestFileStart, Clock::now(),
                         testFileStartText(settings.largeData_LineCharacter(),
                                           settings.largeData_LineCount(), block->length()));
  }
  channel_.setTestFileBlock(std::move(block));
  enterMode(OperatTestFile, "Sending test file data...");
}

void DataTransfersViewController::enterMode(OperatType mode, const std::string& fieldText) {
  channel_.setOperatType(mode);  // last, once the worker's bytes are ready
  showSendControls(fieldText, false, "Stop");
}

void DataTransfersViewController::openHistory() {
  const auto navigation = navigationController();
  if (!navigation || navigation->topViewController().get() != this) return;
  openHistory_ = true;  // the session goes on under the History screen
  sendTextField_->resignFirstResponder();  // the typed text stays for the way back
  navigationItem().setBackBarButtonItem(
      std::make_shared<BarButtonItem>("Back", BarButtonItemStyle::Bordered));
  navigation->pushViewController(std::make_shared<HistoryViewController>(history_), true);
}

void DataTransfersViewController::clearLog() {
  channel_.resetSendDataByteLen();
  recvDataByteLen_ = 0;
  showCounts();
  log_.clear();
  showLog(false);
}

}  // namespace zt
