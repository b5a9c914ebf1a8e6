// The transfer screen's table, two sections: the log (one cell holding a read-only text view)
// and the Received and Sent counters. The log's text is kept by the screen, so a log cell built
// again shows it as it was.
#include <ctime>

#include "settings/utf16.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt {

namespace {

const char* const kCellIdentifier = "DataTransViewControllerCell";
// A log longer than this (in UTF-16 units) is emptied before the next entry.
constexpr std::size_t kLogLimit = 500;

// Whether `log` is longer than kLogLimit units, counting only where its size leaves a doubt: a
// unit takes 1 to 3 bytes of UTF-8 (an invalid byte counts as one unit).
bool pastLimit(const std::string& log) {
  if (log.size() <= kLogLimit) return false;
  return log.size() > 3 * kLogLimit || Utf16Length(log) > kLogLimit;
}

// "HH:mm:ss" in local time.
std::string timeStamp(std::chrono::system_clock::time_point at) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
  std::tm local{};
  char text[16] = "00:00:00";
  if (::localtime_r(&seconds, &local) != nullptr) {
    static_cast<void>(std::strftime(text, sizeof text, "%H:%M:%S", &local));
  }
  return text;
}

}  // namespace

int DataTransfersViewController::numberOfSectionsInTableView(TableView& /*table*/) { return 2; }

int DataTransfersViewController::numberOfRowsInSection(TableView& /*table*/, int section) {
  return section == 1 ? 2 : 1;
}

float DataTransfersViewController::heightForRowAtIndexPath(TableView& /*table*/, IndexPath path) {
  if (path.section == 0) return 250;
  return path.section == 1 ? 30 : 50;
}

std::optional<std::string> DataTransfersViewController::titleForHeaderInSection(
    TableView& /*table*/, int /*section*/) {
  return "";
}

std::shared_ptr<TableViewCell> DataTransfersViewController::cellForRowAtIndexPath(
    TableView& table, IndexPath path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
  if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, kCellIdentifier);
  // A reused cell may hold the log view or a counter label of the row it showed before.
  const auto subviews = cell->subviews();
  for (const auto& view : subviews) {
    if (std::dynamic_pointer_cast<TextView>(view)) view->removeFromSuperview();
  }
  const auto& value = cell->detailTextLabel();
  if (recvCountLabel_ == value) recvCountLabel_.reset();
  if (sendCountLabel_ == value) sendCountLabel_.reset();
  if (path.section == 1) {
    const bool received = path.row == 0;
    cell->textLabel()->setText(received ? "Received" : "Sent");
    (received ? recvCountLabel_ : sendCountLabel_) = value;
    showCounts();
    return cell;
  }
  cell->textLabel()->setText("");
  value->setText("");
  const Rect frame = cell->frame();
  recvTextView_ = std::make_shared<TextView>(Rect{frame.x + 5, 0, frame.width - 2, 240});
  recvTextView_->setFont(Font{"Helvetica-Bold", 14});
  recvTextView_->setEditable(false);
  recvTextView_->setBackgroundColor(Color::clear());
  cell->addSubview(recvTextView_);
  showLog(true);
  return cell;
}

void DataTransfersViewController::appendLogEntry(const char* kind, const std::string& text,
                                                 Clock::time_point at) {
  if (pastLimit(log_)) log_.clear();
  log_ += "\r\n[";
  log_ += kind;
  log_ += " " + timeStamp(at) + "]";
  log_ += text;
  showLog(true);
}

void DataTransfersViewController::showLog(bool scrollToEnd) {
  if (!recvTextView_) return;
  recvTextView_->setText(log_);
  if (scrollToEnd) {
    recvTextView_->scrollRectToVisible({0, recvTextView_->contentSize().height - 1, 1, 1}, false);
  }
}

void DataTransfersViewController::showCounts() {
  if (recvCountLabel_) recvCountLabel_->setText(std::to_string(recvDataByteLen_));
  if (sendCountLabel_) sendCountLabel_->setText(std::to_string(channel_.sendDataByteLen()));
}

}  // namespace zt
