// NotificationCenter: named notifications delivered synchronously to observers, as the phone
// toolkit's default centre does (keyboard show/hide, accessory connect/disconnect).
//
// Observers are identified by an opaque pointer (usually the observing screen) and may filter
// by sender. Main thread only: other threads post through RunLoop::post first. An observer may
// add or remove observers, itself included, while a notification is being delivered.
#pragma once

#include <any>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zt {

using UserInfo = std::map<std::string, std::any>;

struct Notification {
  std::string name;
  const void* sender = nullptr;
  UserInfo userInfo;
};

class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification&)>;

  static NotificationCenter& defaultCenter();

  // Calls `handler` for every notification named `name`; from `sender` only, unless it is null.
  void addObserver(const void* observer, const std::string& name, Handler handler,
                   const void* sender = nullptr);
  // Removes every registration of `observer`.
  void removeObserver(const void* observer);
  void removeObserver(const void* observer, const std::string& name);
  void postNotification(const Notification& notification);
  void postNotification(const std::string& name, const void* sender, UserInfo userInfo = {});

 private:
  struct Entry {
    unsigned long long id;
    const void* observer;
    std::string name;
    const void* sender;
    Handler handler;
  };
  bool registered(unsigned long long id) const;

  std::vector<Entry> entries_;
  unsigned long long nextId_ = 1;
};

}  // namespace zt
