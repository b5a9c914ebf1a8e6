// Cost of one frame of the terminal front end on a screen shaped like the transfer screen: a
// grouped table with a 250-point read-only log row and the "Received" and "Sent" rows, a toolbar
// with a send field and a "Send" button. Measures building the display list from the widget
// model, laying it out into the off-screen cell screen at two terminal sizes, a whole frame after
// new bytes reached the log, and the text sanitizer on a 4 KiB chunk of hostile text.
//
// The front end redraws at most about 30 times a second, so a frame has 33 ms at the very most.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "frontend/terminal/focus.h"
#include "frontend/terminal/front_end.h"
#include "frontend/terminal/layout.h"
#include "platform/ui/text_cells.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/ui.h"

namespace zt {
namespace {

// About 500 characters of log: received and sent lines as the transfer screen writes them.
std::string baseLog() {
  std::string log;
  for (int i = 0; log.size() < 500; ++i) {
    const std::string stamp = "10:00:" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    log += (i % 3 == 2 ? "\r\n[Sent]AT+VERSION?" : "\r\n[Received " + stamp + "]OK +READY");
  }
  return log;
}

// A received entry of `size` bytes (one read of the receive path takes at most 350; one event
// drains the stream, so a fast device makes larger entries): text with a terminal escape
// sequence, a tab and UTF-8, as a device might send them.
std::string burst(char tag, std::size_t size) {
  std::string text = "\r\n[Received 10:01:00]";
  text += tag;
  const std::string reading =
      "temp=21.5C rh=40% \x1b[1;31mALARM\x1b[0m\tok \xc3\xa9t\xc3\xa9 \xe2\x82\xac ";
  while (text.size() + reading.size() <= size) text += reading;
  text.resize(size, '.');  // whole characters only: the decoded text is valid UTF-8
  return text;
}

class TransferLikeScreen : public ViewController,
                           public TableViewDataSource,
                           public TableViewDelegate {
 public:
  void viewDidLoad() override {
    setTitle("ZD0001");
    navigationItem().setRightBarButtonItem(
        std::make_shared<BarButtonItem>(BarButtonSystemItem::Action, [] {}));
    table_ = std::make_shared<TableView>(Rect{0, 0, 320, 372}, TableViewStyle::Grouped);
    table_->setDataSource(weakAs<TableViewDataSource>());
    table_->setDelegate(weakAs<TableViewDelegate>());
    table_->setAllowsSelection(false);
    view()->addSubview(table_);
    field_ = std::make_shared<TextField>(Rect{0, 0, 230, 31});
    toolbar_ = std::make_shared<Toolbar>(Rect{0, 372, 320, 44});
    toolbar_->setItems({std::make_shared<BarButtonItem>(field_),
                        std::make_shared<BarButtonItem>("Send", BarButtonItemStyle::Bordered,
                                                        [] {})});
    view()->addSubview(toolbar_);
  }

  void setLog(const std::string& text) {
    log_ = text;
    if (logView_) logView_->setText(log_);
  }

  int numberOfSectionsInTableView(TableView&) override { return 2; }
  int numberOfRowsInSection(TableView&, int section) override { return section == 1 ? 2 : 1; }
  std::optional<std::string> titleForHeaderInSection(TableView&, int) override { return ""; }
  float heightForRowAtIndexPath(TableView&, IndexPath path) override {
    return path.section == 0 ? 250 : 30;
  }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath path) override {
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "Transfer");
    if (path.section == 1) {
      cell->textLabel()->setText(path.row == 0 ? "Received" : "Sent");
      cell->detailTextLabel()->setText(path.row == 0 ? "15734" : "2048");
      return cell;
    }
    logView_ = std::make_shared<TextView>(Rect{5, 0, 298, 240});
    logView_->setEditable(false);
    logView_->setText(log_);
    cell->contentView()->addSubview(logView_);
    return cell;
  }

 private:
  std::shared_ptr<TableView> table_;
  std::shared_ptr<Toolbar> toolbar_;
  std::shared_ptr<TextField> field_;
  std::shared_ptr<TextView> logView_;
  std::string log_;
};

// The application showing the screen, its log holding the base text and one burst.
class ScreenOnShow {
 public:
  ScreenOnShow() {
    static_cast<void>(RunLoop::createMain());  // a failure shows in RunLoop::main()
    Application::shared().resetForTesting();
    screen = std::make_shared<TransferLikeScreen>();
    screen->setLog(baseLog() + burst('A', 350));
    navigation_ = NavigationController::withRoot(std::make_shared<ViewController>());
    navigation_->pushViewController(screen, false);
    window_ = std::make_shared<Window>();
    window_->setRootViewController(navigation_);
    window_->makeKeyAndVisible();
  }
  ~ScreenOnShow() { Application::shared().resetForTesting(); }
  ScreenOnShow(const ScreenOnShow&) = delete;
  ScreenOnShow& operator=(const ScreenOnShow&) = delete;

  std::shared_ptr<TransferLikeScreen> screen;

 private:
  std::shared_ptr<NavigationController> navigation_;
  std::shared_ptr<Window> window_;
};

void BM_BuildDisplayList(benchmark::State& state) {
  ScreenOnShow shown;
  for (auto _ : state) {
    DisplayList list = buildDisplayList(Application::shared());
    benchmark::DoNotOptimize(list);
  }
}

void BM_LayoutScreen(benchmark::State& state) {
  ScreenOnShow shown;
  const DisplayList list = buildDisplayList(Application::shared());
  term::FocusTracker focus;
  focus.update(list);
  const auto width = static_cast<int>(state.range(0));
  const auto height = static_cast<int>(state.range(1));
  term::CellScreen screen(0, 0);
  for (auto _ : state) {
    int scroll = 0;
    term::layoutScreen(screen, list, focus.focus(), width, height, scroll);
    benchmark::DoNotOptimize(screen);
  }
}

// What the front end does when an entry has arrived: the log view's text is replaced (timed
// too: one string copy), so the display list is built again and laid out.
void BM_FrameAfterBurst(benchmark::State& state) {
  ScreenOnShow shown;
  const auto size = static_cast<std::size_t>(state.range(2));
  const std::string logs[2] = {baseLog() + burst('A', size), baseLog() + burst('B', size)};
  term::FrontEnd frontEnd;
  const auto width = static_cast<int>(state.range(0));
  const auto height = static_cast<int>(state.range(1));
  std::size_t turn = 0;
  for (auto _ : state) {
    shown.screen->setLog(logs[turn++ % 2]);
    benchmark::DoNotOptimize(frontEnd.frame(width, height));
  }
}

// 4 KiB of mixed text: printable ASCII, line breaks, escape sequences, C1 controls, a lone
// carriage return, wide and combining characters, and invalid or truncated UTF-8.
std::string hostileChunk() {
  using namespace std::string_view_literals;
  const std::string_view pieces[] = {
      "plain ascii text, "sv, "line\r\n"sv, "\x1b]0;title\x07"sv, "\x1b[2J"sv, "\xc2\x9b" "31m"sv,
      "lone\rcr "sv, "\xe6\xbc\xa2\xe5\xad\x97 "sv, "e\xcc\x81 "sv, "\xff\xfe"sv, "\xe2\x82"sv,
      "\x80\x80 "sv, "\t"sv, "\x7f"sv, "\xf0\x9f\x98\x80 "sv, "\0nul "sv};
  std::string chunk;
  for (std::size_t i = 0; chunk.size() < 4096; ++i) {
    chunk += pieces[(i * 7) % std::size(pieces)];
  }
  chunk.resize(4096);
  return chunk;
}

void BM_SanitizeLines(benchmark::State& state) {
  const std::string chunk = hostileChunk();
  for (auto _ : state) {
    auto lines = textLines(chunk);
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(chunk.size()));
}

void BM_SanitizeAndWrap(benchmark::State& state) {
  const std::string chunk = hostileChunk();
  for (auto _ : state) {
    auto lines = wrapText(chunk, 78, Wrap::Words);
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(chunk.size()));
}

}  // namespace
}  // namespace zt

BENCHMARK(zt::BM_BuildDisplayList)->Unit(benchmark::kMicrosecond);
BENCHMARK(zt::BM_LayoutScreen)->Args({80, 24})->Args({200, 60})->Unit(benchmark::kMicrosecond);
// Terminal width, height and the size of the entry that arrived.
BENCHMARK(zt::BM_FrameAfterBurst)
    ->Args({80, 24, 350})
    ->Args({200, 60, 350})
    ->Args({80, 24, 16384})
    ->Args({200, 60, 16384})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(zt::BM_SanitizeLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(zt::BM_SanitizeAndWrap)->Unit(benchmark::kMicrosecond);
