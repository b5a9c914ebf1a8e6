// The keyboard contract: one table of rows for each state the screen can be in (an alert up, a
// menu up, a field being edited, or none of these), each row a set of keys, what they do and
// the word the hint line gives them; then the rows every state shares (Ctrl-C, Ctrl-Z). The key
// mapper takes the first row that takes a key; the hint line names the rows in order. In the
// editing and the normal state the key commands of the screen on top come before every row, so
// a screen may take Up or `q` for itself; an alert or a menu takes the keys before any screen.
//
// Pure; the tables are constants, the rows look only at the context they are given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "frontend/terminal/action.h"
#include "frontend/terminal/display_query.h"
#include "frontend/terminal/focus.h"
#include "frontend/terminal/key.h"

namespace zt::term {

enum class KeyState { Alert, Menu, Editing, Normal };

// What a row looks at: the display list shown, the focus, the state and the field edited.
struct KeyContext {
  const DisplayList& list;
  const Focus& focus;
  KeyState state = KeyState::Normal;
  EditingInfo edit;
  int pageRows = 10;  // how many rows PgUp and PgDn move
  bool brief = false;  // the hint line is short of room: the back button is named "back"
};

struct KeyRow {
  std::vector<Key::Code> codes;  // the keys it takes
  std::string_view chars;        // with Code::Char: the characters it takes ("": every one)
  std::string_view label;        // the keys as the hint line names them
  std::vector<Action> (*act)(const Key& key, const KeyContext& context);
  std::string (*hint)(const KeyContext& context);  // what the keys do now ("": say nothing)
};

KeyContext keyContext(const DisplayList& list, const Focus& focus, int pageRows = 10);
// The rows of `state`, then the rows every state shares.
std::vector<const KeyRow*> keyRows(KeyState state);
bool takes(const KeyRow& row, const Key& key);
// The screen's key commands that apply in the context: none while an alert or a menu is up.
std::vector<const DisplayKeyCommands::Command*> applicableCommands(const KeyContext& context);

// The one name of a key, as the documents and key commands spell it ("PgUp", "Esc", "F3",
// "Shift-Tab", "Ctrl-C", or the character typed).
std::string keyName(const Key& key);
// Every key the tables take, by name, once each ("1..9" for the digits); typing is not a key.
std::vector<std::string> documentedKeys();

}  // namespace zt::term
