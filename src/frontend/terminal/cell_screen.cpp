#include "frontend/terminal/cell_screen.h"

#include <algorithm>

namespace zt::term {

CellScreen::CellScreen(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      cells_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)),
      hits_(cells_.size(), -1) {}

void CellScreen::fill(int y, int x, int count, Style style, bool focus) {
  if (y < 0 || y >= height_) return;
  const int end = std::min(width_, x + count);
  for (int i = std::max(x, 0); i < end; ++i) {
    cells_[index(i, y)] = Cell{" ", style, focus};
  }
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
              Cell{std::string(1, glyph.text[static_cast<std::size_t>(i)]), shown, focus};
        }
      } else {
        cells_[first] = Cell{glyph.text, shown, focus};
        if (glyph.width == 2) cells_[first + 1] = Cell{"", shown, focus};
      }
    }
    x += glyph.width;
  }
  return x;
}

int CellScreen::putText(int x, int y, std::string_view utf8, int maxWidth, Style style,
                        bool focus) {
  return put(x, y, fitLine(singleLine(utf8), maxWidth), style, focus);
}

void CellScreen::mark(int x, int y, int count, const Target& target) {
  if (y < 0 || y >= height_) return;
  const int end = std::min(width_, x + count);
  if (end <= std::max(x, 0)) return;
  targets_.push_back(target);
  const int recorded = static_cast<int>(targets_.size()) - 1;
  for (int i = std::max(x, 0); i < end; ++i) hits_[index(i, y)] = recorded;
}

const Cell& CellScreen::at(int x, int y) const {
  return cells_[index(x, y)];
}

const Target* CellScreen::hit(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  const int target = hits_[index(x, y)];
  return target < 0 ? nullptr : &targets_[static_cast<std::size_t>(target)];
}

std::string CellScreen::line(int y) const {
  std::string printed;
  for (int x = 0; x < width_; ++x) printed += at(x, y).text;
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
      for (int i = x; i < width_ && here.size() < needle.size(); ++i) here += at(i, y).text;
      if (here.compare(0, needle.size(), needle) == 0) return std::pair{x, y};
    }
  }
  return std::nullopt;
}

}  // namespace zt::term
