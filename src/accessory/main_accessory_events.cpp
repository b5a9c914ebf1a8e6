// The main screen's accessory notifications: they keep the settings object's list of connected
// accessories and tell the screen on top.
#include <algorithm>
#include <any>

#include "accessory/accessory_list_view_controller.h"
#include "accessory/accessory_records.h"
#include "accessory/main_view_controller.h"
#include "platform/external_accessory/accessory_manager.h"
#include "settings/glb_param.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt {
namespace {

// The accessory a notification carries; null when it carries none.
std::shared_ptr<EAAccessory> AccessoryOf(const Notification& notification) {
  const auto entry = notification.userInfo.find(EAAccessoryKey);
  if (entry == notification.userInfo.end()) return nullptr;
  const auto* accessory = std::any_cast<std::shared_ptr<EAAccessory>>(&entry->second);
  return accessory ? *accessory : nullptr;
}

}  // namespace

void MainViewController::AccessoryConnected(const Notification& notification) {
  auto accessory = AccessoryOf(notification);
  if (!accessory) return;
  GlbParam::instance().accessoryList().push_back(AccessoryRecord(std::move(accessory)));
  const auto navigation = navigationController();
  const auto top = navigation ? navigation->topViewController() : nullptr;
  if (auto* list = dynamic_cast<AccessoryListViewController*>(top.get())) {
    list->RefreshAccessoryList();
  }
}

// A transfer screen on top is told only when the accessory that went away is its own: other
// devices come and go here all the time, and its session must not end for them.
void MainViewController::AccessoryDisconnected(const Notification& notification) {
  const auto accessory = AccessoryOf(notification);
  if (!accessory) return;
  const auto id = accessory->connectionID();
  auto& records = GlbParam::instance().accessoryList();
  const auto known = std::find_if(records.begin(), records.end(), [id](const auto& record) {
    return record->accessory() && record->accessory()->connectionID() == id;
  });
  if (known == records.end()) return;
  records.erase(known);
  const auto navigation = navigationController();
  const auto top = navigation ? navigation->topViewController() : nullptr;
  if (auto* list = dynamic_cast<AccessoryListViewController*>(top.get())) {
    list->RefreshAccessoryList();
  } else if (auto* transfer = dynamic_cast<DataTransfersViewController*>(top.get())) {
    const auto& info = transfer->accessoryInfo();
    if (info && info->accessory() && info->accessory()->connectionID() == id) {
      transfer->AccessoryDisconnect();
    }
  }
}

}  // namespace zt
