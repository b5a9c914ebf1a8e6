// zemra-telvo: the terminal application. main() makes the main run loop, reads the platform's
// options, opens the --log file, puts the typed-text options into the settings object, makes the
// shared accessory manager with its options, makes the shell the application's delegate and runs
// the terminal front end until the person quits. See app_options.h for the command line.
#include <cstdio>
#include <memory>
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

int main(int argc, char** argv) {
  if (const auto failure = zt::RunLoop::createMain()) {
    (void)std::fprintf(stderr, "zemra-telvo: %s\n", failure.message().c_str());
    return 1;
  }
  zt::AppOptions options;
  try {
    options = zt::parseAppOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::invalid_argument& e) {
    (void)std::fprintf(stderr, "zemra-telvo: %s\n", e.what());
    return 2;
  }
  if (options.help) return std::fputs(zt::appUsage(), stdout) < 0 ? 1 : 0;
  if (options.version) return std::printf("zemra-telvo %s\n", zt::kVersion) < 0 ? 1 : 0;

  // Outlives the shell, which hands it to every transfer screen.
  zt::SessionCapture capture;
  if (options.logFile) {
    if (auto error = capture.open(*options.logFile)) {
      (void)std::fprintf(stderr, "zemra-telvo: %s\n", error->c_str());
      return 2;
    }
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
