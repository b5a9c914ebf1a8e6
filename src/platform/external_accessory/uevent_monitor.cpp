#include "platform/external_accessory/uevent_monitor.h"

#include <libudev.h>
#include <poll.h>

namespace zt {

UeventMonitor::UeventMonitor(RunLoop& loop, std::function<void()> onChange)
    : loop_(loop), onChange_(std::move(onChange)) {
  start();
}

UeventMonitor::~UeventMonitor() { stop(); }

void UeventMonitor::start() {
  udev_ = ::udev_new();
  if (udev_ == nullptr) return;
  monitor_ = ::udev_monitor_new_from_netlink(udev_, "kernel");
  if (monitor_ == nullptr ||
      ::udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
      ::udev_monitor_enable_receiving(monitor_) < 0) {
    stop();
    return;
  }
  const int fd = ::udev_monitor_get_fd(monitor_);
  if (fd < 0) {
    stop();
    return;
  }
  watch_ = loop_.watch(fd, POLLIN, [this](short revents) { receive(revents); });
}

void UeventMonitor::receive(short revents) {
  if ((revents & (POLLERR | POLLNVAL)) != 0) {
    stop();  // the socket broke: the caller looks again and, seeing it inactive, polls
    onChange_();
    return;
  }
  // Drain what is queued; the event's content does not matter, only that something changed.
  bool changed = false;
  while (udev_device* device = ::udev_monitor_receive_device(monitor_)) {
    ::udev_device_unref(device);
    changed = true;
  }
  if (changed) onChange_();
}

void UeventMonitor::stop() {
  if (watch_ != 0) loop_.unwatch(watch_);
  watch_ = 0;
  if (monitor_ != nullptr) ::udev_monitor_unref(monitor_);
  monitor_ = nullptr;
  if (udev_ != nullptr) ::udev_unref(udev_);
  udev_ = nullptr;
}

}  // namespace zt
