// The machine's identity as the application shows it (standing in for a phone's name, model
// and system version) and the documents directory where the application keeps its files.
//
// Identity texts are empty when the system cannot tell them. DocumentsDirectory only computes
// a path; it creates nothing. Threads: any thread, but DocumentsDirectory reads the
// environment, which must not be changed concurrently.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zt {

// The host name.
std::string DeviceName();
// The machine's hardware name (uname's machine, e.g. "x86_64").
std::string DeviceModel();
// The kernel release.
std::string DeviceSystemVersion();

// `override` when given (the --data-dir option); else $XDG_DATA_HOME/zemra-telvo when that is
// an absolute path; else <home>/.local/share/zemra-telvo, home taken from $HOME or, when that
// is unset or empty, from the password database; else zemra-telvo under the current directory.
std::filesystem::path DocumentsDirectory(const std::optional<std::filesystem::path>& override);

}  // namespace zt
