#include "transfer/history/history_view_controller.h"

#include "platform/runloop/run_loop.h"

namespace zt {

namespace {

const char* const kCellIdentifier = "HistoryCell";
const char* const kOffText =
    "The history is off.\n"
    "Start zemra-telvo with --history-size MIB (1 to 4096) to keep the session's history.";
constexpr float kToolbarHeight = 44;
constexpr float kRowsHeight = 340;
// New entries are shown at most this often (a frame).
constexpr double kRefreshSeconds = 1.0 / 30;

std::string plural(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

HistoryViewController::HistoryViewController(std::shared_ptr<HistoryStore> store)
    : store_(std::move(store)) {
  if (store_) window_.emplace(*store_);
}

HistoryViewController::~HistoryViewController() {
  if (store_) store_->setObserver({});
  NotificationCenter::defaultCenter().removeObserver(this);
}

void HistoryViewController::viewDidLoad() {
  setTitle("History");
  buildViews();
  if (!store_) return;
  auto weak = weakAs<HistoryViewController>();
  store_->setObserver([weak] {
    if (auto self = weak.lock()) self->refreshSoon();
  });
  observeKeyboard();
  refresh();
}

void HistoryViewController::observeKeyboard() {
  auto weak = weakAs<HistoryViewController>();
  auto& center = NotificationCenter::defaultCenter();
  center.addObserver(this, UIKeyboardWillShowNotification, [weak](const Notification& note) {
    const auto entry = note.userInfo.find(UIKeyboardBoundsUserInfoKey);
    const Rect* bounds =
        entry == note.userInfo.end() ? nullptr : std::any_cast<Rect>(&entry->second);
    if (auto self = weak.lock(); self && bounds) self->placeToolbar(bounds->height);
  });
  center.addObserver(this, UIKeyboardDidHideNotification, [weak](const Notification&) {
    if (auto self = weak.lock()) self->placeToolbar(0);
  });
}

void HistoryViewController::placeToolbar(float keyboardHeight) {
  const Rect frame = toolbar_->frame();
  toolbar_->setFrame(
      {frame.x, view()->frame().height - keyboardHeight - frame.height, frame.width, frame.height});
}

void HistoryViewController::buildViews() {
  auto root = view();
  root->setBackgroundColor(Color::pattern(Image::named("background.jpg")));
  const Rect app = Application::shared().applicationFrame();
  const float height = app.height - NavigationController::kBarHeight;
  table_ = std::make_shared<TableView>(Rect{0, 0, app.width, height - kToolbarHeight});
  table_->setBackgroundColor(Color::clear());
  table_->setDataSource(weakAs<TableViewDataSource>());
  table_->setDelegate(weakAs<TableViewDelegate>());
  table_->setAllowsSelection(false);
  root->addSubview(table_);
  cell_ = std::make_shared<TableViewCell>(TableViewCellStyle::Default, kCellIdentifier);
  if (!store_) {
    cell_->textLabel()->setText(kOffText);
    return;
  }
  rows_ = std::make_shared<TextView>(Rect{5, 20, app.width - 10, kRowsHeight - 20});
  rows_->setEditable(false);
  rows_->setBackgroundColor(Color::clear());
  rows_->setDelegate(weakAs<TextViewDelegate>());
  cell_->addSubview(rows_);

  toolbar_ = std::make_shared<Toolbar>(
      Rect{0, height - kToolbarHeight, app.width, kToolbarHeight});
  searchField_ = std::make_shared<TextField>(Rect{0, 0, 240, 31});
  searchField_->setBorderStyle(TextBorderStyle::RoundedRect);
  searchField_->setPlaceholder("Search");
  searchField_->setDelegate(weakAs<TextFieldDelegate>());
  auto weak = weakAs<HistoryViewController>();
  toolbar_->setItems({std::make_shared<BarButtonItem>(searchField_),
                     std::make_shared<BarButtonItem>("Find", BarButtonItemStyle::Bordered, [weak] {
                       if (auto self = weak.lock()) self->runSearch();
                     })});
  root->addSubview(toolbar_);
}

std::vector<KeyCommand> HistoryViewController::keyCommands() {
  if (!window_) return {};
  auto weak = weakAs<HistoryViewController>();
  const auto command = [weak](std::string input, std::string title, auto action) {
    return KeyCommand{std::move(input), std::move(title),
                      [weak, action] {
                        if (auto self = weak.lock()) action(*self);
                      },
                      KeyCommandScope::NotEditing};
  };
  const HistoryFormat format = window_->format();
  std::vector<KeyCommand> commands;
  if (notFound_) commands.push_back(KeyCommand{"", "\"" + needle_ + "\" not found", nullptr});
  commands.push_back(command("/", "Search", [](auto& self) { self.beginSearch(); }));
  if (!needle_.empty()) {
    commands.push_back(command("n", "Older", [](auto& self) { self.findAgain(true); }));
    commands.push_back(command("N", "Newer", [](auto& self) { self.findAgain(false); }));
  }
  commands.push_back(command("t", format.delta ? "Clock times" : "Delta times",
                             [](auto& self) { self.toggleTimes(); }));
  commands.push_back(command("x", format.hex ? "Text" : "Hex", [](auto& self) { self.toggleHex(); }));
  commands.push_back(command("Up", "", [](auto& self) { self.moveLines(-1); }));
  commands.push_back(command("Down", "", [](auto& self) { self.moveLines(1); }));
  commands.push_back(command("PgUp", "", [](auto& self) { self.movePages(-1); }));
  commands.push_back(command("PgDn", "", [](auto& self) { self.movePages(1); }));
  commands.push_back(command("Home", "", [](auto& self) { self.goHome(); }));
  commands.push_back(command("End", "", [](auto& self) { self.goEnd(); }));
  return commands;
}

int HistoryViewController::numberOfRowsInSection(TableView& /*table*/, int /*section*/) {
  return 1;
}

float HistoryViewController::heightForRowAtIndexPath(TableView& /*table*/, IndexPath /*path*/) {
  return store_ ? kRowsHeight : 88;
}

std::shared_ptr<TableViewCell> HistoryViewController::cellForRowAtIndexPath(TableView& /*table*/,
                                                                            IndexPath /*path*/) {
  return cell_;
}

void HistoryViewController::moveLines(long lines) {
  if (!window_) return;
  window_->move(lines);
  notFound_ = false;
  refresh();
}

void HistoryViewController::movePages(int pages) {
  if (window_) moveLines(static_cast<long>(pages) * window_->lines());
}

void HistoryViewController::goHome() {
  if (!window_) return;
  window_->home();
  notFound_ = false;
  refresh();
}

void HistoryViewController::goEnd() {
  if (!window_) return;
  window_->end();
  notFound_ = false;
  refresh();
}

void HistoryViewController::beginSearch() {
  if (!searchField_) return;
  searchField_->setText("");
  searchField_->becomeFirstResponder();
}

bool HistoryViewController::textFieldShouldReturn(TextField& /*field*/) {
  runSearch();
  return false;
}

void HistoryViewController::runSearch() {
  if (!window_) return;
  needle_ = searchField_->text();
  searchField_->resignFirstResponder();
  match_.reset();
  notFound_ = false;
  if (needle_.empty()) {
    refresh();
    return;
  }
  find(window_->bottomSpot(), true);
}

void HistoryViewController::findAgain(bool older) {
  if (!window_ || needle_.empty()) return;
  find(match_ ? *match_ : window_->bottomSpot(), older);
}

void HistoryViewController::find(HistorySpot from, bool older) {
  const auto found = findInHistory(*store_, needle_, from, older, window_->format().delta);
  notFound_ = !found;
  if (found) {
    match_ = found;
    window_->reveal(*found);
  }
  refresh();
}

void HistoryViewController::toggleTimes() {
  if (!window_) return;
  HistoryFormat format = window_->format();
  format.delta = !format.delta;
  window_->setFormat(format);
  refresh();
}

void HistoryViewController::toggleHex() {
  if (!window_) return;
  HistoryFormat format = window_->format();
  format.hex = !format.hex;
  window_->setFormat(format);
  refresh();
}

void HistoryViewController::textViewDidChangeVisibleSize(TextView& view) {
  if (window_) window_->setSize(view.visibleLines(), view.visibleColumns());
  refresh();
}

void HistoryViewController::refreshSoon() {
  if (refreshPending_) return;
  refreshPending_ = true;
  auto weak = weakAs<HistoryViewController>();
  RunLoop::main().after(kRefreshSeconds, [weak] {
    if (auto self = weak.lock()) {
      self->refreshPending_ = false;
      self->refresh();
    }
  });
}

void HistoryViewController::refresh() {
  if (!window_ || !rows_) return;
  HistoryWindow::Shown shown = window_->render(needle_);
  rows_->setText(std::move(shown.text));
  rows_->setMarkedRanges(std::move(shown.marked));
  cell_->textLabel()->setText(stateLine());
}

std::string HistoryViewController::stateLine() const {
  if (notFound_) return "\"" + needle_ + "\" not found";
  const std::uint64_t kept = store_->endId() - store_->firstId();
  if (window_->following()) return "Following: " + plural(kept, "entry", "entries");
  return "Paused: " + plural(window_->newEntries(), "new entry", "new entries");
}

}  // namespace zt
