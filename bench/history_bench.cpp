// The History screen over a full history: 32 MiB of mixed entries (short exchanges, long
// received bursts with line breaks, UTF-8 and control characters, undecodable bytes, Quorvel
// packets, test-file lines). Goals: opening the screen, a page and End each under one frame
// (33 ms); a search that runs through everything (a text nowhere in it) under 100 ms; the
// resident memory a store filled from empty adds under 1.5 times its limit (the counter "ratio").
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>

#include <memory>
#include <string>

#include "platform/ui/ui.h"
#include "transfer/history/history_view_controller.h"

namespace zt {
namespace {

constexpr std::uint64_t kLimit = std::uint64_t{32} << 20;

std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Appends mixed entries until the store has dropped some: it is then full.
void fill(HistoryStore& store) {
  const std::string burst = [] {
    std::string text;
    while (text.size() < 4000) text += "line of a burst \x1b[1mbold\x1b[0m caf\xc3\xa9\t end\r\n";
    return text;
  }();
  const std::string undecodable(300, '\xff');
  auto at = std::chrono::system_clock::now();
  for (int i = 0; store.firstId() == 0 || i % 10 != 0; ++i) {
    at += std::chrono::milliseconds(7);
    switch (i % 10) {
      case 0: store.appendText(HistoryKind::Received, at, burst); break;
      case 1: store.append(HistoryKind::Undecodable, at, "", bytesOf(undecodable)); break;
      case 2: store.append(HistoryKind::Received, at, "OK +READY", bytesOf("0123456789abcdef01")); break;
      case 3: store.appendText(HistoryKind::TestFileStart, at, "the app started sending test file data"); break;
      default: store.appendText(i % 2 ? HistoryKind::Sent : HistoryKind::Received, at,
                                "AT+VERSION? " + std::to_string(i));
    }
  }
}

struct Shown {
  Shown() {
    Application::shared().resetForTesting();
    store = std::make_shared<HistoryStore>(kLimit);
    fill(*store);
  }
  // A new History screen on a window, told it shows 50 lines of 120 cells.
  std::shared_ptr<HistoryViewController> open() {
    auto screen = std::make_shared<HistoryViewController>(store);
    window = std::make_shared<Window>();
    window->setRootViewController(NavigationController::withRoot(screen));
    window->makeKeyAndVisible();
    for (const auto& item : buildDisplayList(Application::shared()).items) {
      if (const auto* row = std::get_if<DisplayRow>(&item); row && !row->controls.empty()) {
        Touch::showTextLines(dynamic_cast<TextView&>(*row->controls.front().view), 50, 120);
      }
    }
    return screen;
  }
  std::shared_ptr<HistoryStore> store;
  std::shared_ptr<Window> window;
};

Shown& shown() {
  static Shown instance;
  return instance;
}

void BM_HistoryOpen(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(shown().open());
}

// Pages back through entries not shown before; every 100 pages, End.
void BM_HistoryPageUpOrEnd(benchmark::State& state) {
  auto screen = shown().open();
  int pages = 0;
  for (auto _ : state) {
    if (++pages % 100 == 0) {
      Touch::pressKeyCommand(*screen, "End");
    } else {
      Touch::pressKeyCommand(*screen, "PgUp");
    }
  }
}

// A text nowhere in the history; with argument 1 one made only of characters that visible
// stand-ins use too ("^[", "<U+009B>"), so that every entry that is not plain text is formatted.
void BM_HistorySearchEverything(benchmark::State& state) {
  auto screen = shown().open();
  for (auto _ : state) {
    Touch::pressKeyCommand(*screen, "/");
    Touch::typeText(state.range(0) == 0 ? "nowhere" : "ZZ+9");
    Touch::pressReturn();
  }
}

// The process's resident memory in bytes.
double resident() {
  long pages = 0;
  long residentPages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &residentPages) != 2) residentPages = 0;
    std::fclose(statm);
  }
  return static_cast<double>(residentPages) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

void BM_HistoryMemory(benchmark::State& state) {
  for (auto _ : state) {
    const double before = resident();
    HistoryStore store(kLimit);
    fill(store);
    state.counters["ratio"] = (resident() - before) / kLimit;
  }
}

}  // namespace
}  // namespace zt

BENCHMARK(zt::BM_HistoryOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(zt::BM_HistoryPageUpOrEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(zt::BM_HistorySearchEverything)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(zt::BM_HistoryMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
