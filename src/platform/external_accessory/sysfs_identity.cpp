#include "platform/external_accessory/sysfs_identity.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zt {

namespace fs = std::filesystem;

namespace {

// Where a field's value comes from.
enum class Source {
  UsbAttribute,  // an attribute of the USB device above the tty
  UsbBcd,        // a BCD attribute of the USB device, shown as "major.minor" ("0600" -> "6.00")
  TtyAttribute,  // an attribute of the tty itself
  UartType,      // the serial core's `type` number, as the UART's name
  TtyName,       // "ttyUSB0"
  DevicePath,    // "/dev/ttyUSB0"
};

struct FieldRule {
  TtyKind kind;
  std::string AccessoryIdentity::*field;
  Source source;
  const char* attribute;
  const char* prefix;  // put before a value that was found
};

using I = AccessoryIdentity;

// Rules are tried in order; the first one that yields a value sets the field. A field no rule
// sets stays empty.
constexpr FieldRule kRules[] = {
    {TtyKind::UsbSerial, &I::name, Source::UsbAttribute, "product", ""},
    {TtyKind::UsbSerial, &I::name, Source::TtyName, "", ""},
    {TtyKind::UsbSerial, &I::manufacturer, Source::UsbAttribute, "manufacturer", ""},
    {TtyKind::UsbSerial, &I::modelNumber, Source::UsbAttribute, "idProduct", ""},
    {TtyKind::UsbSerial, &I::serialNumber, Source::UsbAttribute, "serial", ""},
    {TtyKind::UsbSerial, &I::serialNumber, Source::DevicePath, "", ""},
    {TtyKind::UsbSerial, &I::firmwareRevision, Source::UsbBcd, "bcdDevice", ""},
    {TtyKind::UsbAcm, &I::name, Source::UsbAttribute, "product", ""},
    {TtyKind::UsbAcm, &I::name, Source::TtyName, "", ""},
    {TtyKind::UsbAcm, &I::manufacturer, Source::UsbAttribute, "manufacturer", ""},
    {TtyKind::UsbAcm, &I::modelNumber, Source::UsbAttribute, "idProduct", ""},
    {TtyKind::UsbAcm, &I::serialNumber, Source::UsbAttribute, "serial", ""},
    {TtyKind::UsbAcm, &I::serialNumber, Source::DevicePath, "", ""},
    {TtyKind::UsbAcm, &I::firmwareRevision, Source::UsbBcd, "bcdDevice", ""},
    {TtyKind::Bluetooth, &I::name, Source::TtyName, "", ""},
    {TtyKind::Bluetooth, &I::modelNumber, Source::TtyAttribute, "channel", "RFCOMM channel "},
    {TtyKind::Bluetooth, &I::serialNumber, Source::TtyAttribute, "address", ""},
    {TtyKind::Bluetooth, &I::serialNumber, Source::DevicePath, "", ""},
    {TtyKind::SerialPort, &I::name, Source::TtyName, "", ""},
    {TtyKind::SerialPort, &I::modelNumber, Source::UartType, "type", ""},
    {TtyKind::SerialPort, &I::serialNumber, Source::DevicePath, "", ""},
};

// The first line of a sysfs attribute, without surrounding blanks; empty when unreadable.
std::string readAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  const auto first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// The USB device directory above the tty (the first ancestor of its device with an idVendor),
// or empty. The walk stays inside the sysfs root.
fs::path usbDeviceOf(const fs::path& sysfsRoot, const fs::path& ttyDir) {
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(sysfsRoot, ec);
  fs::path dir = fs::canonical(ttyDir / "device", ec);
  if (ec) return {};
  for (; dir.has_relative_path() && dir != root; dir = dir.parent_path()) {
    if (fs::exists(dir / "idVendor", ec)) return dir;
  }
  return {};
}

std::string uartName(const std::string& type) {
  static constexpr const char* kNames[] = {"unknown", "8250",   "16450",   "16550",
                                           "16550A",  "Cirrus", "16650",   "16650V2",
                                           "16750",   "Startech", "16C950", "16654",
                                           "16850",   "RSA"};
  const int number = std::atoi(type.c_str());
  if (number >= 0 && number < static_cast<int>(std::size(kNames))) return kNames[number];
  return "UART type " + type;
}

std::string bcdVersion(const std::string& bcd) {
  if (bcd.size() != 4) return bcd;
  const std::string major = bcd.substr(0, 2);
  return std::to_string(std::atoi(major.c_str())) + "." + bcd.substr(2);
}

struct TtyFacts {
  std::string name;
  fs::path ttyDir;
  fs::path usbDir;
};

std::string valueOf(const FieldRule& rule, const TtyFacts& tty) {
  switch (rule.source) {
    case Source::UsbAttribute:
      return tty.usbDir.empty() ? "" : readAttribute(tty.usbDir / rule.attribute);
    case Source::UsbBcd:
      return tty.usbDir.empty() ? "" : bcdVersion(readAttribute(tty.usbDir / rule.attribute));
    case Source::TtyAttribute:
      return readAttribute(tty.ttyDir / rule.attribute);
    case Source::UartType:
      return uartName(readAttribute(tty.ttyDir / rule.attribute));
    case Source::TtyName:
      return tty.name;
    case Source::DevicePath:
      return "/dev/" + tty.name;
  }
  return {};
}

std::optional<TtyKind> kindOf(const fs::path& ttyDir, const std::string& name) {
  if (name.rfind("rfcomm", 0) == 0) return TtyKind::Bluetooth;
  if (name.rfind("ttyUSB", 0) == 0) return TtyKind::UsbSerial;
  if (name.rfind("ttyACM", 0) == 0) return TtyKind::UsbAcm;
  const std::string type = readAttribute(ttyDir / "type");
  if (!type.empty() && type != "0") return TtyKind::SerialPort;
  return std::nullopt;
}

}  // namespace

std::optional<SysfsTty> describeSysfsTty(const fs::path& sysfsRoot, const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos || name[0] == '.') return std::nullopt;
  const fs::path ttyDir = sysfsRoot / "class" / "tty" / name;
  const auto kind = kindOf(ttyDir, name);
  if (!kind) return std::nullopt;
  TtyFacts facts{name, ttyDir, {}};
  if (*kind == TtyKind::UsbSerial || *kind == TtyKind::UsbAcm) {
    facts.usbDir = usbDeviceOf(sysfsRoot, ttyDir);
  }
  SysfsTty tty{name, "/dev/" + name, *kind, {}};
  for (const auto& rule : kRules) {
    std::string& field = tty.identity.*rule.field;
    if (rule.kind != *kind || !field.empty()) continue;
    const std::string value = valueOf(rule, facts);
    if (!value.empty()) field = rule.prefix + value;
  }
  tty.identity.protocolStrings = {kDefaultProtocolString};
  return tty;
}

std::vector<SysfsTty> listSysfsTtys(const fs::path& sysfsRoot) {
  std::vector<SysfsTty> found;
  std::error_code ec;
  for (fs::directory_iterator it(sysfsRoot / "class" / "tty", ec), end; !ec && it != end;
       it.increment(ec)) {
    if (auto tty = describeSysfsTty(sysfsRoot, it->path().filename().string())) {
      found.push_back(std::move(*tty));
    }
  }
  std::sort(found.begin(), found.end(),
            [](const SysfsTty& a, const SysfsTty& b) { return a.name < b.name; });
  return found;
}

AccessoryIdentity pathIdentity(const std::string& path) {
  AccessoryIdentity identity;
  identity.name = fs::path(path).filename().string();
  if (identity.name.empty()) identity.name = path;
  identity.serialNumber = path;
  identity.protocolStrings = {kDefaultProtocolString};
  return identity;
}

}  // namespace zt
