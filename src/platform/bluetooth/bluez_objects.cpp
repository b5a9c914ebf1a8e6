#include "platform/bluetooth/bluez_objects.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace zt {

namespace {

// Runs `read` on the value of a variant holding `contents`; skips a variant of another type.
int readVariant(sd_bus_message& m, const char* contents, const std::function<int()>& read) {
  char type = 0;
  const char* inner = nullptr;
  int r = sd_bus_message_peek_type(&m, &type, &inner);
  if (r <= 0) return r < 0 ? r : -EBADMSG;
  if (type != 'v' || inner == nullptr || std::strcmp(inner, contents) != 0) {
    return sd_bus_message_skip(&m, "v");
  }
  if ((r = sd_bus_message_enter_container(&m, 'v', contents)) < 0) return r;
  if ((r = read()) < 0) return r;
  return sd_bus_message_exit_container(&m);
}

int readText(sd_bus_message& m, char type, std::string& out) {
  const char* text = nullptr;
  const int r = sd_bus_message_read_basic(&m, type, static_cast<void*>(&text));
  if (r > 0) out = text;
  return r;
}

int readFlag(sd_bus_message& m, bool& out) {
  int value = 0;
  const int r = sd_bus_message_read_basic(&m, 'b', &value);
  if (r > 0) out = value != 0;
  return r;
}

// Reads an array of strings, calling `each` with every one.
int forEachString(sd_bus_message& m, const std::function<void(const char*)>& each) {
  char** list = nullptr;
  const int r = sd_bus_message_read_strv(&m, &list);
  if (r < 0) return r;
  for (char** item = list; item != nullptr && *item != nullptr; ++item) {
    each(*item);
    std::free(*item);  // NOLINT(cppcoreguidelines-no-malloc): sd-bus allocated it
  }
  std::free(static_cast<void*>(list));  // NOLINT(cppcoreguidelines-no-malloc)
  return r;
}

// Calls `each` with every property name of an a{sv}; `each` reads or skips its variant.
int forEachProperty(sd_bus_message& m, const std::function<int(const std::string&)>& each) {
  int r = sd_bus_message_enter_container(&m, 'a', "{sv}");
  if (r < 0) return r;
  while ((r = sd_bus_message_enter_container(&m, 'e', "sv")) > 0) {
    std::string name;
    if ((r = readText(m, 's', name)) < 0 || (r = each(name)) < 0 ||
        (r = sd_bus_message_exit_container(&m)) < 0) {
      return r;
    }
  }
  return r < 0 ? r : sd_bus_message_exit_container(&m);
}

int readDeviceProperty(sd_bus_message& m, const std::string& name, BluetoothDevice& device) {
  if (name == "Alias") return readVariant(m, "s", [&] { return readText(m, 's', device.alias); });
  if (name == "Address") {
    return readVariant(m, "s", [&] { return readText(m, 's', device.address); });
  }
  if (name == "Adapter") {
    return readVariant(m, "o", [&] { return readText(m, 'o', device.adapter); });
  }
  if (name == "Paired") return readVariant(m, "b", [&] { return readFlag(m, device.paired); });
  if (name == "Connected") {
    return readVariant(m, "b", [&] { return readFlag(m, device.connected); });
  }
  if (name == "UUIDs") {
    return readVariant(m, "as", [&] {
      device.serialPort = false;
      return forEachString(m, [&](const char* uuid) {
        device.serialPort = device.serialPort || ::strcasecmp(uuid, kSerialPortProfileUuid) == 0;
      });
    });
  }
  return sd_bus_message_skip(&m, "v");
}

}  // namespace

int BluezObjects::readProperties(sd_bus_message& m, const std::string& interface,
                                 const std::string& path) {
  if (interface == kAdapterInterface) {
    bool& powered = adapters[path];
    return forEachProperty(m, [&](const std::string& name) {
      if (name != "Powered") return sd_bus_message_skip(&m, "v");
      return readVariant(m, "b", [&] { return readFlag(m, powered); });
    });
  }
  if (interface == kDeviceInterface) {
    BluetoothDevice& device = devices[path];
    device.path = path;
    return forEachProperty(
        m, [&](const std::string& name) { return readDeviceProperty(m, name, device); });
  }
  return sd_bus_message_skip(&m, "a{sv}");
}

int BluezObjects::readInterfaces(sd_bus_message& m, const std::string& path) {
  int r = sd_bus_message_enter_container(&m, 'a', "{sa{sv}}");
  if (r < 0) return r;
  while ((r = sd_bus_message_enter_container(&m, 'e', "sa{sv}")) > 0) {
    std::string interface;
    if ((r = readText(m, 's', interface)) < 0 || (r = readProperties(m, interface, path)) < 0 ||
        (r = sd_bus_message_exit_container(&m)) < 0) {
      return r;
    }
  }
  return r < 0 ? r : sd_bus_message_exit_container(&m);
}

int BluezObjects::readManagedObjects(sd_bus_message& m) {
  int r = sd_bus_message_enter_container(&m, 'a', "{oa{sa{sv}}}");
  if (r < 0) return r;
  while ((r = sd_bus_message_enter_container(&m, 'e', "oa{sa{sv}}")) > 0) {
    std::string path;
    if ((r = readText(m, 'o', path)) < 0 || (r = readInterfaces(m, path)) < 0 ||
        (r = sd_bus_message_exit_container(&m)) < 0) {
      return r;
    }
  }
  return r < 0 ? r : sd_bus_message_exit_container(&m);
}

int BluezObjects::readInterfacesAdded(sd_bus_message& m) {
  std::string path;
  const int r = readText(m, 'o', path);
  return r < 0 ? r : readInterfaces(m, path);
}

int BluezObjects::readInterfacesRemoved(sd_bus_message& m) {
  std::string path;
  int r = readText(m, 'o', path);
  if (r < 0) return r;
  return forEachString(m, [&](const char* interface) {
    if (std::strcmp(interface, kAdapterInterface) == 0) adapters.erase(path);
    if (std::strcmp(interface, kDeviceInterface) == 0) devices.erase(path);
  });
}

int BluezObjects::readPropertiesChanged(sd_bus_message& m) {
  const char* path = sd_bus_message_get_path(&m);
  std::string interface;
  const int r = readText(m, 's', interface);
  if (r < 0 || path == nullptr) return r < 0 ? r : -EBADMSG;
  const bool known = interface == kAdapterInterface ? adapters.contains(path)
                                                    : devices.contains(path);
  if (!known) return 0;  // told of before its listing: the listing will bring it whole
  return readProperties(m, interface, path);
}

}  // namespace zt
