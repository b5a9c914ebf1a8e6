#include "transfer/history/history_window.h"

#include <algorithm>

namespace zt {

namespace {

// Formatted entries kept for moving back and forth near the place.
constexpr std::size_t kCachedItems = 256;

}  // namespace

void HistoryWindow::setSize(int lines, int columns) {
  lines = std::max(lines, 1);
  columns = std::max(columns, 8);
  if (columns != columns_) cache_.clear();
  lines_ = lines;
  columns_ = columns;
}

void HistoryWindow::setFormat(HistoryFormat format) {
  format_ = format;
  cache_.clear();
  top_.row = 0;
}

std::uint64_t HistoryWindow::newEntries() const {
  return following_ ? 0 : store_.endId() - std::min(pausedAt_, store_.endId());
}

std::uint64_t HistoryWindow::nextItem(std::uint64_t item) const {
  return item == 0 ? store_.firstId() + 1 : item + 1;
}

const std::vector<HistoryRow>& HistoryWindow::rows(std::uint64_t item) {
  if (cachedFirst_ != store_.firstId()) {  // the dropped line and the first delta changed
    cache_.clear();
    cachedFirst_ = store_.firstId();
  }
  if (auto found = cache_.find(item); found != cache_.end()) return found->second;
  if (cache_.size() >= kCachedItems) cache_.clear();
  const std::vector<std::string> lines =
      item == 0 ? std::vector<std::string>{droppedLine(store_.firstId(), store_.limit())}
                : historyLines(store_, item - 1, format_);
  return cache_[item] = wrapRows(lines, columns_);
}

HistoryWindow::Place HistoryWindow::clamp(Place place) {
  if (place.item != 0 && place.item <= store_.firstId()) place = Place{firstItem(), 0};
  if (place.item == 0 && store_.firstId() == 0) place = Place{1, 0};
  place.item = std::min(place.item, lastItem());
  place.row = std::min(place.row, rows(place.item).size() - 1);
  return place;
}

HistoryWindow::Place HistoryWindow::advance(Place place, long count) {
  place = clamp(place);
  while (count > 0) {
    const auto left = static_cast<long>(rows(place.item).size() - 1 - place.row);
    if (count <= left) {
      place.row += static_cast<std::size_t>(count);
      break;
    }
    if (place.item == lastItem()) {
      place.row = rows(place.item).size() - 1;
      break;
    }
    count -= left + 1;
    place = Place{nextItem(place.item), 0};
  }
  while (count < 0) {
    if (-count <= static_cast<long>(place.row)) {
      place.row -= static_cast<std::size_t>(-count);
      break;
    }
    if (place.item == firstItem()) {
      place.row = 0;
      break;
    }
    count += static_cast<long>(place.row) + 1;
    const std::uint64_t before = place.item == store_.firstId() + 1 ? 0 : place.item - 1;
    place = Place{before, rows(before).size() - 1};
  }
  return place;
}

HistoryWindow::Place HistoryWindow::lastPageTop() {
  const Place last{lastItem(), rows(lastItem()).size() - 1};
  return advance(last, -(lines_ - 1));
}

void HistoryWindow::pause() {
  if (!following_) return;
  following_ = false;
  pausedAt_ = store_.endId();
}

void HistoryWindow::move(long count) {
  if (store_.endId() == store_.firstId()) return;
  if (count < 0) pause();
  if (following_) return;
  const Place last = lastPageTop();
  top_ = advance(std::min(clamp(top_), last), count);
  if (count > 0 && top_ >= last) end();
}

void HistoryWindow::home() {
  pause();
  top_ = Place{firstItem(), 0};
}

void HistoryWindow::end() {
  following_ = true;
}

void HistoryWindow::reveal(const HistorySpot& spot) {
  pause();
  const std::uint64_t item = spot.id + 1;
  const std::vector<HistoryRow>& all = rows(item);
  std::size_t row = 0;
  while (row + 1 < all.size() &&
         (all[row + 1].line < spot.line ||
          (all[row + 1].line == spot.line && all[row + 1].offset <= spot.offset))) {
    ++row;
  }
  const Place wanted{item, row};
  const Place top = std::min(clamp(top_), lastPageTop());
  if (wanted >= top && wanted <= advance(top, lines_ - 1)) return;
  top_ = advance(wanted, -(lines_ / 3));
}

HistorySpot HistoryWindow::bottomSpot() {
  if (store_.endId() == store_.firstId()) return HistorySpot{};
  const Place top = following_ ? lastPageTop() : std::min(clamp(top_), lastPageTop());
  const Place bottom = advance(top, lines_ - 1);
  if (bottom.item == 0) return HistorySpot{store_.firstId(), 0, 0};
  const HistoryRow& row = rows(bottom.item)[bottom.row];
  return HistorySpot{bottom.item - 1, row.line, row.offset + row.text.size()};
}

HistoryWindow::Shown HistoryWindow::render(const std::string& needle) {
  Shown shown;
  if (store_.endId() == store_.firstId() && store_.firstId() == 0) return shown;
  const Place last = lastPageTop();
  top_ = following_ ? last : std::min(clamp(top_), last);
  Place place = top_;
  for (int line = 0; line < lines_; ++line) {
    const HistoryRow& row = rows(place.item)[place.row];
    if (line > 0) shown.text += '\n';
    for (std::size_t at = needle.empty() ? std::string::npos : row.text.find(needle);
         at != std::string::npos; at = row.text.find(needle, at + needle.size())) {
      shown.marked.push_back(Range{shown.text.size() + at, needle.size()});
    }
    shown.text += row.text;
    const Place next = advance(place, 1);
    if (next == place) break;
    place = next;
  }
  return shown;
}

}  // namespace zt
