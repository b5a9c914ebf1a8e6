// DBProcess: the option store, one SQLite connection to the database that keeps the options
// that outlive the process: whether Quorvel is on (option 3, "1" or "0") and the Quorvel key
// (option 2). Table AppOption holds at most one row per option; an option is replaced by
// deleting its row and inserting a new one in one transaction. Values are bound as statement
// parameters, so any text (quotes included) is stored and read back unchanged.
//
// Failures: every operation that can fail returns false and keeps why in lastFailure() (what
// it kept from happening and the reason: SQLite's text, or "PATH: the system's text"), for the
// caller to tell; nothing is shown or logged here. After a failed or missing OpenDB every
// operation returns false without touching the database. A file that is unreadable, locked for
// longer than the busy timeout, or not a database leaves the settings object as it was.
//
// Threads: main thread only; the connection is never used from another thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zt {

class GlbParam;

// What a failure of the option store kept from happening: reading the stored options (opening
// the database, looking for the table, loading) or saving them (creating the folder, the file
// or the table, storing).
enum class OptionFailure { None, Read, Save };

// The last failure of the option store, for the person: what it kept from happening and why.
struct OptionStoreFailure {
  OptionFailure what = OptionFailure::None;
  std::string reason;
};

class DBProcess {
 public:
  DBProcess() = default;
  // Closes the connection if it is still open.
  ~DBProcess();
  DBProcess(const DBProcess&) = delete;
  DBProcess& operator=(const DBProcess&) = delete;

  // Creates the folder of `file` (mode 0700, missing parents too) and an empty `file` (mode
  // 0600: it holds the Quorvel key) unless they are there.
  bool CreateDBFile(const std::filesystem::path& file);
  // Opens (creating if missing) the database at `path`; closes any earlier connection first.
  bool OpenDB(const std::string& path);
  void CloseDB();
  // Prepares the first statement of `sql` and runs one step; true when it completes or yields
  // a row.
  bool ExecSql(std::string_view sql);
  bool BeginTransaction();
  bool CommitTransaction();
  bool RollbackTransaction();
  bool TableExist(std::string_view name);
  // Creates AppOption unless it exists; true when the table is there afterwards.
  bool CreateAllTables();
  // The index of the first result column named exactly `name`, or -1.
  static int FieldIndex(sqlite3_stmt* stmt, const char* name);
  // Loads options 3 and 2 into `param` (openQuorvel is on exactly for the value "1") and,
  // when `param` then holds a key, puts it into force with QuorvelSetKey. Nothing is changed
  // unless the whole table was read.
  bool ReadAppOption(GlbParam& param);
  bool UpdateQuorvelOpenState(bool on);
  bool UpdateQuorvelKey(std::string_view key);
  // Why the last failed operation failed; OptionFailure::None while none failed.
  const OptionStoreFailure& lastFailure() const { return lastFailure_; }

 private:
  // Keeps SQLite's reason for the failure that just happened and what it kept from happening;
  // returns false.
  bool Fail(OptionFailure what);
  // Keeps `reason` for a failure of `what`; returns false.
  bool Fail(OptionFailure what, std::string reason);
  // Keeps "PATH: the system's text" for a failure to create the file or its folders.
  bool FailOn(const std::filesystem::path& path, int error);
  bool CreateFolders(const std::filesystem::path& folder);
  // Whether the table exists; nullopt when the database could not be asked.
  std::optional<bool> FindTable(std::string_view name);
  bool RunStatement(std::string_view sql, std::string_view value);
  bool StoreOption(std::string_view deleteSql, std::string_view insertSql, std::string_view value);

  sqlite3* db_ = nullptr;
  OptionStoreFailure lastFailure_;
};

}  // namespace zt
