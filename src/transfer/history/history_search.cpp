#include "transfer/history/history_search.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace zt {

namespace {

// Whether `text` shows as itself: printable ASCII, line feeds and CR LF pairs only.
bool showsAsItself(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= 0x20 && c < 0x7F) continue;
    if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) continue;
    return false;
  }
  return true;
}

// Whether a needle may meet a header: it is made of header characters, or reaches into one
// across its closing bracket.
bool mayMeetHeader(std::string_view needle) {
  return needle.find_first_not_of("[]ReceivdSnt+.:0123456789 ") == std::string_view::npos ||
         needle.find(']') != std::string_view::npos;
}

// Whether a character never comes from a visible stand-in ("^[", "<U+009B>") nor from a
// header: seen in shown text, it is a byte of the text as it came.
bool isLiteral(char c) {
  return c >= 0x20 && c < 0x7F && !(c >= '0' && c <= '9') && !(c >= '?' && c <= '_') &&
         c != '<' && c != '>' && c != '+';
}

// The needle's longest run of literal characters: wherever the needle shows, that run is in
// the text as it came.
std::string_view literalRun(std::string_view needle) {
  std::string_view best;
  for (std::size_t i = 0; i < needle.size();) {
    std::size_t j = i;
    while (j < needle.size() && isLiteral(needle[j])) ++j;
    if (j - i > best.size()) best = needle.substr(i, j - i);
    i = j + 1;
  }
  return best;
}

// Whether the entry may hold the needle, from a cheap look at its text as it came: where that
// text shows as itself, whether the needle is in it (or in its header); else whether the
// needle's literal run is. `header` is empty when the needle cannot meet one.
bool mayHold(const std::string& header, std::string_view body, std::string_view needle,
             std::string_view literal) {
  if (!showsAsItself(body)) {
    return !header.empty() || literal.empty() || body.find(literal) != std::string_view::npos;
  }
  if (body.find(needle) != std::string_view::npos) return true;
  if (header.empty()) return false;
  if (header.find(needle) != std::string::npos) return true;
  const std::size_t reach = needle.size() - 1;
  const std::string junction = header.substr(header.size() - std::min(reach, header.size())) +
                               std::string(body.substr(0, reach));
  return junction.find(needle) != std::string::npos;
}

// Every match in the entry's shown lines, in order.
std::vector<HistorySpot> matchesIn(const HistoryStore& store, std::uint64_t id,
                                   const std::string& needle, bool delta) {
  std::vector<HistorySpot> spots;
  const std::vector<std::string> lines = historyLines(store, id, HistoryFormat{false, delta});
  for (std::size_t line = 0; line < lines.size(); ++line) {
    for (std::size_t at = lines[line].find(needle); at != std::string::npos;
         at = lines[line].find(needle, at + 1)) {
      spots.push_back(HistorySpot{id, line, at});
    }
  }
  return spots;
}

std::optional<HistorySpot> nearestIn(const HistoryStore& store, std::uint64_t id,
                                     const std::string& needle, bool delta,
                                     const std::optional<HistorySpot>& bound, bool backward,
                                     bool headers, std::string_view literal) {
  const HistoryEntry entry = store.entry(id);
  const std::string body = entry.kind == HistoryKind::Undecodable ? historyBody(entry) : "";
  if (!mayHold(headers ? historyHeader(store, id, delta) : std::string(),
               entry.kind == HistoryKind::Undecodable ? std::string_view(body) : entry.text,
               needle, literal)) {
    return std::nullopt;
  }
  const std::vector<HistorySpot> spots = matchesIn(store, id, needle, delta);
  if (backward) {
    for (auto it = spots.rbegin(); it != spots.rend(); ++it) {
      if (!bound || *it < *bound) return *it;
    }
  } else {
    for (const HistorySpot& spot : spots) {
      if (!bound || spot > *bound) return spot;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<HistorySpot> findInHistory(const HistoryStore& store, const std::string& needle,
                                         HistorySpot from, bool backward, bool delta) {
  const std::uint64_t first = store.firstId();
  const std::uint64_t end = store.endId();
  if (needle.empty() || first == end) return std::nullopt;
  const std::uint64_t start = std::clamp(from.id, first, end - 1);
  if (start != from.id) from = HistorySpot{start, backward ? SIZE_MAX : 0, 0};
  const std::uint64_t count = end - first;
  const bool headers = mayMeetHeader(needle);
  // The entry of `from`, the others in order, then the entry of `from` again past `from`.
  for (std::uint64_t step = 0; step <= count; ++step) {
    const std::uint64_t id = backward ? first + (start - first + count - step % count) % count
                                      : first + (start - first + step) % count;
    const bool beyond = step == count;
    std::optional<HistorySpot> bound;
    if (step == 0) bound = from;
    const std::optional<HistorySpot> found =
        nearestIn(store, id, needle, delta, bound, backward, headers, literalRun(needle));
    if (found && (!beyond || (backward ? *found >= from : *found <= from))) return found;
    if (beyond) break;
  }
  return std::nullopt;
}

}  // namespace zt
