#include "platform/ui/key_command.h"

#include <functional>
#include <set>
#include <string>

#include "platform/ui/text_input.h"

namespace zt {
namespace {

bool isNamedKey(std::string_view input) {
  static const std::set<std::string, std::less<>> names = [] {
    std::set<std::string, std::less<>> out{"Up", "Down", "PgUp", "PgDn", "Home", "End"};
    for (int n = 1; n <= 12; ++n) out.insert("F" + std::to_string(n));
    return out;
  }();
  return names.contains(input);
}

bool isCharacter(std::string_view input) {
  const std::string text(input);
  return !text.empty() && utf8::advance(text, 0, 1) == text.size();
}

}  // namespace

bool keyCommandApplies(std::string_view input, KeyCommandScope scope, bool editing) {
  if (isCharacter(input)) return !editing && scope != KeyCommandScope::WhileEditing;
  if (!isNamedKey(input)) return false;
  switch (scope) {
    case KeyCommandScope::Always: return true;
    case KeyCommandScope::WhileEditing: return editing;
    case KeyCommandScope::NotEditing: return !editing;
  }
  return false;
}

}  // namespace zt
