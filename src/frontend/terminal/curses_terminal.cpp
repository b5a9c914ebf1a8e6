#include "frontend/terminal/curses_terminal.h"

#include <langinfo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/ui/text_cells.h"

#include <curses.h>  // last: its macros clash with C++ names
#include <term.h>

namespace zt::term {

struct CursesTerminal::ScreenHandle {
  SCREEN* screen = nullptr;
};

namespace {

constexpr int kStyles = static_cast<int>(Style::Disabled) + 1;

struct Look {
  short fg;
  short bg;
  attr_t colourAttrs;  // with colours
  attr_t plainAttrs;   // without
};

// The look of each style, in the order of the Style enumeration.
constexpr Look kLooks[kStyles] = {
    {-1, -1, A_NORMAL, A_NORMAL},                          // Plain
    {COLOR_WHITE, COLOR_BLUE, A_NORMAL, A_REVERSE},        // Bar
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE | A_BOLD},  // BarTitle
    {COLOR_YELLOW, COLOR_BLUE, A_BOLD, A_REVERSE | A_BOLD},  // BarButton
    {COLOR_CYAN, -1, A_BOLD, A_BOLD},                      // Header
    {-1, -1, A_NORMAL, A_NORMAL},                          // Row
    {COLOR_CYAN, -1, A_NORMAL, A_NORMAL},                  // Value
    {COLOR_GREEN, -1, A_BOLD, A_BOLD},                     // Mark
    {COLOR_GREEN, -1, A_BOLD, A_BOLD},                     // Control
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_UNDERLINE},     // Field
    {COLOR_BLUE, COLOR_WHITE, A_NORMAL, A_UNDERLINE | A_DIM},  // Placeholder
    {COLOR_MAGENTA, -1, A_BOLD, A_BOLD | A_UNDERLINE},     // Escaped
    {-1, -1, A_NORMAL, A_NORMAL},                          // Log
    {COLOR_WHITE, COLOR_BLUE, A_NORMAL, A_REVERSE},        // Toolbar
    {-1, -1, A_NORMAL, A_NORMAL},                          // Hint
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_REVERSE},        // HintKey
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},        // Box
    {COLOR_BLACK, COLOR_WHITE, A_BOLD, A_BOLD},            // BoxTitle
    {-1, -1, A_BOLD, A_BOLD},                              // Splash
    {-1, -1, A_DIM, A_DIM},                                // Disabled
};

// Text is UTF-8 whatever the environment says. Called on the main thread before any other
// thread starts.
void chooseLocale() {
  // NOLINTNEXTLINE(concurrency-mt-unsafe): no other thread runs yet
  if (std::setlocale(LC_ALL, "") == nullptr ||
      std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {  // NOLINT(concurrency-mt-unsafe)
    // Without C.UTF-8 the terminal shows what it can; there is nothing better to fall back to.
    (void)std::setlocale(LC_CTYPE, "C.UTF-8");  // NOLINT(concurrency-mt-unsafe)
  }
}

Key keyFromCode(wint_t code) {
  using Code = Key::Code;
  switch (code) {
    case KEY_UP: return Key::of(Code::Up);
    case KEY_DOWN: return Key::of(Code::Down);
    case KEY_LEFT: return Key::of(Code::Left);
    case KEY_RIGHT: return Key::of(Code::Right);
    case KEY_PPAGE: return Key::of(Code::PageUp);
    case KEY_NPAGE: return Key::of(Code::PageDown);
    case KEY_HOME: return Key::of(Code::Home);
    case KEY_END: return Key::of(Code::End);
    case KEY_BTAB: return Key::of(Code::BackTab);
    case KEY_ENTER: return Key::of(Code::Enter);
    case KEY_BACKSPACE: return Key::of(Code::Backspace);
    default: break;
  }
  if (code >= KEY_F(1) && code <= KEY_F(12)) {
    const int number = static_cast<int>(code) - KEY_F(1);
    return Key::of(static_cast<Code>(static_cast<int>(Code::F1) + number));
  }
  return Key::of(Code::Other);
}

Key keyFromCharacter(wint_t c) {
  using Code = Key::Code;
  switch (c) {
    case '\r':
    case '\n': return Key::of(Code::Enter);
    case '\t': return Key::of(Code::Tab);
    case 27: return Key::of(Code::Escape);
    case 8:
    case 127: return Key::of(Code::Backspace);
    case 3: return Key::of(Code::Interrupt);
    case 26: return Key::of(Code::Suspend);
    default: break;
  }
  if (c < 0x20 || (c >= 0x80 && c < 0xA0) || c > 0x10FFFF) return Key::of(Code::Other);
  // Encode the character as UTF-8; the sanitizer will show it safely wherever it ends up.
  std::string utf8;
  appendUtf8(utf8, static_cast<char32_t>(c));
  return Key::character(std::move(utf8));
}

}  // namespace

std::unique_ptr<CursesTerminal> CursesTerminal::open(std::string& error) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    error = "standard input and output must be a terminal";
    return nullptr;
  }
  const char* type = std::getenv("TERM");  // NOLINT(concurrency-mt-unsafe): nothing sets it
  if (!type || !*type) {
    error = "TERM is not set";
    return nullptr;
  }
  chooseLocale();
  // Look the type up first: unlike newterm, a failed setupterm leaves nothing allocated.
  int lookup = 0;
  if (setupterm(type, STDOUT_FILENO, &lookup) != OK) {
    error = std::string("unknown terminal type \"") + type + "\"";
    return nullptr;
  }
  del_curterm(cur_term);
  SCREEN* screen = newterm(nullptr, stdout, stdin);
  if (!screen) {
    error = std::string("unknown terminal type \"") + type + "\"";
    return nullptr;
  }
  set_term(screen);
  std::unique_ptr<CursesTerminal> terminal(new CursesTerminal);
  terminal->handle_ = new ScreenHandle{screen};
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  set_escdelay(25);
  mousemask(BUTTON1_CLICKED, nullptr);
  terminal->setUpColours();
  return terminal;
}

CursesTerminal::~CursesTerminal() {
  if (!handle_) return;
  curs_set(1);
  endwin();
  delscreen(handle_->screen);
  delete handle_;
}

void CursesTerminal::setUpColours() {
  colours_ = has_colors();
  if (!colours_) return;
  start_color();
  use_default_colors();
  for (int i = 0; i < kStyles; ++i) {
    init_pair(static_cast<short>(i + 1), kLooks[i].fg, kLooks[i].bg);
  }
}

int CursesTerminal::width() const { return getmaxx(stdscr); }
int CursesTerminal::height() const { return getmaxy(stdscr); }

void CursesTerminal::draw(const CellScreen& screen) {
  const bool full = !shown_ || shown_->width() != screen.width() ||
                    shown_->height() != screen.height();
  if (full) erase();
  for (int y = 0; y < screen.height(); ++y) {
    for (int x = 0; x < screen.width(); ++x) {
      const Cell& cell = screen.at(x, y);
      if (cell.text.empty() || (!full && shown_->at(x, y) == cell)) continue;
      const auto index = static_cast<int>(cell.style);
      const Look& look = kLooks[index];
      attr_t attrs = colours_ ? look.colourAttrs : look.plainAttrs;
      if (cell.focus) attrs ^= A_REVERSE;
      std::u32string chars = decodeUtf8(cell.text);
      wchar_t wide[CCHARW_MAX] = {};
      for (std::size_t i = 0; i < chars.size() && i + 1 < CCHARW_MAX; ++i) {
        wide[i] = static_cast<wchar_t>(chars[i]);
      }
      cchar_t shown;
      setcchar(&shown, wide, attrs, colours_ ? static_cast<short>(index + 1) : 0, nullptr);
      mvadd_wch(y, x, &shown);  // ERR in the bottom-right cell only means "no room to move on"
    }
  }
  if (screen.cursor) {
    curs_set(1);
    move(screen.cursor->second, screen.cursor->first);
  } else {
    curs_set(0);
  }
  refresh();
  shown_ = screen;
}

std::vector<InputEvent> CursesTerminal::read() {
  std::vector<InputEvent> events;
  wint_t c = 0;
  for (int kind = get_wch(&c); kind != ERR; kind = get_wch(&c)) {
    if (kind != KEY_CODE_YES) {
      events.push_back(InputEvent::pressed(keyFromCharacter(c)));
    } else if (c == KEY_RESIZE) {
      events.push_back(InputEvent::resized());
    } else if (c == KEY_MOUSE) {
      MEVENT mouse{};
      if (getmouse(&mouse) == OK && (mouse.bstate & BUTTON1_CLICKED)) {
        events.push_back(InputEvent::click(mouse.x, mouse.y));
      }
    } else {
      events.push_back(InputEvent::pressed(keyFromCode(c)));
    }
  }
  return events;
}

void CursesTerminal::resize() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    resizeterm(size.ws_row, size.ws_col);
  }
  shown_.reset();
}

void CursesTerminal::release() {
  curs_set(1);
  endwin();
  (void)std::fflush(stdout);  // nothing to do if the terminal has gone
}

void CursesTerminal::resume() {
  refresh();
  clearok(stdscr, TRUE);
  shown_.reset();
}

}  // namespace zt::term
