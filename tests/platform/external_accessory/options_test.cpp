// Command-line options of the accessory layer: what is accepted, what is left for the caller,
// and the errors a person sees for bad values.
#include "platform/external_accessory/options.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zt {
namespace {

TEST(AccessoryOptionsTest, ParsesDevicesEndpointsAndDemoAndLeavesTheRest) {
  AccessoryOptions options;
  const auto rest = parseAccessoryOptions(
      {"--device", "/dev/rfcomm0", "--data-dir", "/tmp/d", "--device=/dev/ttyUSB0@921600",
       "--tcp", "bridge.local:4001", "--tcp=[::1]:23", "--no-demo", "--device", "/tmp/a@b@250000",
       "--version"},
      options);
  EXPECT_EQ(rest, (std::vector<std::string>{"--data-dir", "/tmp/d", "--version"}));
  ASSERT_EQ(options.devices.size(), 3u);
  EXPECT_EQ(options.devices[0].path, "/dev/rfcomm0");
  EXPECT_EQ(options.devices[0].baud, 115200u);
  EXPECT_EQ(options.devices[1].path, "/dev/ttyUSB0");
  EXPECT_EQ(options.devices[1].baud, 921600u);
  EXPECT_EQ(options.devices[2].path, "/tmp/a@b");  // only the last '@' starts the speed
  EXPECT_EQ(options.devices[2].baud, 250000u);
  ASSERT_EQ(options.tcpEndpoints.size(), 2u);
  EXPECT_EQ(options.tcpEndpoints[0].host, "bridge.local");
  EXPECT_EQ(options.tcpEndpoints[0].port, 4001);
  EXPECT_EQ(options.tcpEndpoints[1].host, "::1");
  EXPECT_EQ(options.tcpEndpoints[1].port, 23);
  EXPECT_FALSE(options.demo);

  AccessoryOptions defaults;
  EXPECT_TRUE(parseAccessoryOptions({}, defaults).empty());
  EXPECT_TRUE(defaults.demo);
}

TEST(AccessoryOptionsTest, RejectsBadValuesWithAClearMessage) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--device", "/dev/ttyS0@fast"}, "bad baud rate"},
      {{"--device", "/dev/ttyS0@0"}, "bad baud rate"},
      {{"--device", "/dev/ttyS0@-9600"}, "bad baud rate"},
      {{"--device", "/dev/ttyS0@99999999999999999999"}, "bad baud rate"},
      {{"--device", "/dev/ttyS0@"}, "bad baud rate"},
      {{"--device", "@9600"}, "needs a path"},
      {{"--device"}, "needs a value"},
      {{"--tcp", "localhost"}, "HOST:PORT"},
      {{"--tcp", "localhost:0"}, "bad port"},
      {{"--tcp", "localhost:65536"}, "bad port"},
      {{"--tcp", "localhost:http"}, "bad port"},
      {{"--tcp", ":4001"}, "HOST:PORT"},
      {{"--tcp"}, "needs a value"},
  };
  for (const auto& [args, expected] : cases) {
    AccessoryOptions options;
    try {
      parseAccessoryOptions(args, options);
      ADD_FAILURE() << "accepted " << args.back();
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos)
          << args.back() << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace zt
