// The tables: groups with their headers, rows with title, value, controls and marks, and
// multi-line text views (a log) that take the lines left over, newest text at the bottom.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/terminal/display_query.h"
#include "frontend/terminal/layout_parts.h"

namespace zt::term {
namespace {

struct Block {
  const DisplaySectionHeader* header = nullptr;  // header line, or
  const DisplayRow* row = nullptr;               // a row, or neither: a blank line
  const DisplayControl* log = nullptr;           // the row's multi-line text view
  int lines = 1;
};

constexpr int kMinLogLines = 3;

// Maps the rows' own lines to screen lines; nothing is drawn outside [top, bottom).
struct Canvas {
  CellScreen& screen;
  int top, bottom, scroll;
  int at(int line) const {
    const int y = top + line - scroll;
    return y >= top && y < bottom ? y : -1;
  }
};

// The row's lines of text: its title (one line per line feed), then its further labels.
std::vector<GlyphLine> rowTexts(const DisplayRow& row) {
  std::vector<GlyphLine> texts;
  if (!row.title.empty() || row.lines.empty()) texts = textLines(row.title);
  for (const std::string& label : row.lines) texts.push_back(singleLine(label));
  return texts;
}

std::vector<Block> blocks(const DisplayList& list, int room) {
  std::vector<Block> out;
  const TableView* table = nullptr;
  for (const DisplayItem& item : list.items) {
    if (const auto* header = std::get_if<DisplaySectionHeader>(&item)) {
      if (!out.empty()) out.push_back(Block{});
      if (!header->text.empty()) out.push_back(Block{header, nullptr, nullptr, 1});
      table = header->table.get();
    } else if (const auto* row = std::get_if<DisplayRow>(&item)) {
      if (!out.empty() && row->table.get() != table) out.push_back(Block{});
      table = row->table.get();
      Block block{nullptr, row, nullptr, 1};
      block.lines = static_cast<int>(rowTexts(*row).size());
      for (const DisplayControl& control : row->controls) {
        if (isMultiLine(*row, control)) block.log = &control;
      }
      if (block.log) block.lines = (row->title.empty() ? 0 : 1) + kMinLogLines;
      out.push_back(block);
    }
  }
  int used = 0;
  int logs = 0;
  for (const Block& block : out) {
    used += block.lines;
    if (block.log) ++logs;
  }
  for (Block& block : out) {
    if (block.log && room > used) block.lines += (room - used) / logs;
  }
  return out;
}

// The end of a long text: enough bytes for `lines` lines, starting at a line or character. Each
// line of the text takes at least one line on screen, so the last lines + 1 of them are enough
// however long they are (a flood's batch is tens of kilobytes; only its end is drawn).
std::string_view tail(std::string_view text, int lines, int width) {
  auto keep = static_cast<std::size_t>(lines + 1) * static_cast<std::size_t>(width) * 4 + 64;
  std::size_t from = text.size();
  for (int feeds = 0; feeds <= lines && from > 0; ++feeds) {
    from = text.rfind('\n', from - 1);
    if (from == std::string_view::npos) break;
  }
  if (from != std::string_view::npos && from > 0) keep = std::min(keep, text.size() - from - 1);
  if (text.size() <= keep) return text;
  std::string_view rest = text.substr(text.size() - keep);
  if (const auto feed = rest.find('\n'); feed != std::string_view::npos) {
    return rest.substr(feed + 1);
  }
  while (!rest.empty() && (static_cast<unsigned char>(rest.front()) & 0xC0) == 0x80) {
    rest.remove_prefix(1);
  }
  return rest;
}

bool isMarked(const DisplayControl& log, std::size_t offset) {
  return std::any_of(log.marked.begin(), log.marked.end(), [offset](const Range& mark) {
    return offset >= mark.location && offset < mark.location + mark.length;
  });
}

// One line of the log, its marked glyphs highlighted; `base`: the line's text's offset in the
// view's text.
void drawLogLine(CellScreen& screen, int y, const GlyphLine& line, const DisplayControl& log,
                 std::size_t base) {
  if (log.marked.empty()) {
    screen.put(2, y, line, Style::Log);
    return;
  }
  int x = 2;
  for (const Glyph& glyph : line) {
    x = screen.put(x, y, GlyphLine{glyph}, Style::Log, isMarked(log, base + glyph.offset));
  }
}

// Whether the text is printable ASCII between line feeds (or carriage return and line feed),
// as a received stream mostly is: then it is drawn without glyphs.
bool plainLines(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool breaks = c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
    if ((c < 0x20 || c >= 0x7F) && !breaks) return false;
  }
  return true;
}

// Plain text as wrapText breaks it: each line cut into pieces of `width` characters (an empty
// line is one empty piece).
std::vector<std::string_view> plainPieces(std::string_view text, std::size_t width) {
  std::vector<std::string_view> pieces;
  for (std::size_t from = 0;;) {
    const std::size_t feed = text.find('\n', from);
    std::string_view line = text.substr(from, feed == std::string_view::npos ? feed : feed - from);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    do {
      pieces.push_back(line.substr(0, width));
      line.remove_prefix(std::min(width, line.size()));
    } while (!line.empty());
    if (feed == std::string_view::npos) return pieces;
    from = feed + 1;
  }
}

// The last `lines` lines of plain text, byte by byte into cells.
void drawPlainLog(const Canvas& canvas, int first, int lines, std::string_view shown, int width) {
  const auto pieces = plainPieces(shown, static_cast<std::size_t>(width));
  const std::size_t skip = pieces.size() - std::min(pieces.size(), static_cast<std::size_t>(lines));
  for (int i = 0; i < lines; ++i) {
    const int y = canvas.at(first + i);
    const std::size_t index = skip + static_cast<std::size_t>(i);
    if (y >= 0 && index < pieces.size()) {
      canvas.screen.putText(2, y, pieces[index], width, Style::Log);
    }
  }
}

void drawLog(const Canvas& canvas, int first, int lines, const DisplayControl& log) {
  CellScreen& screen = canvas.screen;
  const int width = screen.width() - 4;
  screen.textBlocks.push_back(CellScreen::TextBlock{log.view, lines, width});
  const std::string_view shown = tail(log.text, lines, width);
  if (log.marked.empty() && width > 0 && plainLines(shown)) {
    drawPlainLog(canvas, first, lines, shown, width);
    return;
  }
  const auto base = static_cast<std::size_t>(shown.data() - log.text.data());
  auto wrapped = wrapText(shown, width);
  const auto skip = wrapped.size() > static_cast<std::size_t>(lines)
                        ? wrapped.size() - static_cast<std::size_t>(lines)
                        : 0;
  // A fresh screen is blank, and the log's blanks look like any other: only its text is drawn
  // (the log takes most of the screen, so this is most of a frame's cells).
  for (int i = 0; i < lines; ++i) {
    const int y = canvas.at(first + i);
    const std::size_t index = skip + static_cast<std::size_t>(i);
    if (y >= 0 && index < wrapped.size()) drawLogLine(screen, y, wrapped[index], log, base);
  }
}

const char* markGlyph(DisplayAccessory accessory) {
  switch (accessory) {
    case DisplayAccessory::DisclosureIndicator: return "\u203A";
    case DisplayAccessory::Checkmark: return "\u2713";
    case DisplayAccessory::DetailButton: return "\u24D8";
    case DisplayAccessory::None: break;
  }
  return nullptr;
}

Target rowTarget(const DisplayRow& row, Target::Kind kind) {
  Target target{kind};
  target.table = row.table;
  target.path = row.path;
  return target;
}

// Draws the row's controls from `right` leftwards; returns the new right end.
int drawControls(CellScreen& screen, int y, const DisplayRow& row, int right, int titleWidth,
                 bool focused) {
  for (const DisplayControl& control : row.controls) {
    if (isMultiLine(row, control)) continue;
    Target target = rowTarget(row, Target::Kind::TextInput);
    target.view = control.view;
    const int room = right - 2;
    if (room < 3) break;  // no room left on a narrow line
    int width = 0;
    if (isTextInput(control)) {
      width = row.title.empty() ? room
                                : std::max(std::min(room - titleWidth - 2, std::max(room / 2, 16)),
                                           std::min(8, room));
      drawField(screen, right - width, y, width, control, focused);
    } else {
      std::string label = control.text;
      if (control.kind == DisplayControl::Kind::Switch) label = control.on ? "[ON ]" : "[OFF]";
      if (control.kind == DisplayControl::Kind::Button) label = "[ " + control.text + " ]";
      const GlyphLine shown = fitLine(singleLine(label), room);
      width = lineWidth(shown);
      const Style style = !control.enabled ? Style::Disabled
                          : control.kind == DisplayControl::Kind::TextView ? Style::Value
                                                                           : Style::Control;
      screen.put(right - width, y, shown, style, focused);
      target.kind = control.kind == DisplayControl::Kind::Switch   ? Target::Kind::Switch
                    : control.kind == DisplayControl::Kind::Button ? Target::Kind::ControlButton
                                                                   : Target::Kind::Row;
    }
    if (control.enabled) screen.mark(right - width, y, width, target);
    right -= width + 1;
  }
  return right;
}

// Draws the right end of a row's first line (its mark, controls and value) from `right`
// leftwards; returns where the title must end.
int drawRowEnd(CellScreen& screen, int y, const DisplayRow& row, int right, int titleWidth,
               bool focused) {
  if (const char* mark = markGlyph(row.accessory)) {
    screen.putText(right - 1, y, mark, 1, Style::Mark, focused);
    if (row.accessory == DisplayAccessory::DetailButton) {
      screen.mark(right - 2, y, 4, rowTarget(row, Target::Kind::DetailButton));
    }
    right -= 3;
  }
  right = drawControls(screen, y, row, right, titleWidth, focused);
  if (row.value.empty()) return right;
  const GlyphLine value = fitLine(singleLine(row.value), std::max(right - 2 - 8, 1));
  right -= lineWidth(value);
  screen.put(right, y, value, Style::Value, focused);
  return right - 1;
}

void drawRow(const Canvas& canvas, int first, const Block& block, bool focused) {
  CellScreen& screen = canvas.screen;
  const DisplayRow& row = *block.row;
  const auto titles = rowTexts(row);
  // Further labels (lines after the title) are centred under a centred or missing title.
  const bool centred = row.titleAlignment == TextAlignment::Center || row.title.empty();
  const std::size_t titleCount = titles.size() - row.lines.size();
  for (std::size_t i = 0; i < titles.size() && !block.log; ++i) {
    const int y = canvas.at(first + static_cast<int>(i));
    if (y < 0) continue;
    screen.fill(y, 0, screen.width(), Style::Row, focused);
    screen.mark(0, y, screen.width(), rowTarget(row, Target::Kind::Row));
    int right = screen.width() - 2;
    if (i == 0) right = drawRowEnd(screen, y, row, right, lineWidth(titles[0]), focused);
    const GlyphLine title = fitLine(titles[i], std::max(right - 2, 0));
    int x = 2;
    if (row.titleAlignment == TextAlignment::Center || (i >= titleCount && centred)) {
      x = std::clamp((screen.width() - lineWidth(title)) / 2, 2, std::max(right - lineWidth(title), 2));
    } else if (row.titleAlignment == TextAlignment::Right && i == 0) {
      x = std::max(right - lineWidth(title), 2);
    }
    screen.put(x, y, title, Style::Row, focused);
  }
  if (!block.log) return;
  int logFirst = first;
  if (!row.title.empty()) {
    if (const int y = canvas.at(first); y >= 0) screen.putText(2, y, row.title, screen.width() - 4, Style::Row, focused);
    ++logFirst;
  }
  drawLog(canvas, logFirst, block.lines - (logFirst - first), *block.log);
}

}  // namespace

int drawTables(CellScreen& screen, int top, int bottom, const DisplayList& list,
               const Focus& focus, int scroll) {
  const int room = std::max(bottom - top, 0);
  const auto all = blocks(list, room);
  int total = 0, focusFirst = -1, focusLines = 0;
  for (const Block& block : all) {
    if (block.row && focus.hasRow && block.row->table.get() == focus.table &&
        block.row->path == focus.row) {
      focusFirst = total;
      focusLines = block.lines;
    }
    total += block.lines;
  }
  if (focusFirst >= 0) {
    scroll = std::min(scroll, focusFirst);
    scroll = std::max(scroll, focusFirst + std::min(focusLines, room) - room);
  }
  scroll = std::clamp(scroll, 0, std::max(total - room, 0));
  const Canvas canvas{screen, top, bottom, scroll};
  int line = 0;
  for (const Block& block : all) {
    const int y = canvas.at(line);
    if (block.header && y >= 0) {
      screen.putText(1, y, block.header->text, screen.width() - 2, Style::Header);
    } else if (block.row) {
      const bool focused = focus.area == Focus::Area::Table && line == focusFirst;
      drawRow(canvas, line, block, focused);
    }
    line += block.lines;
  }
  return scroll;
}

}  // namespace zt::term
