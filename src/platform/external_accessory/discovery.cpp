#include "platform/external_accessory/discovery.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/external_accessory/sysfs_identity.h"

namespace zt {

namespace fs = std::filesystem;

namespace {

// The sysfs identity of `target` when it is a tty that sysfs describes, else the path's own.
AccessoryIdentity identityFor(const AccessoryOptions& options, const std::string& path,
                              const fs::path& target) {
  if (target.parent_path() == "/dev") {
    if (auto tty = describeSysfsTty(options.sysfsRoot, target.filename().string())) {
      return tty->identity;
    }
  }
  return pathIdentity(path);
}

}  // namespace

std::vector<SerialCandidate> discoverSerialDevices(const AccessoryOptions& options) {
  std::vector<SerialCandidate> given;
  std::vector<std::string> givenTargets;
  for (const auto& device : options.devices) {
    std::error_code ec;
    const fs::path target = fs::canonical(device.path, ec);  // fails while the path is missing
    if (ec) continue;
    givenTargets.push_back(target.string());
    given.push_back({"path:" + device.path + "->" + target.string(), device.path, device.baud,
                     identityFor(options, device.path, target)});
  }
  std::vector<SerialCandidate> found;
  for (auto& tty : listSysfsTtys(options.sysfsRoot)) {
    if (std::find(givenTargets.begin(), givenTargets.end(), tty.devicePath) != givenTargets.end()) {
      continue;
    }
    found.push_back({"tty:" + tty.devicePath, tty.devicePath, kDefaultBaud, std::move(tty.identity)});
  }
  found.insert(found.end(), std::make_move_iterator(given.begin()),
               std::make_move_iterator(given.end()));
  return found;
}

}  // namespace zt
