#include "accessory/accessory_records.h"

#include <utility>

#include "platform/external_accessory/accessory_manager.h"

namespace zt {

std::shared_ptr<AccessoryInfo> AccessoryRecord(std::shared_ptr<EAAccessory> accessory) {
  auto record = std::make_shared<AccessoryInfo>();
  record->setAccessory(std::move(accessory));
  return record;
}

void RebuildAccessoryList(GlbParam& param) {
  auto& list = param.accessoryList();
  list.clear();
  for (auto& accessory : EAAccessoryManager::sharedAccessoryManager().connectedAccessories()) {
    list.push_back(AccessoryRecord(std::move(accessory)));
  }
}

}  // namespace zt
