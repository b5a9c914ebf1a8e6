// Finding a text in the history as the screen shows it in text form (headers included, control
// characters in their visible forms), one logical line at a time, going back (older) or on
// (newer) from a position and wrapping at the ends.
//
// Entries whose text is printable ASCII are searched in place; only an entry that may hold a
// match, or whose text needs its visible form, is formatted. Main thread (reads the store).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "transfer/history/history_lines.h"

namespace zt {

// A place in the history: entry, logical line, byte offset in that line's shown text.
struct HistorySpot {
  std::uint64_t id = 0;
  std::size_t line = 0;
  std::size_t offset = 0;
  // NOLINTNEXTLINE(modernize-use-nullptr): the check misreads a defaulted <=>
  friend auto operator<=>(const HistorySpot&, const HistorySpot&) = default;
};

// The nearest match strictly before `from` (backward) or after it, wrapping round; `from`
// itself is found only when it is the one match. Nothing for an empty needle or no match.
std::optional<HistorySpot> findInHistory(const HistoryStore& store, const std::string& needle,
                                         HistorySpot from, bool backward, bool delta);

}  // namespace zt
