// Command-line options of the accessory layer (what is accepted, what is left for the caller,
// the errors a person sees for bad values), and which ttys are accessories and who they are,
// over sample sysfs trees built in a temporary folder, with discovery combining them with the
// device paths given.
#include "platform/external_accessory/options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <tuple>

#include "accessory_test_support.h"
#include "platform/external_accessory/discovery.h"
#include "platform/external_accessory/sysfs_identity.h"

namespace zt {
namespace {

TEST(AccessoryOptionsTest, ParsesDevicesEndpointsAndDemoLeavesTheRestAndRefusesBadValues) {
  AccessoryOptions options;
  const auto rest = parseAccessoryOptions(
      {"--device", "/dev/rfcomm0", "--data-dir", "/tmp/d", "--device=/dev/ttyUSB0@921600",
       "--tcp", "bridge.local:4001", "--tcp=[::1]:23", "--no-demo", "--device", "/tmp/a@b@250000",
       "--version"},
      options);
  EXPECT_EQ(rest, (std::vector<std::string>{"--data-dir", "/tmp/d", "--version"}));
  std::vector<std::string> all;
  for (const auto& d : options.devices) all.push_back(d.path + "@" + std::to_string(d.baud));
  for (const auto& e : options.tcpEndpoints) all.push_back(e.host + ":" + std::to_string(e.port));
  // Only the last '@' starts the speed.
  EXPECT_EQ(all, (std::vector<std::string>{"/dev/rfcomm0@115200", "/dev/ttyUSB0@921600",
                                           "/tmp/a@b@250000", "bridge.local:4001", "::1:23"}));
  EXPECT_FALSE(options.demo);

  AccessoryOptions defaults;
  EXPECT_TRUE(parseAccessoryOptions({}, defaults).empty());
  EXPECT_TRUE(defaults.demo);

  // Bad values are refused with a clear message.
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--device", "/dev/ttyS0@0"}, "bad baud rate"},
      {{"--device", "/dev/ttyS0@99999999999999999999"}, "bad baud rate"},
      {{"--device", "@9600"}, "needs a path"},
      {{"--tcp", "localhost:65536"}, "bad port"},
      {{"--tcp", ":4001"}, "HOST:PORT"},
  };
  for (const auto& [args, expected] : cases) {
    try {
      parseAccessoryOptions(args, options);
      ADD_FAILURE() << "accepted " << args.back();
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos)
          << args.back() << ": " << e.what();
    }
  }
}

namespace fs = std::filesystem;

// Writes the attribute files `values` (name, value) in `dir`, as sysfs shows them.
void attrs(const fs::path& dir, std::initializer_list<std::pair<const char*, const char*>> values) {
  fs::create_directories(dir);
  for (const auto& [name, value] : values) std::ofstream(dir / name) << value << "\n";
}

// A tty device directory under devices/ and its class/tty link, as the kernel lays them out.
fs::path addTty(const fs::path& root, const std::string& devicePath, const std::string& name,
                bool withDevice = true) {
  fs::path ttyDir = root / "devices" / devicePath / "tty" / name;
  fs::create_directories(ttyDir);
  fs::create_directories(root / "class" / "tty");
  fs::create_symlink(ttyDir, root / "class" / "tty" / name);
  if (withDevice) fs::create_symlink(root / "devices" / devicePath, ttyDir / "device");
  return ttyDir;
}

void buildSampleTree(const fs::path& root) {
  const std::string ftdi = "pci0000:00/usb1/1-1";
  attrs(root / "devices" / ftdi, {{"idVendor", "0403"}, {"idProduct", "6001"},
                                  {"manufacturer", "FTDI"}, {"product", "FT232R USB UART"},
                                  {"serial", "A50285BI"}, {"bcdDevice", "0600"}});
  addTty(root, ftdi + "/1-1:1.0/ttyUSB0", "ttyUSB0");
  attrs(addTty(root, "virtual", "rfcomm0", false), {{"address", "00:11:22:33:44:55"},
                                                    {"channel", "1"}});
  attrs(addTty(root, "pnp0/00:04", "ttyS0"), {{"type", "4"}});
  attrs(addTty(root, "platform/serial8250", "ttyS1"), {{"type", "0"}});
  addTty(root, "virtual", "tty0", false);
  addTty(root, "orphan", "ttyUSB1", false);  // a USB serial tty whose USB device cannot be found
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
      {"ttyUSB0", true, {"FT232R USB UART", "FTDI", "6001", "A50285BI", "6.00", "", demo}},
      {"rfcomm0", true, {"rfcomm0", "", "RFCOMM channel 1", "00:11:22:33:44:55", "", "", demo}},
      {"ttyS0", true, {"ttyS0", "", "16550A", "/dev/ttyS0", "", "", demo}},
      {"ttyS1", false, {}},
      {"tty0", false, {}},
      {"ttyUSB1", true, {"ttyUSB1", "", "", "/dev/ttyUSB1", "", "", demo}},
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
  EXPECT_EQ(names, (std::vector<std::string>{"rfcomm0", "ttyS0", "ttyUSB0", "ttyUSB1"}));
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
  ASSERT_EQ(found.size(), 5u);
  EXPECT_EQ(found[0].path, "/dev/rfcomm0");
  EXPECT_EQ(found[4].path, present.string());
  EXPECT_EQ(found[4].baud, 57600u);
  EXPECT_EQ(fields(found[4].identity),
            fields({"module", "", "", present.string(), "", "", {kDefaultProtocolString}}));
  // What tells the same accessory when it comes back: a serial number, else the device path;
  // a given path as given.
  const auto serial = AccessoryKind::SerialDevice;
  const std::vector<AccessoryKey> keys = {
      {serial, "00:11:22:33:44:55"}, {serial, "/dev/ttyS0"}, {serial, "A50285BI"},
      {serial, "/dev/ttyUSB1"}, {AccessoryKind::GivenPath, present.string()}};
  for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(found[i].key, keys[i]) << i;
}

}  // namespace
}  // namespace zt
