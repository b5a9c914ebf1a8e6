// HistoryWindow: which rows of the history the screen shows, for a screen of a given number of
// lines and columns. It keeps a place (an entry and a row within it), never a row number over
// the whole history, so moving costs the rows near the place only, however long the history.
// At the end it follows new entries (a live tail); moving up pauses it and counts what came
// since; End, or moving down to the end, follows again. When older entries were dropped, a line
// saying so comes first.
//
// Main thread only; reads the store it is given, which must outlive it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/geometry.h"
#include "transfer/history/history_search.h"

namespace zt {

class HistoryWindow {
 public:
  explicit HistoryWindow(const HistoryStore& store) : store_(store) {}

  void setSize(int lines, int columns);
  int lines() const { return lines_; }
  HistoryFormat format() const { return format_; }
  void setFormat(HistoryFormat format);

  bool following() const { return following_; }
  // Entries that came since following paused.
  std::uint64_t newEntries() const;

  // Moves by `rows` (positive: newer).
  void move(long rows);
  void home();
  void end();
  // Shows the row of `spot`, pausing; the window moves only when it is not in view.
  void reveal(const HistorySpot& spot);
  // Just past the last row shown: where a search going back starts.
  HistorySpot bottomSpot();

  struct Shown {
    std::string text;            // the rows, joined by "\n"
    std::vector<Range> marked;   // where `needle` appears in them
  };
  Shown render(const std::string& needle);

 private:
  // Item 0 is the dropped line (while entries were dropped); item i > 0 is entry i - 1.
  struct Place {
    std::uint64_t item = 0;
    std::size_t row = 0;
    // NOLINTNEXTLINE(modernize-use-nullptr): the check misreads a defaulted <=>
    friend auto operator<=>(const Place&, const Place&) = default;
  };

  std::uint64_t firstItem() const { return store_.firstId() > 0 ? 0 : 1; }
  std::uint64_t lastItem() const {
    return store_.endId() > store_.firstId() ? store_.endId() : 0;
  }
  std::uint64_t nextItem(std::uint64_t item) const;
  const std::vector<HistoryRow>& rows(std::uint64_t item);
  Place advance(Place place, long rows);
  Place clamp(Place place);
  Place lastPageTop();
  void pause();

  const HistoryStore& store_;
  int lines_ = 20;
  int columns_ = 76;
  HistoryFormat format_;
  bool following_ = true;
  std::uint64_t pausedAt_ = 0;  // the end when following paused
  Place top_;
  std::map<std::uint64_t, std::vector<HistoryRow>> cache_;
  std::uint64_t cachedFirst_ = 0;  // the store's first entry when the cache was filled
};

}  // namespace zt
