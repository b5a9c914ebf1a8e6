// KeyCommand: a key a screen answers to by itself (F3 opens a screen, "/" starts a search), as a
// responder of the toolkit declares its key commands. A screen lists them in
// ViewController::keyCommands(); the display list carries those of the screen on top, a renderer
// names them to the person and presses them through Touch::pressKeyCommand.
//
// `input` names the key: "F1".."F12", "Up", "Down", "PgUp", "PgDn", "Home", "End", or one
// printable character ("/", "n", "N"); any other name is never pressed. While a field is being
// edited a printable character is typed into it, so a character command applies only when no
// field is edited, whatever its scope.
//
// Plain values; the action runs on the main thread, like every touch.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zt {

enum class KeyCommandScope {
  Always,        // also while a field of the screen is edited (it keeps its text)
  WhileEditing,  // only while a field of the screen is edited
  NotEditing,    // only while none is
};

struct KeyCommand {
  std::string input;
  std::string title;  // the word the person is shown; empty: the command is not named
  std::function<void()> action;
  KeyCommandScope scope = KeyCommandScope::Always;
};

// Whether a command on `input` with `scope` applies while a field is (or is not) being edited.
bool keyCommandApplies(std::string_view input, KeyCommandScope scope, bool editing);

}  // namespace zt
