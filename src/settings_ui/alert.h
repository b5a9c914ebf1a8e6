// The one-button alert the settings screens show: a title (the key screen's alerts have none), a
// message and "OK", which only dismisses it.
//
// Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/alert_view.h"

namespace zt {

inline void ShowOkAlert(std::string title, std::string message) {
  std::make_shared<AlertView>(std::move(title), std::move(message),
                              std::weak_ptr<AlertViewDelegate>(), "OK")
      ->show();
}

}  // namespace zt
