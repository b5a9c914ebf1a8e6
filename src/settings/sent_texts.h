// SentTexts: the texts typed and sent in this run, oldest first, for the send field to recall.
// It keeps the newest 100 and never holds the same text twice in a row; an empty text is not
// kept.
//
// Main thread only.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <utility>

namespace zt {

class SentTexts {
 public:
  static constexpr std::size_t kMost = 100;

  void add(std::string text) {
    if (text.empty() || (!texts_.empty() && texts_.back() == text)) return;
    texts_.push_back(std::move(text));
    if (texts_.size() > kMost) texts_.pop_front();
  }
  std::size_t size() const { return texts_.size(); }
  // The text `back` places before the newest (0: the newest itself).
  const std::string& fromNewest(std::size_t back) const { return texts_[texts_.size() - 1 - back]; }

 private:
  std::deque<std::string> texts_;
};

}  // namespace zt
