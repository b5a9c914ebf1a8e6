#include "app/app_options.h"

#include <stdexcept>

namespace zt {
namespace {

// The value of `name` at args[i]: joined by "=" or the next argument (i then moves on to it);
// nothing when args[i] is another option.
std::optional<std::string> ValueOf(const std::string& name, const std::vector<std::string>& args,
                                   std::size_t& i) {
  const std::string& arg = args[i];
  if (arg.rfind(name + "=", 0) == 0) return arg.substr(name.size() + 1);
  if (arg != name) return std::nullopt;
  if (i + 1 >= args.size()) throw std::invalid_argument(name + " needs a value (see --help)");
  return args[++i];
}

std::filesystem::path NonEmpty(const std::string& name, const std::string& value) {
  if (value.empty()) throw std::invalid_argument(name + " needs a non-empty value");
  return value;
}

LineEnding Ending(const std::string& value) {
  if (const auto ending = ParseLineEnding(value)) return *ending;
  throw std::invalid_argument("--eol takes none, cr, lf or crlf, not '" + value + "'");
}

// A whole number of MiB from 0 to 4096, digits only.
std::uint64_t HistoryMiB(const std::string& value) {
  constexpr std::uint64_t kMost = 4096;
  std::uint64_t mib = 0;
  const bool digits = !value.empty() && value.size() <= 4 &&
                      value.find_first_not_of("0123456789") == std::string::npos;
  if (digits) mib = std::stoull(value);
  if (!digits || mib > kMost) {
    throw std::invalid_argument("--history-size takes a whole number of MiB from 0 to 4096, not '" +
                                value + "'");
  }
  return mib;
}

}  // namespace

AppOptions parseAppOptions(const std::vector<std::string>& args) {
  AppOptions options;
  const std::vector<std::string> rest = parseAccessoryOptions(args, options.accessories);
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (auto dir = ValueOf("--data-dir", rest, i)) {
      options.dataDir = NonEmpty("--data-dir", *dir);
    } else if (auto file = ValueOf("--log", rest, i)) {
      options.logFile = NonEmpty("--log", *file);
    } else if (rest[i] == "--reconnect") {
      options.reconnect = true;
    } else if (auto size = ValueOf("--history-size", rest, i)) {
      options.historyMiB = HistoryMiB(*size);
    } else if (auto ending = ValueOf("--eol", rest, i)) {
      options.lineEnding = Ending(*ending);
    } else if (rest[i] == "--escapes") {
      options.escapes = true;
    } else if (rest[i] == "--help" || rest[i] == "-h") {
      options.help = true;
    } else if (rest[i] == "--version") {
      options.version = true;
    } else {
      throw std::invalid_argument("unknown option '" + rest[i] + "' (see --help)");
    }
  }
  return options;
}

namespace {

constexpr const char kUsage[] =
    "usage: zemra-telvo [--device PATH[@BAUD]]... [--tcp HOST:PORT]... [--no-demo]\n"
    "                   [--data-dir DIR] [--log FILE] [--history-size MIB]\n"
    "                   [--eol none|cr|lf|crlf] [--escapes] [--reconnect]\n"
    "       zemra-telvo --help | --version\n"
    "A terminal for Bluetooth serial modules and USB serial adapters. It lists the serial\n"
    "devices it finds, those given here and a built-in demo module that echoes.\n"
    "  --device PATH[@BAUD]  list the serial device at PATH (115200 baud unless given);\n"
    "                        a path that does not exist yet is accepted and listed once\n"
    "                        it appears; may be repeated\n"
    "  --tcp HOST:PORT       list a serial bridge reached over TCP; may be repeated\n"
    "  --no-demo             leave the built-in demo module out\n"
    "  --data-dir DIR        keep the option store under DIR\n"
    "                        (default: ~/.local/share/zemra-telvo)\n"
    "  --log FILE            append every session's log to FILE, unabridged, each entry\n"
    "                        stamped to the millisecond: [Received 2026-12-07 11:04:11.482]\n"
    "  --history-size MIB    keep the newest MIB of each session for its History screen\n"
    "                        (F3), 0 to 4096; 0 turns the history off (default: 32)\n"
    "  --eol none|cr|lf|crlf what Send appends to a typed text (default: none); F4 on\n"
    "                        the transfer screen changes it for the rest of the run\n"
    "  --escapes             read \\r, \\n, \\t, \\\\ and \\xNN (two hex digits) in a typed\n"
    "                        text as those bytes; an escaped byte goes out as it is\n"
    "  --reconnect           when a module's link drops, keep its transfer screen and\n"
    "                        reconnect by itself when the same module comes back\n"
    "  --help                show this text\n"
    "  --version             show the version\n"
    "Keys (the hint line at the bottom names those that do something at the moment):\n"
    "  Up, Down, PgUp, PgDn, Home, End\n"
    "                        move among the rows, or the entries of an open menu;\n"
    "                        while typing in the send field, Up and Down go back and\n"
    "                        forth through the texts sent before\n"
    "  Tab, Shift-Tab        move between the table and the toolbar (the send field,\n"
    "                        the Send button)\n"
    "  Enter                 open a row, flip its switch, edit its field, press a\n"
    "                        button; while typing in the send field, Send\n"
    "  Right                 a row's detail button\n"
    "  Left, Right           while typing, move the cursor; in an alert, choose a button\n"
    "  Backspace             while typing, delete the character before the cursor\n"
    "  Esc                   end typing (a second Esc is Back where typing goes on);\n"
    "                        close an alert or menu; otherwise Back, Cancel or Done\n"
    "  F2                    the button at the right of the title bar: the Action\n"
    "                        menu, OK or Done\n"
    "  F3                    on the transfer screen, also while typing: the History\n"
    "                        screen\n"
    "  F4                    on the transfer screen, the next line ending (none, CR,\n"
    "                        LF, CR LF) for typed texts\n"
    "  1..9                  an entry of an open menu, or a button of an alert\n"
    "  mouse click           a tap on what lies under it\n"
    "  q, Ctrl-C             quit (q only when nothing is being typed)\n"
    "  Ctrl-Z                to the background, as a phone app leaving the screen; fg\n"
    "                        brings it back\n"
    "In History: Up, Down, PgUp, PgDn, Home and End move by a line, a screenful, to the\n"
    "oldest or the newest (at the end new entries are followed); / searches back, n and N\n"
    "find the next older and newer match, t switches clock and delta times, x text and\n"
    "hex, Esc goes back.\n";

}  // namespace

const char* appUsage() { return kUsage; }

}  // namespace zt
