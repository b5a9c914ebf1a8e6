// The transfer screen's menu: the settings screen, starting auto-send and a test file, and
// clearing the log and counters.
#include "settings/glb_param.h"
#include "settings_ui/dt_settings_view_controller.h"
#include "transfer/data_transfers_view_controller.h"

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
  if (accessoryDisconnected_) {
    showWarning(kDisconnectedMessage);
    return true;
  }
  return operatType_ == wanted || refuseWhileRunning();  // the running mode's entry does nothing
}

bool DataTransfersViewController::refuseWhileRunning() {
  const OperatType mode = operatType_;
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

void DataTransfersViewController::startAutoSend() {
  const GlbParam& settings = GlbParam::instance();
  auto prepared = std::make_shared<PreparedText>();
  prepared->text = settings.autoSendData();
  EncodedText encoded =
      EncodeForSending(prepared->text, settings.openQuorvel(), settings.dataFormat());
  if (encoded.result == EncodedText::Result::NotOnePacket) {
    showWarning(kNotOnePacketMessage);
    return;
  }
  prepared->bytes = std::move(encoded.bytes);  // empty when the format cannot carry the text
  {
    std::lock_guard lock(sendThrdMutex_);
    autoSendDataCString_ = std::move(prepared);
    operatType_ = OperatAutoSend;
  }
  sendThrdCondition_.notify_all();
  showSendControls("Auto sending data...", false, "Stop");
}

void DataTransfersViewController::startTestFile() {
  const GlbParam& settings = GlbParam::instance();
  EncodedText line = EncodeForSending(settings.largeData_LineCharacter(), settings.openQuorvel(),
                                      settings.dataFormat());
  if (line.result == EncodedText::Result::NotOnePacket) {
    showWarning(kNotOnePacketMessage);
    return;
  }
  auto block = std::make_shared<const RepeatedBlock>(
      std::move(line.bytes), settings.largeData_LineCount(), ++testFileSerial_);
  {
    std::lock_guard lock(sendThrdMutex_);
    testFileData_ = std::move(block);
    operatType_ = OperatTestFile;
  }
  sendThrdCondition_.notify_all();
  showSendControls("Sending test file data...", false, "Stop");
}

void DataTransfersViewController::clearLog() {
  sendDataByteLen_ = 0;
  recvDataByteLen_ = 0;
  showCounts();
  log_.clear();
  showLog(false);
}

}  // namespace zt
