// DBProcess: the option store, one SQLite connection to the database that keeps the options
// that outlive the process: whether Quorvel is on (option 3, "1" or "0") and the Quorvel key
// (option 2). Table AppOption holds at most one row per option; an option is replaced by
// deleting its row and inserting a new one in one transaction. Values are bound as statement
// parameters, so any text (quotes included) is stored and read back unchanged.
//
// Failures are reported by the results; lastError() keeps the reason of the last one and
// lastFailure() what it kept from happening, for the caller to tell; nothing is shown or logged
// here. After a failed or missing OpenDB every
// operation returns false without touching the database. A file that is
// unreadable, locked for longer than the busy timeout, or not a database leaves the settings
// object as it was.
//
// Threads: main thread only; the connection is never used from another thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zt {

class GlbParam;

// What a failure of the option store kept from happening: reading the stored options (opening
// the database, looking for the table, loading) or saving them (creating the table, storing).
enum class OptionFailure { None, Read, Save };

class DBProcess {
 public:
  DBProcess() = default;
  // Closes the connection if it is still open.
  ~DBProcess();
  DBProcess(const DBProcess&) = delete;
  DBProcess& operator=(const DBProcess&) = delete;

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
  // Why the last failed open, table creation, load or store failed (SQLite's text); empty
  // while none failed.
  const std::string& lastError() const { return lastError_; }
  OptionFailure lastFailure() const { return lastFailure_; }

 private:
  // Keeps SQLite's reason for the failure that just happened and what it kept from happening;
  // returns false.
  bool Fail(OptionFailure what);
  // Whether the table exists; nullopt when the database could not be asked.
  std::optional<bool> FindTable(std::string_view name);
  bool RunStatement(std::string_view sql, std::string_view value);
  bool StoreOption(std::string_view deleteSql, std::string_view insertSql, std::string_view value);

  sqlite3* db_ = nullptr;
  std::string lastError_;
  OptionFailure lastFailure_ = OptionFailure::None;
};

}  // namespace zt
