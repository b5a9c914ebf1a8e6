#include "transfer/history/history_lines.h"

#include <cstdio>
#include <ctime>

#include "platform/ui/text_cells.h"

namespace zt {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// "HH:mm:ss.SSS" in local time; the seconds are formatted once for a run of entries.
std::string clockTime(std::int64_t ms) {
  static std::int64_t cachedSecond = -1;
  static char cached[16] = "00:00:00";
  const std::int64_t second = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
  if (second != cachedSecond) {
    const auto seconds = static_cast<std::time_t>(second);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr ||
        std::strftime(cached, sizeof cached, "%H:%M:%S", &local) == 0) {
      static_cast<void>(std::snprintf(cached, sizeof cached, "00:00:00"));
    }
    cachedSecond = second;
  }
  char text[32];
  static_cast<void>(
      std::snprintf(text, sizeof text, "%s.%03d", cached, static_cast<int>(ms - second * 1000)));
  return text;
}

std::string deltaTime(std::int64_t ms) {
  char text[32];
  static_cast<void>(std::snprintf(text, sizeof text, "+%lld.%03d",
                                  static_cast<long long>(ms / 1000), static_cast<int>(ms % 1000)));
  return text;
}

const char* kindWord(HistoryKind kind) {
  switch (kind) {
    case HistoryKind::Received:
    case HistoryKind::Undecodable:
      return "Received ";
    case HistoryKind::Sent:
      return "Sent ";
    case HistoryKind::LinkLost:
      return "Link lost ";
    case HistoryKind::LinkBack:
      return "Link back ";
    case HistoryKind::TestFileStart:
    case HistoryKind::TestFileEnd:
    case HistoryKind::NotSent:
      break;
  }
  return "";
}

// "0010  68 65 6c 6c 6f 0d 0a                                 hello.."
std::string hexRow(std::span<const std::uint8_t> bytes, std::size_t offset) {
  char head[24];
  static_cast<void>(std::snprintf(head, sizeof head, "%04zx  ", offset));
  std::string row = head;
  std::string ascii;
  for (std::size_t i = 0; i < 16; ++i) {
    if (i < bytes.size()) {
      row += kHexDigits[bytes[i] >> 4];
      row += kHexDigits[bytes[i] & 15];
      row += ' ';
      ascii += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
    } else {
      row += "   ";
    }
  }
  return row + ' ' + ascii;
}

void splitInto(std::vector<std::string>& lines, const std::string& shown) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t feed = shown.find('\n', start);
    lines.push_back(shown.substr(start, feed - start));
    if (feed == std::string::npos) return;
    start = feed + 1;
  }
}

}  // namespace

std::string historyHeader(const HistoryStore& store, std::uint64_t id, bool delta) {
  const HistoryEntry entry = store.entry(id);
  std::string time;
  if (delta) {
    const std::int64_t before = id > store.firstId() ? store.entry(id - 1).ms : entry.ms;
    time = deltaTime(std::max<std::int64_t>(entry.ms - before, 0));
  } else {
    time = clockTime(entry.ms);
  }
  return std::string("[") + kindWord(entry.kind) + time + "]";
}

std::string historyBody(const HistoryEntry& entry) {
  if (entry.kind != HistoryKind::Undecodable) return std::string(entry.text);
  std::string body = "(" + std::to_string(entry.wire.size()) + " bytes not shown: ";
  body.reserve(body.size() + entry.wire.size() * 2 + 1);
  for (const std::uint8_t b : entry.wire) {
    body += kHexDigits[b >> 4];
    body += kHexDigits[b & 15];
  }
  return body + ")";
}

std::vector<std::string> historyLines(const HistoryStore& store, std::uint64_t id,
                                      HistoryFormat format) {
  const HistoryEntry entry = store.entry(id);
  std::vector<std::string> lines;
  const std::string header = historyHeader(store, id, format.delta);
  if (!format.hex || entry.wire.empty()) {
    splitInto(lines, visibleText(header + historyBody(entry)));
    return lines;
  }
  lines.push_back(header + " " + std::to_string(entry.wire.size()) +
                  (entry.wire.size() == 1 ? " byte" : " bytes"));
  for (std::size_t at = 0; at < entry.wire.size(); at += 16) {
    lines.push_back(hexRow(entry.wire.subspan(at, std::min<std::size_t>(16, entry.wire.size() - at)), at));
  }
  return lines;
}

std::string droppedLine(std::uint64_t dropped, std::uint64_t limitBytes) {
  const std::uint64_t mib = limitBytes >> 20;
  return "(" + std::to_string(dropped) + (dropped == 1 ? " older entry" : " older entries") +
         " dropped: the history keeps the newest " +
         (mib > 0 ? std::to_string(mib) + " MiB" : std::to_string(limitBytes) + " bytes") + ")";
}

std::vector<HistoryRow> wrapRows(const std::vector<std::string>& lines, int columns) {
  std::vector<HistoryRow> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (const GlyphLine& piece : wrapLine(singleLine(lines[i]), columns, Wrap::Characters)) {
      rows.push_back(HistoryRow{lineText(piece), i, piece.empty() ? lines[i].size() : piece.front().offset});
    }
  }
  return rows;
}

}  // namespace zt
