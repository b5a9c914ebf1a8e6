// Discovery of serial accessories: what is there right now, from sysfs and from the device
// paths given on the command line (listed while the path exists).
//
// Each device has a key that changes when it is a different device: a given path that comes to
// point somewhere else (a symlink to another pseudo-terminal) is a new device. A given path
// that is also found in sysfs is listed once, as given, with its speed and its sysfs identity.
// Pure file-system reads; any thread.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/external_accessory/accessory.h"
#include "platform/external_accessory/options.h"

namespace zt {

struct SerialCandidate {
  std::string key;
  std::string path;
  unsigned baud = kDefaultBaud;
  AccessoryIdentity identity;
};

// The serial devices present now: sysfs ones first (by name), then the given paths in order.
std::vector<SerialCandidate> discoverSerialDevices(const AccessoryOptions& options);

// The entries the given paths run through, by folder: each path itself and every symbolic
// link on the way to its device, so that a change anywhere on the way shows in a folder.
std::map<std::string, std::set<std::string>> givenPathEntries(const AccessoryOptions& options);

}  // namespace zt
