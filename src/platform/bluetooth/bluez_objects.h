// BluezObjects: what the Bluetooth daemon has told of its adapters (org.bluez.Adapter1: Powered)
// and devices (org.bluez.Device1: Alias, Address, Paired, Connected, UUIDs, Adapter), kept up to
// date from the object manager's listing and signals and from PropertiesChanged. Other
// interfaces and properties are skipped.
//
// The readers return a negative errno when the message is not shaped as the daemon sends it
// (what was read before stays). Loop thread only, as the messages are.
#pragma once

#include <systemd/sd-bus.h>

#include <map>
#include <string>

#include "platform/bluetooth/bluetooth_device.h"

namespace zt {

struct BluezObjects {
  std::map<std::string, bool> adapters;  // object path -> powered
  std::map<std::string, BluetoothDevice> devices;

  // GetManagedObjects' answer: a{oa{sa{sv}}}.
  int readManagedObjects(sd_bus_message& message);
  // InterfacesAdded: oa{sa{sv}}.
  int readInterfacesAdded(sd_bus_message& message);
  // InterfacesRemoved: oas.
  int readInterfacesRemoved(sd_bus_message& message);
  // PropertiesChanged: sa{sv}as, for the object at the message's path.
  int readPropertiesChanged(sd_bus_message& message);

 private:
  int readInterfaces(sd_bus_message& message, const std::string& path);
  int readProperties(sd_bus_message& message, const std::string& interface,
                     const std::string& path);
};

inline constexpr const char* kBluezService = "org.bluez";
inline constexpr const char* kAdapterInterface = "org.bluez.Adapter1";
inline constexpr const char* kDeviceInterface = "org.bluez.Device1";

}  // namespace zt
