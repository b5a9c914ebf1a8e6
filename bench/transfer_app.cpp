// zt_transfer_bench: the transfer screen driven through Touch on a real pseudo-terminal, for
// bench/transfer_throughput.sh: its own cost, without a terminal to draw on. Its session keeps
// a history of the default size, as zemra-telvo's does.
//
//   zt_transfer_bench send PATH        a 4 MiB test file (packet size 4096, pause 0) to the
//                                      serial device PATH (zemra-module --mode sink)
//   zt_transfer_bench receive          a pty of its own flooded with 4 MiB, read by the screen
//   zt_transfer_bench receive-cat      the same flood read by `cat` from the pty
//
// Each prints one line: bytes, wall seconds and the CPU seconds of the threads that did the work.
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <memory>
#include <string>
#include <thread>

#include "platform/external_accessory/serial_port.h"
#include "platform/ui/ui.h"
#include "settings/glb_param.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt {
namespace {

constexpr std::size_t kSize = std::size_t{4} << 20;
using Clock = std::chrono::steady_clock;

double cpuSeconds(clockid_t clock) {
  timespec now{};
  if (::clock_gettime(clock, &now) != 0) return 0;
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void report(const char* what, std::size_t bytes, Clock::time_point start, double cpu) {
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  (void)std::printf("%s %zu bytes in %.3f s (%.0f B/s), %.3f CPU s\n", what, bytes, seconds,
              static_cast<double>(bytes) / seconds, cpu);
}

// The screen on a navigation stack, on the serial device at `path`.
std::shared_ptr<DataTransfersViewController> showScreen(const std::string& path) {
  static auto window = std::make_shared<Window>();
  auto navigation = NavigationController::withRoot(std::make_shared<ViewController>());
  window->setRootViewController(navigation);
  window->makeKeyAndVisible();
  auto info = std::make_shared<AccessoryInfo>();
  info->setAccessory(std::make_shared<EAAccessory>(AccessoryKey{AccessoryKind::GivenPath, path},
                                                   AccessoryIdentity{}, 1,
                                                   std::make_shared<SerialTransport>(path, 115200)));
  auto screen = std::make_shared<DataTransfersViewController>();
  screen->setAccessoryInfo(info);
  screen->setHistoryLimit(std::uint64_t{32} << 20);
  navigation->pushViewController(screen, false);
  return screen;
}

// Pops the screen and waits for its worker, so that nothing runs while the process ends.
void leave(const std::shared_ptr<DataTransfersViewController>& screen) {
  screen->navigationController()->popViewControllerAnimated(false);
  DataTransfersViewController::waitForWorkers(std::chrono::seconds(10));
}

// Runs the loop until `done` says so, asking every millisecond.
template <typename Done>
void runUntil(Done done) {
  while (!done()) RunLoop::main().runFor(std::chrono::milliseconds(1));
}

// What the screen shows at the right of its table row `path` or the title of its toolbar button,
// read from its views: cheap enough to ask often, so the end of a transfer is seen at once.
std::string rowValue(DataTransfersViewController& screen, IndexPath path) {
  auto table = std::dynamic_pointer_cast<TableView>(screen.view()->subviews().at(0));
  auto cell = table->cellForRowAtIndexPath(path);
  return cell ? cell->detailTextLabel()->text() : "";
}
std::string buttonTitle(DataTransfersViewController& screen) {
  return std::dynamic_pointer_cast<Toolbar>(screen.view()->subviews().at(1))->items().at(1)->title();
}

void send(const std::string& path) {
  GlbParam& settings = GlbParam::instance();
  settings.setLargeData_LineCharacter(std::string(64, 'x'));
  settings.setLargeData_LineCount(static_cast<std::int32_t>(kSize / 64));
  settings.setEachPacketSize(4096);
  settings.setSleepTime(0);
  auto screen = showScreen(path);
  const double mainCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const auto start = Clock::now();
  Touch::tapBarButton(screen->navigationItem().rightBarButtonItem().get());
  const auto sheet = std::get<std::shared_ptr<ActionSheet>>(Application::shared().popups().back());
  Touch::chooseActionSheetEntry(*sheet, 2);
  runUntil([&] { return buttonTitle(*screen) == "Send"; });
  const auto worker = screen->sendThreadCpuClock();
  report("screen sent", kSize, start,
         cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - mainCpu + (worker ? cpuSeconds(*worker) : 0));
  leave(screen);
}

// A pty of its own: the master is flooded with kSize bytes from a thread.
class Flood {
 public:
  Flood() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (master_ < 0 || ::grantpt(master_) < 0 || ::unlockpt(master_) < 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
      throw std::runtime_error("no pseudo-terminal");
    }
    slave_ = name;
    auto raw = openSerialPort(slave_, 115200);  // raw while the flood runs
    if (!raw) throw std::runtime_error(raw.error().message());
    raw_ = *raw;
  }
  ~Flood() {
    if (writer_.joinable()) writer_.join();
    ::close(raw_);
    ::close(master_);
  }
  Flood(const Flood&) = delete;
  Flood& operator=(const Flood&) = delete;

  const std::string& slave() const { return slave_; }
  void start() {
    writer_ = std::thread([this] {
      const std::string chunk(65536, 'f');
      for (std::size_t sent = 0; sent < kSize;) {
        const ssize_t n = ::write(master_, chunk.data(), std::min(chunk.size(), kSize - sent));
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
      }
    });
  }

 private:
  int master_ = -1;
  int raw_ = -1;
  std::string slave_;
  std::thread writer_;
};

void receive() {
  Flood flood;
  auto screen = showScreen(flood.slave());
  const double cpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const auto start = Clock::now();
  flood.start();
  runUntil([&] { return rowValue(*screen, {1, 0}) == std::to_string(kSize); });
  report("screen received", kSize, start, cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpu);
  leave(screen);
}

void receiveWithCat() {
  Flood flood;
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
  std::string cat = "cat";
  std::string slave = flood.slave();
  char* argv[] = {cat.data(), slave.data(), nullptr};
  pid_t pid = -1;
  if (::posix_spawnp(&pid, "cat", &actions, nullptr, argv, environ) != 0) {
    throw std::runtime_error("cannot run cat");
  }
  ::close(pipe[1]);
  const auto start = Clock::now();
  flood.start();
  std::size_t got = 0;
  char chunk[65536];
  for (ssize_t n = 0; got < kSize && (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;) {
    got += static_cast<std::size_t>(n);
  }
  report("cat received", got, start, 0);
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
  ::close(pipe[0]);
}

}  // namespace
}  // namespace zt

int main(int argc, char** argv) {
  if (const auto failure = zt::RunLoop::createMain()) {
    (void)std::fprintf(stderr, "zt_transfer_bench: %s\n", failure.message().c_str());
    return 1;
  }
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "send" && argc > 2) {
      zt::send(argv[2]);
    } else if (mode == "receive") {
      zt::receive();
    } else if (mode == "receive-cat") {
      zt::receiveWithCat();
    } else {
      (void)std::fprintf(stderr, "usage: zt_transfer_bench send PATH | receive | receive-cat\n");
      return 2;
    }
  } catch (const std::exception& e) {
    (void)std::fprintf(stderr, "zt_transfer_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
