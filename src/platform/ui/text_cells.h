// Text to terminal cells: turns any byte string that claims to be UTF-8 into glyphs that are
// safe to print and whose widths are known, then breaks them into lines of a given width.
//
// Nothing the terminal could interpret survives: a line feed (or carriage return + line feed)
// breaks the line; every other control character is drawn visibly ("^[" for ESC, "␍" for a lone
// carriage return, "<U+009B>" for C1 and bidirectional controls); invalid UTF-8 becomes U+FFFD.
// Wide characters take two cells; combining marks join the glyph before them.
// Both the widget model (what a screen shows and searches) and the terminal front end use it.
// Pure functions; thread-safe (widths come from a private UTF-8 locale, not the process's).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

struct Glyph {
  std::string text;         // UTF-8 to print: one character plus its combining marks
  int width = 1;            // cells: 1 or 2
  bool escaped = false;     // a visible stand-in for a control character
  std::size_t offset = 0;   // byte offset in the source text where the glyph starts
};
using GlyphLine = std::vector<Glyph>;

enum class Wrap { Characters, Words };

// Splits text into its lines at line feeds, every glyph safe to print.
std::vector<GlyphLine> textLines(std::string_view utf8);
// The text as textLines shows it, its lines joined by "\n": what a search of shown text matches.
// Runs of printable ASCII cost a copy only.
std::string visibleText(std::string_view utf8);
// One line for one-line places (titles, fields): line breaks are drawn as "␤".
GlyphLine singleLine(std::string_view utf8);
// textLines, each line then broken so that no line is wider than `width` cells.
std::vector<GlyphLine> wrapText(std::string_view utf8, int width, Wrap mode = Wrap::Characters);
// Breaks one line into lines of at most `width` cells.
std::vector<GlyphLine> wrapLine(const GlyphLine& line, int width, Wrap mode);

int lineWidth(const GlyphLine& line);
// The first glyphs of the line that fit in `width` cells; "…" marks a cut when `ellipsis`.
GlyphLine fitLine(const GlyphLine& line, int width, bool ellipsis = true);
// The printed text of a line (for tests and for measuring).
std::string lineText(const GlyphLine& line);
// The code points of UTF-8 text, U+FFFD for each invalid sequence.
std::u32string decodeUtf8(std::string_view utf8);
// Appends the UTF-8 encoding of a code point (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t cp);

}  // namespace zt
