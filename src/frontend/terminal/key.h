// Key: one key press as the front end understands it, independent of curses, so that the key
// mapper can be tested with plain values. `text` holds the UTF-8 of a printable character.
// Plain value; no threading rules of its own.
#pragma once

#include <string>

namespace zt::term {

struct Key {
  enum class Code {
    Char, Up, Down, Left, Right, PageUp, PageDown, Home, End, Tab, BackTab, Enter, Escape,
    Backspace, F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12, Interrupt, Suspend, Other
  };
  Code code = Code::Other;
  std::string text;  // Code::Char only

  static Key character(std::string utf8) { return Key{Code::Char, std::move(utf8)}; }
  static Key of(Code code) { return Key{code, {}}; }
};

}  // namespace zt::term
