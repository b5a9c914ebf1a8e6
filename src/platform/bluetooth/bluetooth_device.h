// BluetoothDevice: what the Bluetooth daemon tells of one device (org.bluez.Device1), and the
// order in which a person chooses among them: paired devices that offer the Serial Port Profile
// first, then the other paired devices, then the rest; by alias within each group.
//
// Plain values; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zt {

// The Serial Port Profile, lower-case as it is always sent.
inline constexpr const char* kSerialPortProfileUuid = "00001101-0000-1000-8000-00805f9b34fb";

struct BluetoothDevice {
  std::string path;     // the daemon's object
  std::string adapter;  // the adapter's object
  std::string alias;
  std::string address;
  bool paired = false;
  bool connected = false;
  bool serialPort = false;  // its UUIDs include the Serial Port Profile
};

enum class DeviceGroup { PairedSerialPort, Paired, Other };

DeviceGroup groupOf(const BluetoothDevice& device);
// Sorts into the choosing order; with a filter, keeps only aliases that begin with it.
std::vector<BluetoothDevice> inChoosingOrder(std::vector<BluetoothDevice> devices,
                                             const std::optional<std::string>& nameFilter);
// The alias, else the address, else the object path: how a message names the device.
std::string displayName(const BluetoothDevice& device);

}  // namespace zt
