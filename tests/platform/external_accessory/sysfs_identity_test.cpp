// Which ttys are accessories and who they are, over sample sysfs trees built in a temporary
// folder, and discovery combining them with the device paths given.
#include "platform/external_accessory/sysfs_identity.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "accessory_test_support.h"
#include "platform/external_accessory/discovery.h"

namespace zt {
namespace {

namespace fs = std::filesystem;

void attr(const fs::path& dir, const std::string& name, const std::string& value) {
  fs::create_directories(dir);
  std::ofstream(dir / name) << value << "\n";
}

// A tty device directory under devices/ and its class/tty link, as the kernel lays them out.
fs::path addTty(const fs::path& root, const std::string& devicePath, const std::string& name,
                const std::string& parentOfTty = "") {
  fs::path ttyDir = root / "devices" / devicePath / "tty" / name;
  fs::create_directories(ttyDir);
  fs::create_directories(root / "class" / "tty");
  fs::create_symlink(ttyDir, root / "class" / "tty" / name);
  if (!parentOfTty.empty()) fs::create_symlink(root / "devices" / parentOfTty, ttyDir / "device");
  return ttyDir;
}

void buildSampleTree(const fs::path& root) {
  const std::string ftdi = "pci0000:00/usb1/1-1";
  attr(root / "devices" / ftdi, "idVendor", "0403");
  attr(root / "devices" / ftdi, "idProduct", "6001");
  attr(root / "devices" / ftdi, "manufacturer", "FTDI");
  attr(root / "devices" / ftdi, "product", "FT232R USB UART");
  attr(root / "devices" / ftdi, "serial", "A50285BI");
  attr(root / "devices" / ftdi, "bcdDevice", "0600");
  addTty(root, ftdi + "/1-1:1.0/ttyUSB0", "ttyUSB0", ftdi + "/1-1:1.0/ttyUSB0");

  const std::string pico = "pci0000:00/usb1/1-2";
  attr(root / "devices" / pico, "idVendor", "2e8a");
  attr(root / "devices" / pico, "idProduct", "000a");
  attr(root / "devices" / pico, "manufacturer", "  Raspberry Pi  ");
  attr(root / "devices" / pico, "product", "Pico");
  attr(root / "devices" / pico, "bcdDevice", "0100");
  addTty(root, pico + "/1-2:1.0", "ttyACM0", pico + "/1-2:1.0");

  const fs::path rfcomm = addTty(root, "virtual", "rfcomm0");
  attr(rfcomm, "address", "00:11:22:33:44:55");
  attr(rfcomm, "channel", "1");

  attr(addTty(root, "pnp0/00:04", "ttyS0", "pnp0/00:04"), "type", "4");
  attr(addTty(root, "platform/serial8250", "ttyS1", "platform/serial8250"), "type", "0");
  addTty(root, "virtual", "tty0");
  addTty(root, "orphan", "ttyUSB1");  // a USB serial tty whose USB device cannot be found
}

auto fields(const AccessoryIdentity& i) {
  return std::tie(i.name, i.manufacturer, i.modelNumber, i.serialNumber, i.firmwareRevision,
                  i.hardwareRevision, i.protocolStrings);
}

struct Expected {
  std::string tty;
  bool listed;
  AccessoryIdentity identity;
};

TEST(SysfsIdentityTest, MapsEachKindOfTtyFromItsAttributes) {
  test::TempDir dir;
  buildSampleTree(dir.path());
  const std::vector<std::string> demo = {kDefaultProtocolString};
  const std::vector<Expected> table = {
      {"ttyUSB0", true,
       {"FT232R USB UART", "FTDI", "6001", "A50285BI", "6.00", "", demo}},
      {"ttyACM0", true, {"Pico", "Raspberry Pi", "000a", "/dev/ttyACM0", "1.00", "", demo}},
      {"rfcomm0", true,
       {"rfcomm0", "", "RFCOMM channel 1", "00:11:22:33:44:55", "", "", demo}},
      {"ttyS0", true, {"ttyS0", "", "16550A", "/dev/ttyS0", "", "", demo}},
      {"ttyS1", false, {}},
      {"tty0", false, {}},
      {"ttyUSB1", true, {"ttyUSB1", "", "", "/dev/ttyUSB1", "", "", demo}},
      {"missing", false, {}},
      {"../ttyUSB0", false, {}},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.tty);
    const auto tty = describeSysfsTty(dir.path(), row.tty);
    ASSERT_EQ(tty.has_value(), row.listed);
    if (!tty) continue;
    EXPECT_EQ(tty->devicePath, "/dev/" + row.tty);
    EXPECT_EQ(fields(tty->identity), fields(row.identity));
  }

  std::vector<std::string> names;
  for (const auto& tty : listSysfsTtys(dir.path())) names.push_back(tty.name);
  EXPECT_EQ(names, (std::vector<std::string>{"rfcomm0", "ttyACM0", "ttyS0", "ttyUSB0", "ttyUSB1"}));
  EXPECT_TRUE(listSysfsTtys(dir.path() / "nowhere").empty());
}

TEST(SysfsIdentityTest, DiscoveryListsSysfsDevicesThenPresentPaths) {
  test::TempDir dir;
  buildSampleTree(dir.path());
  const fs::path present = dir.path() / "module";
  std::ofstream(present) << "";
  AccessoryOptions options;
  options.sysfsRoot = dir.path().string();
  options.devices = {{(dir.path() / "absent").string(), 9600}, {present.string(), 57600}};
  const auto found = discoverSerialDevices(options);
  ASSERT_EQ(found.size(), 6u);
  EXPECT_EQ(found[0].path, "/dev/rfcomm0");
  EXPECT_EQ(found[5].path, present.string());
  EXPECT_EQ(found[5].baud, 57600u);
  EXPECT_EQ(fields(found[5].identity),
            fields({"module", "", "", present.string(), "", "", {kDefaultProtocolString}}));

  // The same path pointing at another file is another device.
  const fs::path link = dir.path() / "link";
  fs::create_symlink(present, link);
  options.devices = {{link.string(), 9600}};
  const auto before = discoverSerialDevices(options).back().key;
  fs::remove(link);
  fs::create_symlink(dir.path() / "class", link);
  EXPECT_NE(discoverSerialDevices(options).back().key, before);
}

}  // namespace
}  // namespace zt
