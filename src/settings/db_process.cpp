#include "settings/db_process.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>
#include <utility>

#include "cipher/triple_des.h"
#include "settings/glb_param.h"
#include "settings/quorvel_key_buffer.h"
#include "settings/sqlite_statement.h"

namespace zt {
namespace {

// How long a statement waits for another connection's lock before it gives up.
constexpr int kBusyTimeoutMs = 1000;

constexpr std::string_view kCreateAppOption =
    "create table AppOption (optionID             integer              not null,"
    "optionValue          varchar(255)         null,"
    "constraint PK_APPOPTION primary key  (optionID))";

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

constexpr int kKeyOption = 2;
constexpr int kOpenStateOption = 3;

bool Completed(int stepResult) { return stepResult == SQLITE_DONE || stepResult == SQLITE_ROW; }

// Option 3 and 2 as read from the table, before they are applied.
struct LoadedOptions {
  std::optional<bool> openQuorvel;
  std::optional<std::optional<std::string>> key;
};

std::optional<std::string> ColumnText(sqlite3_stmt* stmt, int column) {
  if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
  const unsigned char* text = sqlite3_column_text(stmt, column);
  if (text == nullptr) return std::nullopt;
  const auto length = static_cast<std::size_t>(sqlite3_column_bytes(stmt, column));
  return std::string(reinterpret_cast<const char*>(text), length);
}

void TakeRow(sqlite3_stmt* stmt, int idColumn, int valueColumn, LoadedOptions& loaded) {
  const int id = sqlite3_column_int(stmt, idColumn);
  if (id == kOpenStateOption) {
    loaded.openQuorvel = ColumnText(stmt, valueColumn) == std::optional<std::string>("1");
  } else if (id == kKeyOption) {
    loaded.key = ColumnText(stmt, valueColumn);
  }
}

void Apply(const LoadedOptions& loaded, GlbParam& param) {
  if (loaded.openQuorvel) param.setOpenQuorvel(*loaded.openQuorvel);
  if (loaded.key) param.setQuorvelKey(*loaded.key);
  if (const auto& key = param.quorvelKey()) QuorvelSetKey(QuorvelKeyBuffer(*key));
}

}  // namespace

DBProcess::~DBProcess() { CloseDB(); }

bool DBProcess::CreateDBFile(const std::filesystem::path& file) {
  if (!CreateFolders(file.parent_path())) return false;
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
  if (fd < 0) return errno == EEXIST || FailOn(file, errno);
  return ::close(fd) == 0 || FailOn(file, errno);
}

// Creates `folder` and its missing parents, each with kFolderMode; true when it is a folder
// afterwards.
bool DBProcess::CreateFolders(const std::filesystem::path& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return true;
  const std::filesystem::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder && !CreateFolders(parent)) return false;
  if (::mkdir(folder.c_str(), kFolderMode) == 0) return true;
  if (errno != EEXIST) return FailOn(folder, errno);
  // Something else than a folder already has the name.
  return std::filesystem::is_directory(folder, error) || FailOn(folder, ENOTDIR);
}

bool DBProcess::OpenDB(const std::string& path) {
  CloseDB();
  const int result = sqlite3_open_v2(path.c_str(), &db_,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (result != SQLITE_OK) {
    Fail(OptionFailure::Read);
    CloseDB();
    return false;
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  return true;
}

void DBProcess::CloseDB() {
  sqlite3_close(db_);
  db_ = nullptr;
}

bool DBProcess::ExecSql(std::string_view sql) {
  SqliteStatement statement(db_, sql);
  return statement.ok() && Completed(statement.step());
}

bool DBProcess::BeginTransaction() { return ExecSql("begin transaction"); }

bool DBProcess::CommitTransaction() { return ExecSql("commit transaction"); }

bool DBProcess::RollbackTransaction() { return ExecSql("rollback transaction"); }

bool DBProcess::TableExist(std::string_view name) { return FindTable(name).value_or(false); }

std::optional<bool> DBProcess::FindTable(std::string_view name) {
  SqliteStatement statement(
      db_, "select count(*) as count from sqlite_master where type='table' and name=?");
  if (!statement.ok() || !statement.bindText(1, name)) return std::nullopt;
  if (statement.step() != SQLITE_ROW) return std::nullopt;
  return sqlite3_column_int(statement.get(), 0) > 0;
}

// A database that cannot be asked for its tables (not a database, locked, unreadable) is not
// written to.
bool DBProcess::CreateAllTables() {
  const auto found = FindTable("AppOption");
  if (!found) return Fail(OptionFailure::Read);
  return *found || ExecSql(kCreateAppOption) || Fail(OptionFailure::Save);
}

int DBProcess::FieldIndex(sqlite3_stmt* stmt, const char* name) {
  if (stmt == nullptr || name == nullptr) return -1;
  const int count = sqlite3_column_count(stmt);
  for (int column = 0; column < count; ++column) {
    const char* columnName = sqlite3_column_name(stmt, column);
    if (columnName != nullptr && std::strcmp(columnName, name) == 0) return column;
  }
  return -1;
}

bool DBProcess::ReadAppOption(GlbParam& param) {
  SqliteStatement statement(db_, "select * from AppOption");
  if (!statement.ok()) return Fail(OptionFailure::Read);
  const int idColumn = FieldIndex(statement.get(), "optionID");
  const int valueColumn = FieldIndex(statement.get(), "optionValue");
  if (idColumn < 0 || valueColumn < 0) {
    return Fail(OptionFailure::Read, "the table AppOption lacks its columns");
  }
  LoadedOptions loaded;
  int result = SQLITE_ROW;
  while ((result = statement.step()) == SQLITE_ROW) {
    TakeRow(statement.get(), idColumn, valueColumn, loaded);
  }
  if (result != SQLITE_DONE) return Fail(OptionFailure::Read);
  Apply(loaded, param);
  return true;
}

bool DBProcess::UpdateQuorvelOpenState(bool on) {
  return StoreOption("delete from AppOption where optionID=3",
                     "insert into AppOption values(3,?)", on ? "1" : "0");
}

bool DBProcess::UpdateQuorvelKey(std::string_view key) {
  return StoreOption("delete from AppOption where optionID=2",
                     "insert into AppOption values(2,?)", key);
}

bool DBProcess::RunStatement(std::string_view sql, std::string_view value) {
  SqliteStatement statement(db_, sql);
  return statement.ok() && statement.bindText(1, value) && Completed(statement.step());
}

// Replaces one option's row. Any failing step rolls the transaction back, so the table keeps
// the option's previous value.
bool DBProcess::StoreOption(std::string_view deleteSql, std::string_view insertSql,
                            std::string_view value) {
  if (!BeginTransaction()) return Fail(OptionFailure::Save);
  const bool stored = ExecSql(deleteSql) && RunStatement(insertSql, value);
  if (stored && CommitTransaction()) return true;
  Fail(OptionFailure::Save);  // before the rollback, which replaces SQLite's last message
  RollbackTransaction();
  return false;
}

bool DBProcess::Fail(OptionFailure what) {
  return Fail(what, db_ != nullptr ? sqlite3_errmsg(db_) : "the option database is not open");
}

bool DBProcess::Fail(OptionFailure what, std::string reason) {
  lastFailure_ = {what, std::move(reason)};
  return false;
}

bool DBProcess::FailOn(const std::filesystem::path& path, int error) {
  return Fail(OptionFailure::Save, path.string() + ": " + std::generic_category().message(error));
}

}  // namespace zt
