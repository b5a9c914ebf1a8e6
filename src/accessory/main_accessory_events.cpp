// The main screen's accessory notifications: they keep the settings object's list of connected
// accessories and tell the accessory list on top and the transfer screens of an accessory gone.
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

// Only the transfer screens of the accessory that went away are told, wherever they sit on the
// stack (each shows the end when it is on top): other devices come and go here all the time, and
// a session must not end for them.
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
  if (!navigation) return;
  const auto stack = navigation->viewControllers();  // a copy: the screens told may change it
  for (const auto& screen : stack) {
    auto* transfer = dynamic_cast<DataTransfersViewController*>(screen.get());
    const auto info = transfer ? transfer->accessoryInfo() : nullptr;
    if (info && info->accessory() && info->accessory()->connectionID() == id) {
      transfer->AccessoryDisconnect();
    }
  }
  const auto top = navigation->topViewController();
  if (auto* list = dynamic_cast<AccessoryListViewController*>(top.get())) {
    list->RefreshAccessoryList();
  }
}

}  // namespace zt
