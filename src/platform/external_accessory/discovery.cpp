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

// The folder of `path`, with the links on its way resolved as far as it exists.
std::string folderOf(const fs::path& path) {
  std::error_code ec;
  const fs::path folder = fs::weakly_canonical(path.parent_path(), ec);
  return ec ? path.parent_path().lexically_normal().string() : folder.string();
}

}  // namespace

std::map<std::string, std::set<std::string>> givenPathEntries(const AccessoryOptions& options) {
  constexpr int kMaxLinks = 40;  // as many as the kernel follows
  std::map<std::string, std::set<std::string>> entries;
  for (const auto& device : options.devices) {
    std::error_code absolute;
    fs::path path = fs::absolute(device.path, absolute).lexically_normal();
    if (absolute) continue;  // no working folder to resolve a relative path against
    for (int link = 0; link < kMaxLinks; ++link) {
      entries[folderOf(path)].insert(path.filename().string());
      std::error_code ec;
      const fs::path target = fs::read_symlink(path, ec);
      if (ec) break;  // not a link (or not there): the end of the way
      path = (target.is_absolute() ? target : path.parent_path() / target).lexically_normal();
    }
  }
  return entries;
}

std::vector<SerialCandidate> discoverSerialDevices(const AccessoryOptions& options) {
  std::vector<SerialCandidate> given;
  std::vector<std::string> givenTargets;
  for (const auto& device : options.devices) {
    std::error_code ec;
    const fs::path target = fs::canonical(device.path, ec);  // fails while the path is missing
    if (ec) continue;
    givenTargets.push_back(target.string());
    given.push_back({{AccessoryKind::GivenPath, device.path}, target.string(), device.path,
                     device.baud, identityFor(options, device.path, target)});
  }
  std::vector<SerialCandidate> found;
  for (auto& tty : listSysfsTtys(options.sysfsRoot)) {
    if (std::find(givenTargets.begin(), givenTargets.end(), tty.devicePath) != givenTargets.end()) {
      continue;
    }
    const std::string& serial = tty.identity.serialNumber;
    found.push_back({{AccessoryKind::SerialDevice, serial.empty() ? tty.devicePath : serial},
                     tty.devicePath, tty.devicePath, kDefaultBaud, std::move(tty.identity)});
  }
  found.insert(found.end(), std::make_move_iterator(given.begin()),
               std::make_move_iterator(given.end()));
  return found;
}

}  // namespace zt
