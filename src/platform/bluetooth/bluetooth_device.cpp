#include "platform/bluetooth/bluetooth_device.h"

#include <algorithm>
#include <tuple>

namespace zt {

DeviceGroup groupOf(const BluetoothDevice& device) {
  if (!device.paired) return DeviceGroup::Other;
  return device.serialPort ? DeviceGroup::PairedSerialPort : DeviceGroup::Paired;
}

std::vector<BluetoothDevice> inChoosingOrder(std::vector<BluetoothDevice> devices,
                                             const std::optional<std::string>& nameFilter) {
  if (nameFilter) {
    std::erase_if(devices, [&](const BluetoothDevice& d) { return !d.alias.starts_with(*nameFilter); });
  }
  std::sort(devices.begin(), devices.end(), [](const BluetoothDevice& a, const BluetoothDevice& b) {
    return std::tuple(groupOf(a), a.alias, a.address) < std::tuple(groupOf(b), b.alias, b.address);
  });
  return devices;
}

std::string displayName(const BluetoothDevice& device) {
  if (!device.alias.empty()) return device.alias;
  return device.address.empty() ? device.path : device.address;
}

}  // namespace zt
