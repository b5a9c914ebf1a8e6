#include "frontend/terminal/cell_screen.h"

#include <algorithm>

namespace zt::term {

CellText::CellText(std::string_view text) {
  std::size_t size = std::min(text.size(), kRoom);
  // Cut before a continuation byte: only whole characters are kept.
  if (size < text.size()) {
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
  }
  std::memcpy(bytes_, text.data(), size);
  size_ = static_cast<std::uint8_t>(size);
}

void CellScreen::reset(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  cells_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), Cell{});
  hits_.assign(cells_.size(), -1);
  targets_.clear();
  cursor.reset();
  textBlocks.clear();
}

void CellScreen::fill(int y, int x, int count, Style style, bool focus) {
  if (y < 0 || y >= height_) return;
  const int begin = std::max(x, 0);
  const int end = std::min(width_, x + count);
  if (begin >= end) return;
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(index(begin, y));
  std::fill(first, first + (end - begin), Cell{CellText(), style, focus});
}

int CellScreen::put(int x, int y, const GlyphLine& glyphs, Style style, bool focus) {
  if (y < 0 || y >= height_) return x;
  for (const Glyph& glyph : glyphs) {
    if (x + glyph.width > width_) break;
    if (x >= 0) {
      const std::size_t first = index(x, y);
      const Style shown = glyph.escaped ? Style::Escaped : style;
      if (glyph.escaped && glyph.width > 1) {
        // Escapes such as "^[" are several ASCII characters: one per cell.
        for (int i = 0; i < glyph.width; ++i) {
          cells_[first + static_cast<std::size_t>(i)] =
              Cell{CellText(std::string_view(glyph.text).substr(static_cast<std::size_t>(i), 1)),
                   shown, focus};
        }
      } else {
        cells_[first] = Cell{CellText(std::string_view(glyph.text)), shown, focus};
        if (glyph.width == 2) cells_[first + 1] = Cell{"", shown, focus};
      }
    }
    x += glyph.width;
  }
  return x;
}

int CellScreen::putText(int x, int y, std::string_view utf8, int maxWidth, Style style,
                        bool focus) {
  const bool plain =
      std::all_of(utf8.begin(), utf8.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  if (!plain) return put(x, y, fitLine(singleLine(utf8), maxWidth), style, focus);
  // Printable ASCII, most of what screens show: one byte per cell, without building glyphs;
  // cut as fitLine cuts (the first maxWidth - 1 characters, then "…").
  const auto room = static_cast<std::size_t>(std::max(maxWidth, 0));
  const bool cut = utf8.size() > room;
  if (y < 0 || y >= height_) return x;
  for (const char c : cut ? utf8.substr(0, room == 0 ? 0 : room - 1) : utf8) {
    if (!putCell(x, y, Cell{CellText(c), style, focus})) return x;
    ++x;
  }
  if (cut && room > 0 && putCell(x, y, Cell{"\u2026", style, focus})) ++x;
  return x;
}

bool CellScreen::putCell(int x, int y, const Cell& cell) {
  if (x + 1 > width_) return false;
  if (x >= 0) cells_[index(x, y)] = cell;
  return true;
}

void CellScreen::mark(int x, int y, int count, const Target& target) {
  if (y < 0 || y >= height_) return;
  const int end = std::min(width_, x + count);
  if (end <= std::max(x, 0)) return;
  targets_.push_back(target);
  const int recorded = static_cast<int>(targets_.size()) - 1;
  for (int i = std::max(x, 0); i < end; ++i) hits_[index(i, y)] = recorded;
}

const Target* CellScreen::hit(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  const int target = hits_[index(x, y)];
  return target < 0 ? nullptr : &targets_[static_cast<std::size_t>(target)];
}

std::string CellScreen::line(int y) const {
  std::string printed;
  for (int x = 0; x < width_; ++x) printed += at(x, y).text.view();
  printed.erase(printed.find_last_not_of(' ') + 1);
  return printed;
}

std::string CellScreen::text() const {
  std::string all;
  for (int y = 0; y < height_; ++y) all += line(y) + "\n";
  return all;
}

std::optional<std::pair<int, int>> CellScreen::find(std::string_view needle) const {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      std::string here;
      for (int i = x; i < width_ && here.size() < needle.size(); ++i) here += at(i, y).text.view();
      if (here.compare(0, needle.size(), needle) == 0) return std::pair{x, y};
    }
  }
  return std::nullopt;
}

}  // namespace zt::term
