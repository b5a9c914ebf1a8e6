// The transfer screen's set-up and life: its views, the worker count, alerts.
#include <pthread.h>

#include <utility>

#include "settings/glb_param.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt {

std::atomic<int> DataTransfersViewController::runningWorkers_{0};

namespace {

constexpr float kToolbarHeight = 44;
constexpr float kSendFieldWidth = 240;

}  // namespace

DataTransfersViewController::~DataTransfersViewController() {
  channel_.requestStop();
  channel_.setOperatType(OperatNone);
  // The worker held a strong reference while it ran, so it has ended (or never started).
  if (sendDataThrd_.joinable()) sendDataThrd_.join();
  NotificationCenter::defaultCenter().removeObserver(this);
}

bool DataTransfersViewController::waitForWorkers(std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (runningWorkers_ > 0 && std::chrono::steady_clock::now() < end) {
    RunLoop::main().runFor(std::chrono::milliseconds(10));
  }
  return runningWorkers_ == 0;
}

std::optional<clockid_t> DataTransfersViewController::sendThreadCpuClock() {
  clockid_t clock{};
  if (!sendDataThrd_.joinable() ||
      ::pthread_getcpuclockid(sendDataThrd_.native_handle(), &clock) != 0) {
    return std::nullopt;
  }
  return clock;
}

void DataTransfersViewController::viewDidLoad() {
  // Loaded again (the platform unloaded the view): the session and the worker go on as they are.
  if (sendDataThrd_.joinable()) return;
  accessoryDisconnected_ = false;
  openSettings_ = false;
  channel_.setOperatType(OperatNormal);
  const auto& accessory = accessoryInfo_ ? accessoryInfo_->accessory() : nullptr;
  setTitle(accessory ? accessory->serialNumber() : "");
  buildViews();
  auto weak = weakAs<DataTransfersViewController>();
  auto& center = NotificationCenter::defaultCenter();
  center.addObserver(this, UIKeyboardWillShowNotification, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->keyboardWillShow(note);
  });
  center.addObserver(this, UIKeyboardDidHideNotification, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->keyboardDidHide(note);
  });
  navigationItem().setRightBarButtonItem(
      std::make_shared<BarButtonItem>(UIBarButtonSystemItemAction,
                                      [weak] {
                                        if (auto self = weak.lock()) self->PressOptionBtn();
                                      }),
      true);
  if (capture_) {
    noteCapture(capture_->beginSession(accessory ? accessory->name() : "",
                                       accessory ? accessory->serialNumber() : "", Clock::now()));
  }
  if (historyLimit_ > 0) history_ = std::make_shared<HistoryStore>(historyLimit_);
  OpenSession();
  channel_.resetSendDataByteLen();
  recvDataByteLen_ = 0;
  sendButton_ = toolbar_->items().at(1);
  tableview_->setAllowsSelection(false);
  startSendThread();
}

void DataTransfersViewController::buildViews() {
  auto root = view();
  root->setBackgroundColor(Color::pattern(Image::named("background.jpg")));
  const Rect app = Application::shared().applicationFrame();
  const float barBottom = app.height - NavigationController::kBarHeight;
  tableview_ = std::make_shared<TableView>(Rect{0, 0, app.width, 450});
  tableview_->setBackgroundColor(Color::clear());
  tableview_->setDataSource(weakAs<TableViewDataSource>());
  tableview_->setDelegate(weakAs<TableViewDelegate>());
  root->addSubview(tableview_);

  toolbar_ = std::make_shared<Toolbar>(
      Rect{0, barBottom - kToolbarHeight, app.width, kToolbarHeight});
  sendTextField_ = std::make_shared<TextField>(Rect{0, 0, kSendFieldWidth, 31});
  sendTextField_->setBorderStyle(TextBorderStyle::RoundedRect);
  auto weak = weakAs<DataTransfersViewController>();
  lineEndingButton_ =
      std::make_shared<BarButtonItem>("", BarButtonItemStyle::Bordered, [weak] {
        if (auto self = weak.lock()) self->cycleLineEnding();
      });
  showLineEnding();
  toolbar_->setItems({std::make_shared<BarButtonItem>(sendTextField_),
                      std::make_shared<BarButtonItem>("Send", BarButtonItemStyle::Bordered, [weak] {
                        if (auto self = weak.lock()) self->PressSendBtn();
                      }),
                      lineEndingButton_});
  root->addSubview(toolbar_);
}

void DataTransfersViewController::viewDidAppear(bool /*animated*/) {
  openSettings_ = false;
  openHistory_ = false;
  if (std::exchange(disconnectUnshown_, false)) showDisconnected();
}

void DataTransfersViewController::showWarning(const std::string& message) {
  std::make_shared<AlertView>("Warning", message, std::weak_ptr<AlertViewDelegate>{},
                              std::optional<std::string>("OK"))
      ->show();
}

void DataTransfersViewController::noteCapture(const PlatformError& failure) {
  if (failure) showWarning(captureFailureMessage(failure));
}

}  // namespace zt
