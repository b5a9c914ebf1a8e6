// Starting the option store: the one sequence the main screen runs at its load. It makes sure
// the settings object owns a DBProcess, creates the folder "ZemraDemo" under the documents
// directory (mode 0700, missing parents too) and the empty file "ZemraDemo.db" in it (mode
// 0600: the file holds the Quorvel key), opens it, creates the table if missing and loads the
// Quorvel options into the settings object, putting a loaded key into force.
//
// The process's current directory is left alone: the database path is absolute, and a
// terminal program's relative paths (such as a --device given by the user) must keep meaning
// what the user meant.
//
// Threads: main thread only.
#pragma once

#include <filesystem>

#include "settings/db_process.h"

namespace zt {

// Where the option database lies under `documentsDir`.
std::filesystem::path OptionDatabasePath(const std::filesystem::path& documentsDir);

// Runs the whole sequence; true when every step worked. Whatever fails, the settings object
// keeps the values it had, the database is closed and left as it is, and the program carries
// on without stored options; the store's lastFailure() then says why.
bool StartOptionStore(GlbParam& param, const std::filesystem::path& documentsDir);

}  // namespace zt
