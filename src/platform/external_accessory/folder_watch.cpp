#include "platform/external_accessory/folder_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zt {

namespace {

constexpr std::uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kFolderEvents = IN_DELETE_SELF | IN_MOVE_SELF;
// The folder itself went: whatever was in it, look again.
constexpr std::uint32_t kFolderGone = kFolderEvents | IN_IGNORED;

}  // namespace

FolderWatch::FolderWatch(RunLoop& loop, std::function<void()> onChange)
    : loop_(loop), onChange_(std::move(onChange)) {}

FolderWatch::~FolderWatch() { close(); }

bool FolderWatch::watch(const FolderEntries& entries) {
  if (entries.empty()) {
    close();
    return true;
  }
  if (fd_ < 0 && !open()) return false;
  for (auto it = watched_.begin(); it != watched_.end();) {
    if (entries.count(it->first) != 0) {
      ++it;
      continue;
    }
    // Fails only for a watch the kernel already ended (its folder went): nothing to undo.
    (void)::inotify_rm_watch(fd_, it->second.wd);
    it = watched_.erase(it);
  }
  bool all = true;
  for (const auto& [folder, names] : entries) {
    if (const auto it = watched_.find(folder); it != watched_.end()) {
      it->second.names = names;
      continue;
    }
    const int wd =
        ::inotify_add_watch(fd_, folder.c_str(), kEntryEvents | kFolderEvents | IN_ONLYDIR);
    if (wd < 0) {
      all = false;  // missing, not a folder, or out of watches
      continue;
    }
    watched_.emplace(folder, Folder{wd, names});
  }
  return all;
}

bool FolderWatch::open() {
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return false;
  watch_ = loop_.watch(fd_, POLLIN, [this](short revents) { receive(revents); });
  return true;
}

void FolderWatch::receive(short revents) {
  if ((revents & (POLLERR | POLLNVAL)) != 0) {
    close();  // not expected of an inotify descriptor; should it happen, start afresh
    onChange_();
    return;
  }
  alignas(inotify_event) char buffer[4096];
  bool changed = false;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // drained (EAGAIN)
    for (ssize_t at = 0; at < n;) {
      inotify_event event{};
      std::memcpy(&event, buffer + at, sizeof event);
      const char* name = buffer + at + sizeof event;  // zero-padded to event.len bytes
      changed = matters(event, std::string(name, strnlen(name, event.len))) || changed;
      at += static_cast<ssize_t>(sizeof event + event.len);
    }
  }
  if (changed) onChange_();
}

bool FolderWatch::matters(const inotify_event& event, const std::string& name) {
  if ((event.mask & IN_Q_OVERFLOW) != 0) return true;
  const auto folder = std::find_if(watched_.begin(), watched_.end(),
                                   [&](const auto& entry) { return entry.second.wd == event.wd; });
  if (folder == watched_.end()) return false;  // a folder no longer watched
  if ((event.mask & kFolderGone) == 0) return folder->second.names.count(name) != 0;
  // Its watch ended with the folder: the next watch() adds it again if it is back.
  if ((event.mask & IN_IGNORED) != 0) watched_.erase(folder);
  return true;
}

void FolderWatch::close() {
  if (watch_ != 0) loop_.unwatch(watch_);
  watch_ = 0;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  watched_.clear();
}

}  // namespace zt
