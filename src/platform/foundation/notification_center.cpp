#include "platform/foundation/notification_center.h"

#include <algorithm>

namespace zt {

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter center;
  return center;
}

void NotificationCenter::addObserver(const void* observer, const std::string& name, Handler handler,
                                     const void* sender) {
  entries_.push_back(Entry{nextId_++, observer, name, sender, std::move(handler)});
}

void NotificationCenter::removeObserver(const void* observer) {
  std::erase_if(entries_, [&](const Entry& e) { return e.observer == observer; });
}

void NotificationCenter::removeObserver(const void* observer, const std::string& name) {
  std::erase_if(entries_, [&](const Entry& e) { return e.observer == observer && e.name == name; });
}

void NotificationCenter::postNotification(const Notification& notification) {
  // Deliver to the observers registered now, skipping any that a handler removes on the way.
  std::vector<std::pair<unsigned long long, Handler>> targets;
  for (const auto& e : entries_) {
    if (e.name == notification.name && (e.sender == nullptr || e.sender == notification.sender)) {
      targets.emplace_back(e.id, e.handler);
    }
  }
  for (const auto& [id, handler] : targets) {
    if (registered(id)) handler(notification);
  }
}

void NotificationCenter::postNotification(const std::string& name, const void* sender,
                                          UserInfo userInfo) {
  postNotification(Notification{name, sender, std::move(userInfo)});
}

bool NotificationCenter::registered(unsigned long long id) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
}

}  // namespace zt
