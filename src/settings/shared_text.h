// SharedText: a text that one thread replaces while others read it. Each value is an
// immutable string; a write swaps in a new one, a read takes a reference to the current one,
// so a reader never sees a half-written text and keeps its copy valid after a later write.
//
// Threads: load() and store() may be called from any thread; each holds a short lock only
// while the pointer is copied or swapped (strings are built and freed outside it).
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace zt {

class SharedText {
 public:
  explicit SharedText(std::string text) : text_(std::make_shared<const std::string>(std::move(text))) {}

  std::shared_ptr<const std::string> load() const {
    std::lock_guard lock(mutex_);
    return text_;
  }

  void store(std::string text) {
    auto fresh = std::make_shared<const std::string>(std::move(text));
    std::lock_guard lock(mutex_);
    text_.swap(fresh);
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const std::string> text_;
};

}  // namespace zt
