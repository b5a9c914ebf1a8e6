// AccessoryInfo: the record that names one accessory and the protocol to open on it. The
// settings object lists one per connected accessory (only to recognise an accessory when it
// goes away); the accessory list screen builds one for the chosen accessory and hands it to
// the transfer or detail screen. Records are shared as std::shared_ptr<AccessoryInfo>.
//
// A new record holds no accessory and the protocol string "com.Zemra.Demo".
// Threads: main thread only.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace zt {

class EAAccessory;

class AccessoryInfo {
 public:
  const std::shared_ptr<EAAccessory>& accessory() const { return accessory_; }
  void setAccessory(std::shared_ptr<EAAccessory> accessory) { accessory_ = std::move(accessory); }

  const std::string& protocolString() const { return protocolString_; }
  void setProtocolString(std::string protocol) { protocolString_ = std::move(protocol); }

 private:
  std::shared_ptr<EAAccessory> accessory_;
  std::string protocolString_ = "com.Zemra.Demo";
};

}  // namespace zt
