// CellScreen: an off-screen terminal of styled cells, what the layout step produces and the
// curses layer copies to the terminal. Beside every cell it records the touch target that lies
// there (the hit map), so a mouse click finds what it tapped without knowing any screen.
//
// Writes outside the screen are clipped; a wide glyph that does not fit is not drawn. Plain
// value type; no threads.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/ui/text_cells.h"
#include "platform/ui/display_list.h"

namespace zt::term {

// What a cell looks like; the curses layer maps each to colours or plain attributes.
enum class Style : std::uint8_t {
  Plain, Bar, BarTitle, BarButton, Header, Row, Value, Mark, Control, Field, Placeholder,
  Escaped, Log, Toolbar, Hint, HintKey, Box, BoxTitle, Splash, Disabled
};

// One glyph's UTF-8 bytes kept inside the cell, so that a screen of cells is built, copied and
// compared as plain memory. A glyph longer than the room (a character under a pile of combining
// marks) keeps the whole characters that fit.
class CellText {
 public:
  static constexpr std::size_t kRoom = 13;
  CellText() : bytes_{' '}, size_(1) {}  // a blank
  CellText(std::string_view text);  // NOLINT(google-explicit-constructor): a glyph is its text
  CellText(const char* text) : CellText(std::string_view(text)) {}  // NOLINT(google-explicit-constructor)
  explicit CellText(char ascii) : bytes_{ascii}, size_(1) {}  // one byte of printable ASCII

  std::string_view view() const { return {bytes_, size_}; }
  operator std::string_view() const { return view(); }  // NOLINT(google-explicit-constructor)
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }

 private:
  char bytes_[kRoom] = {};  // unused bytes stay zero, so equal texts are equal bytes
  std::uint8_t size_ = 0;
};

struct Cell {
  CellText text;           // one glyph; empty in the second cell of a wide glyph
  Style style = Style::Plain;
  bool focus = false;      // drawn highlighted (reverse)
  // Compared for every cell of every frame: as bytes (a cell has no padding).
  friend bool operator==(const Cell& a, const Cell& b) {
    return std::memcmp(&a, &b, sizeof(Cell)) == 0;
  }
};
static_assert(std::has_unique_object_representations_v<Cell>);

// Something a click or a key can act on.
struct Target {
  enum class Kind {
    Row, DetailButton, Switch, TextInput, ControlButton, BarButton, ToolbarEntry, KeyboardKey,
    SheetEntry, AlertButton
  };
  Target() = default;
  explicit Target(Kind k) : kind(k) {}

  Kind kind = Kind::Row;
  std::shared_ptr<TableView> table;  // rows and their controls
  IndexPath path;
  std::shared_ptr<View> view;        // switches, text inputs, buttons in rows or the toolbar
  std::shared_ptr<BarButtonItem> item;  // bar buttons (null: the back button) and toolbar items
  std::shared_ptr<Button> key;       // a key laid over the keyboard
  std::shared_ptr<ActionSheet> sheet;
  std::shared_ptr<AlertView> alert;
  int index = -1;                    // toolbar entry, sheet entry or alert button
};

class CellScreen {
 public:
  CellScreen(int width, int height) { reset(width, height); }

  // Blank again at this size, with no targets, cursor or text blocks; the memory is kept, so a
  // screen drawn every frame asks for none.
  void reset(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }

  // Fills the whole line (or a part of it) with blanks of `style`.
  void fill(int y, int x, int count, Style style, bool focus = false);
  // Draws glyphs from x; returns the x after the last drawn cell.
  int put(int x, int y, const GlyphLine& glyphs, Style style, bool focus = false);
  // Draws text made safe as one line, cut to `maxWidth` cells with "…".
  int putText(int x, int y, std::string_view utf8, int maxWidth, Style style,
              bool focus = false);
  // Records `target` under the cells [x, x + count) of line y; later records win.
  void mark(int x, int y, int count, const Target& target);

  const Cell& at(int x, int y) const { return cells_[index(x, y)]; }
  // The `width()` cells of line y (in range).
  const Cell* row(int y) const { return cells_.data() + index(0, y); }
  const Target* hit(int x, int y) const;
  // The printed text of line y, trailing blanks removed.
  std::string line(int y) const;
  // All lines joined with "\n" (tests).
  std::string text() const;
  // Position (column, line) of the first occurrence of `needle`, by cells.
  std::optional<std::pair<int, int>> find(std::string_view needle) const;

  // Where the terminal cursor stands (a field being edited), if anywhere.
  std::optional<std::pair<int, int>> cursor;
  // How many lines of how many cells each read-only text view drawn as a block got.
  struct TextBlock {
    std::shared_ptr<View> view;
    int lines = 0;
    int columns = 0;
  };
  std::vector<TextBlock> textBlocks;

 private:
  // Writes a one-cell glyph on line y (in range) unless it would pass the right edge; whether
  // it fitted (a cell left of the screen is clipped and counts as fitted).
  bool putCell(int x, int y, const Cell& cell);
  std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<Cell> cells_;
  std::vector<int> hits_;  // index into targets_, -1 for none
  std::vector<Target> targets_;
};

}  // namespace zt::term
