// SqliteStatement: one prepared SQLite statement, finalized when the object goes away, so no
// path through the option store can leak a statement.
//
// Threads: the thread that owns the connection.
#pragma once

#include <sqlite3.h>

#include <string_view>

namespace zt {

class SqliteStatement {
 public:
  // Prepares the first statement of `sql`; ok() tells whether that worked.
  SqliteStatement(sqlite3* db, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  bool ok() const { return prepared_; }
  // Null when `sql` held no statement (only white space or comments).
  sqlite3_stmt* get() const { return stmt_; }
  // Binds text to the 1-based parameter `index`. SQLite reads the caller's bytes in place, so
  // `text` must stay valid as long as the statement.
  bool bindText(int index, std::string_view text);
  // One step: SQLITE_ROW, SQLITE_DONE or an error code.
  int step();

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool prepared_ = false;
};

}  // namespace zt
