#include "settings/utf16.h"

#include "settings/utf8_sequence.h"

namespace zt {
namespace {

// One step through UTF-8: how many bytes the next character takes and how many UTF-16 units
// it needs. An invalid byte, or a character cut short by the end, is a one-byte, one-unit step.
struct Step {
  std::size_t bytes;
  std::size_t units;
};

Step NextStep(std::string_view text, std::size_t pos) {
  const Utf8Sequence sequence = ScanUtf8(text, pos);
  if (sequence.kind != Utf8Sequence::Kind::Valid) return {1, 1};
  return {sequence.length, sequence.length == 4 ? 2U : 1U};
}

}  // namespace

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Step step = NextStep(utf8, pos);
    units += step.units;
    pos += step.bytes;
  }
  return units;
}

std::string Utf16Prefix(std::string_view utf8, std::size_t units) {
  std::size_t used = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const Step step = NextStep(utf8, pos);
    if (used + step.units > units) break;
    used += step.units;
    pos += step.bytes;
  }
  return std::string(utf8.substr(0, pos));
}

}  // namespace zt
