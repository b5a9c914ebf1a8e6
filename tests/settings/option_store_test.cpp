#include "settings/option_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "cipher_probe.h"
#include "settings/db_process.h"
#include "settings/glb_param.h"
#include "support/watchdog.h"

namespace zt {
namespace {

namespace fs = std::filesystem;

const std::string kCreateStatement =
    "create table AppOption (optionID             integer              not null,"
    "optionValue          varchar(255)         null,"
    "constraint PK_APPOPTION primary key  (optionID))";

// A second, independent connection to the option file, to look at and edit what the store
// wrote the way another program would.
class RawDb {
 public:
  explicit RawDb(const fs::path& file) {
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  }
  ~RawDb() { sqlite3_close(db_); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  void exec(const std::string& sql) {
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << sql << ": " << (error ? error : "");
    sqlite3_free(error);
  }

  // The first column of the first row as text; nullopt for NULL or no row.
  std::optional<std::string> text(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    std::optional<std::string> value;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL) {
      value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    return value;
  }

 private:
  sqlite3* db_ = nullptr;
};

class OptionStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GlbParam::ReleaseResource();
    std::string pattern = (fs::temp_directory_path() / "zt-options-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    docs_ = root_ / "home" / "docs";
    file_ = OptionDatabasePath(docs_);
  }
  void TearDown() override {
    GlbParam::ReleaseResource();
    std::error_code error;
    fs::remove_all(root_, error);
  }

  // A new process: the settings object starts over and the store is started again.
  GlbParam& restart() {
    GlbParam::ReleaseResource();
    GlbParam& param = GlbParam::instance();
    EXPECT_TRUE(StartOptionStore(param, docs_));
    return param;
  }

  static std::string fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path root_;
  fs::path docs_;
  fs::path file_;
};

mode_t Mode(const fs::path& path) {
  struct stat info{};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST_F(OptionStoreTest, FirstStartCreatesFolderFileAndTableAndLoadsNothing) {
  const fs::path cwd = fs::current_path();
  GlbParam& param = GlbParam::instance();
  ASSERT_TRUE(StartOptionStore(param, docs_));

  EXPECT_EQ(file_, docs_ / "ZemraDemo" / "ZemraDemo.db");
  EXPECT_TRUE(fs::is_regular_file(file_));
  EXPECT_EQ(Mode(file_.parent_path()), 0700U);
  EXPECT_EQ(Mode(file_), 0600U);
  EXPECT_EQ(fs::current_path(), cwd);
  ASSERT_NE(param._dbProcess(), nullptr);
  EXPECT_FALSE(param._OpenQuorvel());
  EXPECT_FALSE(param._QuorvelKey().has_value());

  RawDb raw(file_);
  // SQLite keeps the statement's text as given, apart from writing its first words in capitals.
  const auto stored = raw.text("select sql from sqlite_master where name='AppOption'");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ("create table" + stored->substr(12), kCreateStatement);
  EXPECT_EQ(raw.text("select count(*) from AppOption"), "0");
}

TEST_F(OptionStoreTest, LaterStartFindsTheTableAndKeepsItsRows) {
  restart();
  RawDb(file_).exec("insert into AppOption values(7,'kept')");
  GlbParam& param = restart();
  DBProcess& store = *param._dbProcess();
  EXPECT_TRUE(store.TableExist("AppOption"));
  EXPECT_FALSE(store.TableExist("appoption"));
  EXPECT_FALSE(store.TableExist("AppOption' or '1'='1"));
  EXPECT_EQ(RawDb(file_).text("select optionValue from AppOption where optionID=7"), "kept");
}

TEST_F(OptionStoreTest, StoringAnOptionTwiceLeavesOneRowWithTheLatestValue) {
  DBProcess& store = *restart()._dbProcess();
  EXPECT_TRUE(store.UpdateQuorvelKey("first key 012345"));
  EXPECT_TRUE(store.UpdateQuorvelKey("second key 67890"));
  EXPECT_TRUE(store.UpdateQuorvelOpenState(true));
  EXPECT_TRUE(store.UpdateQuorvelOpenState(false));
  RawDb raw(file_);
  EXPECT_EQ(raw.text("select count(*) from AppOption where optionID=2"), "1");
  EXPECT_EQ(raw.text("select optionValue from AppOption where optionID=2"), "second key 67890");
  EXPECT_EQ(raw.text("select count(*) from AppOption where optionID=3"), "1");
  EXPECT_EQ(raw.text("select optionValue from AppOption where optionID=3"), "0");
}

TEST_F(OptionStoreTest, OnlyTheValueOneTurnsQuorvelOn) {
  restart();
  const char* offValues[] = {"'0'", "'yes'", "NULL", "'1 '", "''", "'true'"};
  for (const char* value : offValues) {
    RawDb(file_).exec(std::string("replace into AppOption values(3,") + value + ")");
    GlbParam::ReleaseResource();
    GlbParam& param = GlbParam::instance();
    param.set_OpenQuorvel(true);
    ASSERT_TRUE(StartOptionStore(param, docs_));
    EXPECT_FALSE(param._OpenQuorvel()) << value;
  }
  RawDb(file_).exec("replace into AppOption values(3,'1')");
  EXPECT_TRUE(restart()._OpenQuorvel());
}

TEST_F(OptionStoreTest, RestartRestoresStateKeyAndSubkeys) {
  const std::string key = "K3y'with\"quotes'";
  DBProcess& store = *restart()._dbProcess();
  EXPECT_TRUE(store.UpdateQuorvelKey(key));
  EXPECT_TRUE(store.UpdateQuorvelOpenState(true));
  test::SetCipherKey("");  // what a fresh process starts with

  GlbParam& param = restart();
  EXPECT_TRUE(param._OpenQuorvel());
  EXPECT_EQ(param._QuorvelKey(), key);
  const auto loaded = test::EncipherProbe();
  test::SetCipherKey(key);
  EXPECT_EQ(loaded, test::EncipherProbe());
  test::SetCipherKey("");
  EXPECT_NE(loaded, test::EncipherProbe());
}

TEST_F(OptionStoreTest, RowsOfOtherOptionsAreIgnored) {
  restart();
  RawDb(file_).exec(
      "insert into AppOption values(1,'1'); insert into AppOption values(4,'1');"
      "insert into AppOption values(-2,'not a key'); insert into AppOption values(99,NULL)");
  GlbParam& param = restart();
  EXPECT_FALSE(param._OpenQuorvel());
  EXPECT_FALSE(param._QuorvelKey().has_value());
}

TEST_F(OptionStoreTest, CorruptFileLeavesSettingsAndFileAlone) {
  fs::create_directories(file_.parent_path());
  const std::string garbage(4096, '\x5A');
  std::ofstream(file_, std::ios::binary) << garbage;

  GlbParam& param = GlbParam::instance();
  param.set_OpenQuorvel(true);
  param.set_QuorvelKey("in memory");
  EXPECT_FALSE(StartOptionStore(param, docs_));
  EXPECT_TRUE(param._OpenQuorvel());
  EXPECT_EQ(param._QuorvelKey(), "in memory");
  DBProcess& store = *param._dbProcess();
  EXPECT_FALSE(store.UpdateQuorvelKey("new"));
  EXPECT_FALSE(store.UpdateQuorvelOpenState(false));
  EXPECT_FALSE(store.ReadAppOption(param));
  EXPECT_EQ(fileBytes(file_), garbage);
}

TEST_F(OptionStoreTest, UnusableLocationsFailWithoutTouchingAnything) {
  // A regular file where a folder should be stops the folder being made, even for root.
  fs::create_directories(root_);
  std::ofstream(root_ / "plain") << "x";
  GlbParam& param = GlbParam::instance();
  param.set_QuorvelKey("kept");
  EXPECT_FALSE(StartOptionStore(param, root_ / "plain" / "docs"));
  DBProcess& store = *param._dbProcess();
  EXPECT_FALSE(store.ExecSql("select 1"));
  EXPECT_FALSE(store.BeginTransaction());
  EXPECT_FALSE(store.TableExist("AppOption"));
  EXPECT_FALSE(store.CreateAllTables());
  EXPECT_FALSE(store.ReadAppOption(param));
  EXPECT_FALSE(store.UpdateQuorvelKey("lost"));
  EXPECT_EQ(param._QuorvelKey(), "kept");

  // A folder where the database file should be.
  GlbParam::ReleaseResource();
  fs::create_directories(file_);
  EXPECT_FALSE(StartOptionStore(GlbParam::instance(), docs_));
  EXPECT_FALSE(GlbParam::instance()._dbProcess()->UpdateQuorvelOpenState(true));
}

TEST_F(OptionStoreTest, LockedFileKeepsThePreviousValue) {
  test::Watchdog dog;
  DBProcess& store = *restart()._dbProcess();
  ASSERT_TRUE(store.UpdateQuorvelKey("before the lock"));
  RawDb other(file_);
  other.exec("begin exclusive transaction");
  EXPECT_FALSE(store.UpdateQuorvelKey("during the lock"));
  other.exec("rollback");
  EXPECT_EQ(other.text("select optionValue from AppOption where optionID=2"), "before the lock");
  EXPECT_TRUE(store.UpdateQuorvelKey("after the lock"));
}

TEST_F(OptionStoreTest, StatementResultsReflectWhatSqliteDid) {
  DBProcess& store = *restart()._dbProcess();
  EXPECT_TRUE(store.ExecSql("insert into AppOption values(5,'a')"));
  EXPECT_FALSE(store.ExecSql("insert into AppOption values(5,'b')"));  // primary key taken
  EXPECT_FALSE(store.ExecSql("selec nothing"));
  EXPECT_TRUE(store.ExecSql("select * from AppOption"));
  EXPECT_TRUE(store.BeginTransaction());
  EXPECT_FALSE(store.BeginTransaction());
  EXPECT_TRUE(store.RollbackTransaction());
  EXPECT_FALSE(store.CommitTransaction());  // nothing left to commit
  EXPECT_TRUE(store.CreateAllTables());

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "select 1 as optionID, 2 as optionValue, 3 as optionID", -1,
                               &stmt, nullptr),
            SQLITE_OK);
  EXPECT_EQ(DBProcess::FieldIndex(stmt, "optionID"), 0);
  EXPECT_EQ(DBProcess::FieldIndex(stmt, "optionValue"), 1);
  EXPECT_EQ(DBProcess::FieldIndex(stmt, "OPTIONID"), -1);
  EXPECT_EQ(DBProcess::FieldIndex(nullptr, "optionID"), -1);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

}  // namespace
}  // namespace zt
