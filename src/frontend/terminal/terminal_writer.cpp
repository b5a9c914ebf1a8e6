#include "frontend/terminal/terminal_writer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <curses.h>  // last: its macros clash with C++ names
#include <term.h>

namespace zt::term {
namespace {

constexpr int kStyles = static_cast<int>(Style::Disabled) + 1;

struct Look {
  short fg;  // -1: the terminal's own
  short bg;
  bool bold, dim, reverse, underline;  // with colours
  bool plainReverse, plainUnderline, plainDim;  // without: bold stays, reverse/underline/dim
};

// The look of each style, in the order of the Style enumeration.
constexpr Look kLooks[kStyles] = {
    {-1, -1, false, false, false, false, false, false, false},                  // Plain
    {COLOR_WHITE, COLOR_BLUE, false, false, false, false, true, false, false},  // Bar
    {COLOR_WHITE, COLOR_BLUE, true, false, false, false, true, false, false},   // BarTitle
    {COLOR_YELLOW, COLOR_BLUE, true, false, false, false, true, false, false},  // BarButton
    {COLOR_CYAN, -1, true, false, false, false, false, false, false},           // Header
    {-1, -1, false, false, false, false, false, false, false},                  // Row
    {COLOR_CYAN, -1, false, false, false, false, false, false, false},          // Value
    {COLOR_GREEN, -1, true, false, false, false, false, false, false},          // Mark
    {COLOR_GREEN, -1, true, false, false, false, false, false, false},          // Control
    {COLOR_BLACK, COLOR_WHITE, false, false, false, false, false, true, false}, // Field
    {COLOR_BLUE, COLOR_WHITE, false, false, false, false, false, true, true},   // Placeholder
    {COLOR_MAGENTA, -1, true, false, false, false, false, true, false},         // Escaped
    {-1, -1, false, false, false, false, false, false, false},                  // Log
    {COLOR_WHITE, COLOR_BLUE, false, false, false, false, true, false, false},  // Toolbar
    {-1, -1, false, false, false, false, false, false, false},                  // Hint
    {COLOR_BLACK, COLOR_CYAN, false, false, false, false, true, false, false},  // HintKey
    {COLOR_BLACK, COLOR_WHITE, false, false, false, false, false, false, false},  // Box
    {COLOR_BLACK, COLOR_WHITE, true, false, false, false, false, false, false},   // BoxTitle
    {-1, -1, true, false, false, false, false, false, false},                   // Splash
    {-1, -1, false, true, false, false, false, false, true},                    // Disabled
};

// tputs() hands its output to a function of one character: this is where it goes.
std::string* target = nullptr;

int append(int c) {
  target->push_back(static_cast<char>(c));
  return c;
}

// Appends a terminfo string (its padding handled by tputs); nothing when the terminal lacks it.
void put(std::string& out, const char* capability) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): terminfo marks a cancelled string with -1
  if (capability == nullptr || capability == reinterpret_cast<const char*>(-1)) return;
  target = &out;
  tputs(capability, 1, append);
  target = nullptr;
}

std::string codes(const Look& look, bool colours, bool focus) {
  std::string out;
  put(out, exit_attribute_mode);
  const bool reverse = (colours ? look.reverse : look.plainReverse) != focus;
  if (look.bold) put(out, enter_bold_mode);
  if (colours ? look.dim : look.plainDim) put(out, enter_dim_mode);
  if (colours ? look.underline : look.plainUnderline) put(out, enter_underline_mode);
  if (reverse) put(out, enter_reverse_mode);
  if (colours && look.fg >= 0 && set_a_foreground) put(out, tiparm(set_a_foreground, look.fg));
  if (colours && look.bg >= 0 && set_a_background) put(out, tiparm(set_a_background, look.bg));
  return out;
}

}  // namespace

TerminalWriter::TerminalWriter(bool colours) {
  for (const bool focus : {false, true}) {
    for (const Look& look : kLooks) styles_.push_back(codes(look, colours, focus));
  }
}

void TerminalWriter::forget() {
  width_ = -1;
  height_ = -1;
  cursorX_ = -1;
  style_ = -1;
  cursorShown_ = -1;
}

void TerminalWriter::draw(const CellScreen& screen) {
  if (width_ != screen.width() || height_ != screen.height()) {
    width_ = screen.width();
    height_ = screen.height();
    put(out_, exit_attribute_mode);
    put(out_, clear_screen);
    style_ = -1;
    cursorX_ = -1;
    // What a cleared terminal shows.
    shown_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), Cell{});
  }
  // Without a margin that holds the cursor, writing the bottom-right cell would scroll.
  const bool lastCell = eat_newline_glitch;
  const auto width = static_cast<std::size_t>(width_);
  for (int y = 0; y < height_ && width > 0; ++y) {
    Cell* const shown = shown_.data() + static_cast<std::size_t>(y) * width;
    const Cell* const row = screen.row(y);
    // Most lines of a frame are as they were: one comparison passes each of them.
    if (std::memcmp(shown, row, width * sizeof(Cell)) == 0) continue;
    for (int x = 0; x < width_; ++x) {
      const Cell& cell = row[x];
      if (shown[x] == cell) continue;
      shown[x] = cell;
      // An empty cell is the right half of the wide glyph before it, which covers it.
      if (cell.text.empty() || (!lastCell && y == height_ - 1 && x == width_ - 1)) continue;
      moveTo(x, y);
      setStyle(cell);
      const std::string_view text = cell.text.view();
      if (text.size() == 1) {
        out_.push_back(text.front());  // most cells: one byte, without a copy call
      } else {
        out_.append(text);
      }
      cursorX_ = x + 1;  // a wide glyph's second cell is skipped above, and moved past here
    }
  }
  const int visible = screen.cursor ? 1 : 0;
  if (visible != cursorShown_) put(out_, visible ? cursor_normal : cursor_invisible);
  cursorShown_ = visible;
  if (screen.cursor) moveTo(screen.cursor->first, screen.cursor->second);
  send();
}

void TerminalWriter::moveTo(int x, int y) {
  if ((x == cursorX_ && y == cursorY_) || cursor_address == nullptr) return;
  put(out_, tiparm(cursor_address, y, x));
  cursorX_ = x;
  cursorY_ = y;
}

void TerminalWriter::setStyle(const Cell& cell) {
  const int style = static_cast<int>(cell.style) + (cell.focus ? kStyles : 0);
  if (style == style_) return;
  out_.append(styles_[static_cast<std::size_t>(style)]);
  style_ = style;
}

void TerminalWriter::send() {
  std::size_t sent = 0;
  while (sent < out_.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, out_.data() + sent, out_.size() - sent);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the terminal has gone: the input side notices and ends the program
    sent += static_cast<std::size_t>(n);
  }
  out_.clear();
}

}  // namespace zt::term
