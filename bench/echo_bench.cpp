// The data path through the built-in demo module: a worker thread writes 1 MiB to a session's
// output stream in fixed-size writes, waiting for room as the send worker does; the module
// echoes it on the run loop; the input stream's delegate reads it back 350 bytes at a time, as
// the receive path does. One iteration ends when every byte has come back. Real time, since the
// work is split between two threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/external_accessory/accessory_manager.h"
#include "platform/external_accessory/session.h"
#include "platform/external_accessory/stream.h"
#include "platform/runloop/run_loop.h"

namespace zt {
namespace {

constexpr std::size_t kPayload = 1 << 20;

// An empty folder to stand in for sysfs, so that only the demo module is listed.
class EmptyDir {
 public:
  EmptyDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zt-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    path_ = pattern;
  }
  ~EmptyDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  EmptyDir(const EmptyDir&) = delete;
  EmptyDir& operator=(const EmptyDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Reads what arrives and stops the loop once `expected` bytes have come back.
class Drain : public StreamDelegate {
 public:
  explicit Drain(RunLoop& loop) : loop_(loop) {}

  void expect(std::size_t bytes) {
    expected_ = bytes;
    received = 0;
    stopped_ = false;
  }
  void handleEvent(Stream& stream, StreamEvent code) override {
    if (code != StreamEvent::HasBytesAvailable) return;
    auto& input = static_cast<InputStream&>(stream);
    std::uint8_t chunk[350];
    while (input.hasBytesAvailable()) {
      const auto n = input.read(chunk, sizeof chunk);
      if (n > 0) received += static_cast<std::size_t>(n);
    }
    if (received >= expected_ && !stopped_) {
      stopped_ = true;
      loop_.stop();
    }
  }

  std::size_t received = 0;

 private:
  RunLoop& loop_;
  std::size_t expected_ = 0;
  bool stopped_ = false;
};

// Writes all of `data` in writes of at most `piece` bytes; false when the stream failed.
bool writeAll(OutputStream& out, const std::vector<std::uint8_t>& data, std::size_t piece) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    if (!out.waitForSpace(std::chrono::seconds(20))) return false;
    const auto n = out.write(data.data() + sent, std::min(piece, data.size() - sent));
    if (n < 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

void BM_DemoEcho(benchmark::State& state) {
  EmptyDir sysfs;
  AccessoryOptions options;
  options.sysfsRoot = sysfs.path().string();
  options.demo = true;
  RunLoop loop;
  EAAccessoryManager manager(options, loop);
  const auto accessories = manager.connectedAccessories();
  const auto made = accessories.size() == 1
                        ? EASession::create(accessories[0], kDefaultProtocolString)
                        : PlatformResult<std::shared_ptr<EASession>>(nullptr);
  const auto session = made ? *made : nullptr;
  if (!session) {
    state.SkipWithError("no session on the demo module");
    return;
  }
  auto drain = std::make_shared<Drain>(loop);
  for (const auto& stream : std::initializer_list<std::shared_ptr<Stream>>{
           session->inputStream(), session->outputStream()}) {
    stream->setDelegate(drain);
    stream->scheduleInRunLoop(loop);
    stream->open();
  }
  std::vector<std::uint8_t> data(kPayload);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  const auto piece = static_cast<std::size_t>(state.range(0));
  bool failed = false;

  for (auto _ : state) {
    drain->expect(data.size());
    std::thread worker([&] {
      if (!writeAll(*session->outputStream(), data, piece)) {
        failed = true;
        loop.stop();
      }
    });
    failed = static_cast<bool>(loop.run()) || failed;
    worker.join();
    if (failed || drain->received != data.size()) {
      state.SkipWithError("the echo did not come back whole");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(data.size()));
  session->inputStream()->close();
  session->outputStream()->close();
}

}  // namespace
}  // namespace zt

BENCHMARK(zt::BM_DemoEcho)->Arg(200)->Arg(4096)->UseRealTime()->Unit(benchmark::kMillisecond);
