// Which ttys of the machine are accessories, and who they are, read from sysfs.
//
// Listed kinds: Bluetooth RFCOMM ttys (rfcomm*), USB serial adapters (ttyUSB*), USB modems and
// CDC-ACM devices (ttyACM*), and serial-core UARTs (a `type` attribute) whose type is not 0, so
// the ports the 8250 driver registers without hardware behind them stay out. The identity comes
// from the USB device above the tty, from the RFCOMM tty's own attributes, or from the name;
// the mapping is the rule table in sysfs_identity.cpp (README.md shows it). `sysfsRoot` is
// normally "/sys"; tests point it at a tree of their own. Pure file reads; any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/external_accessory/accessory.h"

namespace zt {

enum class TtyKind { Bluetooth, UsbSerial, UsbAcm, SerialPort };

struct SysfsTty {
  std::string name;        // "ttyUSB0"
  std::string devicePath;  // "/dev/ttyUSB0"
  TtyKind kind;
  AccessoryIdentity identity;
};

// The tty `name` of <sysfsRoot>/class/tty, or nothing when it is not an accessory.
std::optional<SysfsTty> describeSysfsTty(const std::filesystem::path& sysfsRoot,
                                         const std::string& name);
// Every accessory tty, sorted by name.
std::vector<SysfsTty> listSysfsTtys(const std::filesystem::path& sysfsRoot);
// A device known only by its path: the file name is its name, the path its serial number.
AccessoryIdentity pathIdentity(const std::string& path);

}  // namespace zt
