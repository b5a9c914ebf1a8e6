// How the history screen shows an entry: its header ("[Received 11:04:11.482]", or
// "[Received +0.015]" with times as the delta since the entry before; "[11:04:11.482]" for a test
// file's lines), then its text as the log shows it, or, in hex, a dump of its wire bytes (offset,
// 16 bytes in hex, an ASCII column with "." for what is not printable). Undecodable bytes show as
// the capture shows them. Every line is in its visible form: control characters drawn visibly,
// never sent to the terminal as they came.
//
// An entry gives logical lines (split at its line breaks); the screen breaks them into rows of
// a given width. Pure functions; main thread (they read the store).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transfer/history/history_store.h"

namespace zt {

struct HistoryFormat {
  bool hex = false;    // a hex dump of the wire bytes instead of the text
  bool delta = false;  // times as the delta since the entry before
};

// The header of entry `id` (the one before it gives the delta).
std::string historyHeader(const HistoryStore& store, std::uint64_t id, bool delta);
// The entry's text before its visible form: its text, or for undecodable bytes
// "(3 bytes not shown: c328ff)".
std::string historyBody(const HistoryEntry& entry);
// The logical lines of entry `id`, each in its visible form.
std::vector<std::string> historyLines(const HistoryStore& store, std::uint64_t id,
                                      HistoryFormat format);
// The line above the first kept entry when older ones were dropped.
std::string droppedLine(std::uint64_t dropped, std::uint64_t limitBytes);

// One row on the screen: a piece of a logical line at most `columns` cells wide.
struct HistoryRow {
  std::string text;
  std::size_t line = 0;    // the logical line it belongs to
  std::size_t offset = 0;  // where in that line it starts (bytes)
};
std::vector<HistoryRow> wrapRows(const std::vector<std::string>& lines, int columns);

}  // namespace zt
