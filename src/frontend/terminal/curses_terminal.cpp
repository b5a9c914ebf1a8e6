#include "frontend/terminal/curses_terminal.h"

#include <langinfo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "platform/ui/text_cells.h"

#include <curses.h>  // last: its macros clash with C++ names
#include <term.h>

namespace zt::term {

struct CursesTerminal::ScreenHandle {
  SCREEN* screen = nullptr;
};

namespace {

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

// Why the terminal cannot be used, in our words: the system's would not say what to change.
PlatformError unusable(int error, std::string sentence) {
  return {std::error_code(error, std::generic_category()), "terminal", std::move(sentence)};
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

PlatformResult<std::unique_ptr<CursesTerminal>> CursesTerminal::open() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    return unusable(ENOTTY, "standard input and output must be a terminal");
  }
  const char* type = std::getenv("TERM");  // NOLINT(concurrency-mt-unsafe): nothing sets it
  if (!type || !*type) return unusable(EINVAL, "TERM is not set");
  chooseLocale();
  // Look the type up first: unlike newterm, a failed setupterm leaves nothing allocated.
  int lookup = 0;
  if (setupterm(type, STDOUT_FILENO, &lookup) != OK) {
    return unusable(EINVAL, std::string("unknown terminal type \"") + type + "\"");
  }
  del_curterm(cur_term);
  SCREEN* screen = newterm(nullptr, stdout, stdin);
  if (!screen) return unusable(EINVAL, std::string("unknown terminal type \"") + type + "\"");
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
  refresh();  // curses clears the terminal and sends its set-up; from here the writer draws
  terminal->writer_.emplace(terminal->colours_);
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
}

int CursesTerminal::width() const { return getmaxx(stdscr); }
int CursesTerminal::height() const { return getmaxy(stdscr); }

void CursesTerminal::draw(const CellScreen& screen) { writer_->draw(screen); }

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
  refresh();  // curses redraws its (empty) screen now, not at the next key it reads
  writer_->forget();
}

void CursesTerminal::release() {
  curs_set(1);
  endwin();
  (void)std::fflush(stdout);  // nothing to do if the terminal has gone
}

void CursesTerminal::resume() {
  refresh();  // back in the program's modes
  writer_->forget();
}

}  // namespace zt::term
