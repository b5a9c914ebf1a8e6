// Discovery of serial accessories: what is there right now, from sysfs and from the device
// paths given on the command line (listed while the path exists).
//
// Each device has the key of its accessory (the same whenever it comes back) and the device it
// is now: a given path that comes to point somewhere else (a symlink to another
// pseudo-terminal) is the same accessory on a new device, so a new connection. A given path
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
  AccessoryKey key;
  std::string device;  // the device file the path leads to now
  std::string path;    // what a session opens
  unsigned baud = kDefaultBaud;
  AccessoryIdentity identity;
};

// The serial devices present now: sysfs ones first (by name), then the given paths in order.
std::vector<SerialCandidate> discoverSerialDevices(const AccessoryOptions& options);

// The entries the given paths run through, by folder: each path itself and every symbolic
// link on the way to its device, so that a change anywhere on the way shows in a folder.
std::map<std::string, std::set<std::string>> givenPathEntries(const AccessoryOptions& options);

}  // namespace zt
