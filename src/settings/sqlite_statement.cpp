#include "settings/sqlite_statement.h"

#include <limits>

namespace zt {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) {
  if (db == nullptr || sql.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return;
  }
  prepared_ = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_,
                                 nullptr) == SQLITE_OK;
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

bool SqliteStatement::bindText(int index, std::string_view text) {
  if (stmt_ == nullptr) return false;
  // A null data pointer would bind NULL instead of an empty text.
  const char* bytes = text.data() != nullptr ? text.data() : "";
  // A null destructor tells SQLite the bytes outlive the statement and need no copy.
  return sqlite3_bind_text64(stmt_, index, bytes, text.size(), nullptr, SQLITE_UTF8) == SQLITE_OK;
}

int SqliteStatement::step() { return stmt_ == nullptr ? SQLITE_DONE : sqlite3_step(stmt_); }

}  // namespace zt
