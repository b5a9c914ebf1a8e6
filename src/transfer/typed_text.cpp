#include "transfer/typed_text.h"

#include <optional>

#include "settings/utf8_sequence.h"

namespace zt {
namespace {

void add(TypedText& text, std::string_view bytes, bool raw) {
  if (bytes.empty()) return;
  if (text.pieces.empty() || text.pieces.back().raw != raw) text.pieces.push_back({"", raw});
  text.pieces.back().bytes.append(bytes);
}

// Where the `count` characters from `at` on end, within `typed`.
std::size_t afterCharacters(std::string_view typed, std::size_t at, int count) {
  for (; count > 0 && at < typed.size(); --count) at += ScanUtf8(typed, at).length;
  return at;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte of the escape at typed[at] (a backslash); `length` becomes how much of `typed` it
// takes, whether it is valid or not.
std::optional<char> escapedByte(std::string_view typed, std::size_t at, std::size_t& length) {
  const std::size_t next = at + 1;
  length = afterCharacters(typed, next, 1) - at;
  if (next >= typed.size()) return std::nullopt;
  switch (typed[next]) {
    case 'r': return '\r';
    case 'n': return '\n';
    case 't': return '\t';
    case '\\': return '\\';
    case 'x': break;
    default: return std::nullopt;
  }
  // "\x" with what follows of the two digits it needs, as the person sees it.
  length = afterCharacters(typed, next, 3) - at;
  if (length != 4) return std::nullopt;
  const int high = hexValue(typed[at + 2]);
  const int low = hexValue(typed[at + 3]);
  if (high < 0 || low < 0) return std::nullopt;
  return static_cast<char>(high * 16 + low);
}

}  // namespace

std::string TypedText::bytes() const {
  std::string out;
  for (const Piece& piece : pieces) out += piece.bytes;
  return out;
}

ReadTyped ReadTypedText(std::string_view typed, bool escapes, LineEnding ending) {
  ReadTyped read;
  std::size_t start = 0;  // of the typed characters not yet added
  for (std::size_t at = escapes ? typed.find('\\') : typed.npos; at != typed.npos;
       at = typed.find('\\', start)) {
    add(read.text, typed.substr(start, at - start), false);
    std::size_t length = 0;
    const std::optional<char> byte = escapedByte(typed, at, length);
    if (!byte) {
      read.malformed = typed.substr(at, length);
      return read;
    }
    add(read.text, std::string_view(&*byte, 1), true);
    start = at + length;
  }
  add(read.text, typed.substr(start), false);
  add(read.text, LineEndingBytes(ending), true);
  return read;
}

}  // namespace zt
