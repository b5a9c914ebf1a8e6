#include "platform/external_accessory/accessory.h"

#include <algorithm>

namespace zt {

EAAccessory::EAAccessory(AccessoryKey key, AccessoryIdentity identity, std::uint64_t connectionID,
                         std::shared_ptr<AccessoryTransport> transport)
    : key_(std::move(key)),
      identity_(std::move(identity)),
      connectionID_(connectionID),
      transport_(std::move(transport)) {
  if (identity_.protocolStrings.empty()) identity_.protocolStrings.push_back(kDefaultProtocolString);
}

bool EAAccessory::declaresProtocol(const std::string& protocolString) const {
  const auto& list = identity_.protocolStrings;
  return std::find(list.begin(), list.end(), protocolString) != list.end();
}

void EAAccessory::reportGone() const {
  if (connected_ && goneHandler_) goneHandler_();
}

}  // namespace zt
