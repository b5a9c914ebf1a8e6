// FolderWatch: entries of folders watched with inotify on the run loop, so that a device path
// given on the command line appearing, vanishing or pointing elsewhere is noticed when it
// happens instead of by looking again and again. An entry of interest created, deleted or
// renamed, or a watched folder itself going, calls `onChange` (the caller then looks at what is
// there); other entries of the same folders cost a wakeup but nothing more.
//
// A folder that does not exist (yet) cannot be watched, nor can anything where inotify is not
// available: watch() says so, and the caller must then look again from time to time.
// Loop thread only.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/runloop/run_loop.h"

struct inotify_event;

namespace zt {

// Folder -> the names in it that matter.
using FolderEntries = std::map<std::string, std::set<std::string>>;

class FolderWatch {
 public:
  FolderWatch(RunLoop& loop, std::function<void()> onChange);
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Watches exactly `entries` from now on. Returns whether every folder of them is watched.
  bool watch(const FolderEntries& entries);

 private:
  struct Folder {
    int wd;
    std::set<std::string> names;
  };

  bool open();
  void receive(short revents);
  // Whether an event (about the entry `name`) matters; forgets a folder whose watch ended.
  bool matters(const inotify_event& event, const std::string& name);
  void close();

  RunLoop& loop_;
  std::function<void()> onChange_;
  int fd_ = -1;
  RunLoop::Id watch_ = 0;
  std::map<std::string, Folder> watched_;
};

}  // namespace zt
