// zemra-telvo: the terminal application. main() makes the main run loop, reads the platform's
// options, opens the --log file, puts the typed-text options into the settings object, makes the
// shared accessory manager with its options, makes the shell the application's delegate and runs
// the terminal front end until the person quits. See app_options.h for the command line.
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/zemra_demo_app_delegate.h"
#include "frontend/terminal/run_terminal.h"
#include "platform/accessory_picker/accessory_picker.h"
#include "platform/bluetooth/bluez_client.h"
#include "platform/device/device.h"
#include "platform/external_accessory/accessory_manager.h"
#include "platform/runloop/run_loop.h"
#include "settings/glb_param.h"
#include "transfer/session_capture.h"
#include "version/version.h"

namespace {

int fail(const std::string& why, int status) {
  (void)std::fprintf(stderr, "zemra-telvo: %s\n", why.c_str());
  return status;
}

int run(const std::vector<std::string>& args) {
  zt::AppOptions options;
  try {
    options = zt::parseAppOptions(args);
  } catch (const std::invalid_argument& e) {
    return fail(e.what(), 2);
  }
  if (options.help) return std::fputs(zt::appUsage(), stdout) < 0 ? 1 : 0;
  if (options.version) return std::printf("zemra-telvo %s\n", zt::kVersion) < 0 ? 1 : 0;

  // Outlives the shell, which hands it to every transfer screen.
  zt::SessionCapture capture;
  if (options.logFile) {
    if (const auto error = capture.open(*options.logFile)) return fail(error.message(), 2);
  }
  zt::GlbParam::instance().setLineEnding(options.lineEnding);
  zt::GlbParam::instance().setEscapes(options.escapes);
  zt::installBluetoothReconnector(zt::EAAccessoryManager::createShared(options.accessories));
  zt::installBluetoothAccessoryPicker();

  zt::ShellSettings settings;
  settings.documentsDirectory = zt::DocumentsDirectory(options.dataDir);
  settings.capture = options.logFile ? &capture : nullptr;
  settings.reconnect = options.reconnect;
  settings.historyLimit = options.historyMiB << 20;
  zt::Application::shared().setDelegate(
      std::make_shared<zt::ZemraDemoAppDelegate>(std::move(settings)));
  return zt::term::RunTerminal();
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto failure = zt::RunLoop::createMain()) return fail(failure.message(), 1);
  // RunTerminal tells what fails once the terminal is taken; before it, only memory can run out
  // without a word.
  try {
    return run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    return fail("out of memory", 1);
  }
}
