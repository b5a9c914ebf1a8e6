#include "platform/ui/text_cells.h"

#include <locale.h>  // NOLINT(modernize-deprecated-headers): newlocale, uselocale

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <numeric>

namespace zt {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one character at `pos`; on invalid input yields U+FFFD and skips the maximal
// invalid prefix (a lead byte and the continuation bytes that still fitted it).
char32_t decodeAt(std::string_view s, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int extra = 0;
  char32_t cp = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, cp = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, cp = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
  } else {
    ++pos;
    return kReplacement;
  }
  ++pos;
  for (int i = 0; i < extra; ++i) {
    if (pos >= s.size()) return kReplacement;
    const unsigned char c = byte(pos);
    if (c < (i == 0 ? lo : 0x80) || c > (i == 0 ? hi : 0xBF)) return kReplacement;
    cp = (cp << 6) | (c & 0x3F);
    ++pos;
  }
  return cp;
}


// Controls that reorder or break text without being C0/C1: shown as their code.
bool isLayoutControl(char32_t cp) {
  return cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2066 && cp <= 0x2069) || cp == 0x2028 || cp == 0x2029;
}

// Widths as a UTF-8 terminal sees them, whatever the process's own locale is: a private
// C.UTF-8 locale is made current for this thread while text is being split.
class WidthLocale {
 public:
  WidthLocale() {
    static const locale_t utf8 =
        newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8) previous_ = uselocale(utf8);
    active_ = utf8 != nullptr;
  }
  ~WidthLocale() {
    if (active_) uselocale(previous_);
  }
  WidthLocale(const WidthLocale&) = delete;
  WidthLocale& operator=(const WidthLocale&) = delete;

  // -1 for characters that are not printable; without the locale every character counts 1.
  int width(char32_t cp) const { return active_ ? wcwidth(static_cast<wchar_t>(cp)) : 1; }

 private:
  bool active_ = false;
  locale_t previous_ = LC_GLOBAL_LOCALE;
};

// How one character other than a line break shows: a visible stand-in, a combining mark that
// joins the glyph before it, or the character itself (U+FFFD when it is not printable).
struct CharForm {
  enum class Kind : std::uint8_t { StandIn, Mark, Char };
  Kind kind = Kind::Char;
  int width = 1;
  std::string_view text;  // stand-ins only
};

CharForm charForm(char32_t cp, const WidthLocale& widths, char (&buffer)[16]) {
  if (cp < 0x20 || cp == 0x7F) {
    buffer[0] = '^';
    buffer[1] = cp == 0x7F ? '?' : static_cast<char>(cp + 0x40);
    return {CharForm::Kind::StandIn, 2, std::string_view(buffer, 2)};
  }
  if ((cp >= 0x80 && cp < 0xA0) || isLayoutControl(cp)) {
    const int n = std::snprintf(buffer, sizeof buffer, "<U+%04X>", static_cast<unsigned>(cp));
    return {CharForm::Kind::StandIn, n, std::string_view(buffer, static_cast<std::size_t>(n))};
  }
  const int width = widths.width(cp);
  if (width == 0) return {CharForm::Kind::Mark, 0, {}};
  return {CharForm::Kind::Char, width < 0 ? -1 : width, {}};
}

// Appends the glyph for `cp` (not a line break) to `line`.
void addGlyph(GlyphLine& line, char32_t cp, std::size_t offset, const WidthLocale& widths) {
  char buffer[16];
  const CharForm form = charForm(cp, widths, buffer);
  if (form.kind == CharForm::Kind::StandIn) {
    line.push_back(Glyph{std::string(form.text), form.width, true, offset});
    return;
  }
  if (form.kind == CharForm::Kind::Mark) {
    if (line.empty() || line.back().escaped) {
      Glyph base{"\u25CC", 1, false, offset};  // a dotted circle carries a lone mark
      appendUtf8(base.text, cp);
      line.push_back(std::move(base));
    } else {
      appendUtf8(line.back().text, cp);
    }
    return;
  }
  Glyph glyph{{}, form.width < 0 ? 1 : form.width, false, offset};
  appendUtf8(glyph.text, form.width < 0 ? kReplacement : cp);
  line.push_back(std::move(glyph));
}

std::vector<GlyphLine> splitLines(std::string_view s, bool breakLines) {
  WidthLocale widths;
  std::vector<GlyphLine> lines(1);
  std::size_t pos = 0;
  // Room for a line's glyphs up to its line feed (at most one glyph per byte), so that building
  // it never moves the glyphs already made.
  const auto reserveLine = [&](std::size_t from) {
    const std::size_t feed = breakLines ? s.find('\n', from) : std::string_view::npos;
    lines.back().reserve((feed == std::string_view::npos ? s.size() : feed) - from);
  };
  reserveLine(0);
  while (pos < s.size()) {
    const std::size_t start = pos;
    if (const char c = s[pos]; c >= 0x20 && c < 0x7F) {  // printable ASCII, most of any text
      lines.back().push_back(Glyph{std::string(1, c), 1, false, start});
      ++pos;
      continue;
    }
    const char32_t cp = decodeAt(s, pos);
    const bool crlf = cp == '\r' && pos < s.size() && s[pos] == '\n';
    if (cp == '\n' || crlf) {
      if (crlf) ++pos;
      if (breakLines) {
        lines.emplace_back();
        reserveLine(pos);
      } else {
        lines.back().push_back(Glyph{"\u2424", 1, true, start});
      }
    } else if (cp == '\r') {
      lines.back().push_back(Glyph{"\u240D", 1, true, start});
    } else {
      addGlyph(lines.back(), cp, start, widths);
    }
  }
  return lines;
}

bool isPlainAscii(char c) { return c >= 0x20 && c < 0x7F; }

// The visible form of `s` as splitLines(s, true) draws it, lines joined by "\n": runs of
// printable ASCII are copied as they are, every other character takes the form charForm gives.
std::string visibleForm(std::string_view s) {
  WidthLocale widths;
  std::string out;
  out.reserve(s.size());
  bool afterChar = false;  // a glyph that a combining mark joins comes just before
  std::size_t pos = 0;
  while (pos < s.size()) {
    const std::size_t start = pos;
    while (pos < s.size() && isPlainAscii(s[pos])) ++pos;
    if (pos > start) {
      out.append(s.substr(start, pos - start));
      afterChar = true;
      continue;
    }
    const char32_t cp = decodeAt(s, pos);
    const bool crlf = cp == '\r' && pos < s.size() && s[pos] == '\n';
    if (cp == '\n' || crlf) {
      if (crlf) ++pos;
      out += '\n';
      afterChar = false;
      continue;
    }
    if (cp == '\r') {
      out += "\u240D";
      afterChar = false;
      continue;
    }
    char buffer[16];
    const CharForm form = charForm(cp, widths, buffer);
    if (form.kind == CharForm::Kind::StandIn) {
      out += form.text;
      afterChar = false;
      continue;
    }
    if (form.kind == CharForm::Kind::Mark && !afterChar) out += "\u25CC";
    appendUtf8(out, form.width < 0 ? kReplacement : cp);
    afterChar = true;
  }
  return out;
}

// Where a word-wrapped line may break: after the last blank that leaves a non-empty line.
std::size_t wordBreak(const GlyphLine& line, std::size_t begin, std::size_t end) {
  if (line[end].text == " ") return end;
  for (std::size_t i = end; i > begin + 1; --i) {
    if (line[i - 1].text == " ") return i;
  }
  return end;
}

}  // namespace

std::vector<GlyphLine> textLines(std::string_view utf8) { return splitLines(utf8, true); }

GlyphLine singleLine(std::string_view utf8) { return splitLines(utf8, false).front(); }

std::string visibleText(std::string_view utf8) { return visibleForm(utf8); }

std::vector<GlyphLine> wrapLine(const GlyphLine& line, int width, Wrap mode) {
  std::vector<GlyphLine> out;
  if (width <= 0) return out;
  std::size_t begin = 0;
  while (begin < line.size() || out.empty()) {
    std::size_t end = begin;
    int used = 0;
    while (end < line.size() && used + line[end].width <= width) used += line[end++].width;
    if (end == begin && end < line.size()) ++end;  // a glyph wider than the line: alone
    if (end < line.size() && mode == Wrap::Words) end = wordBreak(line, begin, end);
    GlyphLine piece(line.begin() + static_cast<std::ptrdiff_t>(begin),
                    line.begin() + static_cast<std::ptrdiff_t>(end));
    if (mode == Wrap::Words) {
      while (!piece.empty() && piece.back().text == " ") piece.pop_back();
    }
    out.push_back(std::move(piece));
    begin = end;
    while (mode == Wrap::Words && begin < line.size() && line[begin].text == " ") ++begin;
    if (begin >= line.size()) break;
  }
  return out;
}

std::vector<GlyphLine> wrapText(std::string_view utf8, int width, Wrap mode) {
  std::vector<GlyphLine> out;
  for (GlyphLine& line : textLines(utf8)) {
    if (mode == Wrap::Characters && width > 0 && lineWidth(line) <= width) {
      out.push_back(std::move(line));  // fits as it is
      continue;
    }
    for (GlyphLine& piece : wrapLine(line, width, mode)) out.push_back(std::move(piece));
  }
  return out;
}

int lineWidth(const GlyphLine& line) {
  return std::accumulate(line.begin(), line.end(), 0,
                         [](int width, const Glyph& glyph) { return width + glyph.width; });
}

GlyphLine fitLine(const GlyphLine& line, int width, bool ellipsis) {
  if (lineWidth(line) <= width) return line;
  GlyphLine out;
  const int room = ellipsis ? width - 1 : width;
  int used = 0;
  for (const Glyph& glyph : line) {
    if (used + glyph.width > room) break;
    used += glyph.width;
    out.push_back(glyph);
  }
  if (ellipsis && width > 0) out.push_back(Glyph{"\u2026", 1, false, line[out.size()].offset});
  return out;
}

std::u32string decodeUtf8(std::string_view utf8) {
  std::u32string out;
  std::size_t pos = 0;
  while (pos < utf8.size()) out += decodeAt(utf8, pos);
  return out;
}

std::string lineText(const GlyphLine& line) {
  std::string text;
  for (const Glyph& glyph : line) text += glyph.text;
  return text;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace zt
