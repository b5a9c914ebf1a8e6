// The option store on real files with real SQLite, looked at and edited through a connection
// of the test's own the way another program would.
#include "settings/option_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>
#include <string>

#include "cipher_probe.h"
#include "settings/db_process.h"
#include "settings/glb_param.h"
#include "support/io.h"

namespace zt {
namespace {

namespace fs = std::filesystem;

class OptionStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { GlbParam::ReleaseResource(); }
  void TearDown() override { GlbParam::ReleaseResource(); }

  // A new process: the settings object starts over and the store is started again.
  GlbParam& restart(bool quorvelOnBefore = false) {
    GlbParam::ReleaseResource();
    GlbParam& param = GlbParam::instance();
    param.setOpenQuorvel(quorvelOnBefore);
    EXPECT_TRUE(StartOptionStore(param, docs_));
    return param;
  }

  // Runs `statements` on a connection of its own; the first column of the first row, nullopt
  // for NULL or no row.
  std::optional<std::string> sql(const std::string& statements) {
    sqlite3* db = nullptr;
    std::optional<std::string> first;
    EXPECT_EQ(sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    auto keepFirst = [](void* out, int, char** values, char**) {
      auto& kept = *static_cast<std::optional<std::string>*>(out);
      if (!kept && values[0] != nullptr) kept = values[0];
      return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, statements.c_str(), keepFirst, &first, nullptr), SQLITE_OK)
        << statements;
    sqlite3_close(db);
    return first;
  }

  test::TempDir root_;
  fs::path docs_ = root_.path() / "home" / "docs";
  fs::path file_ = OptionDatabasePath(docs_);
};

TEST_F(OptionStoreTest, FirstStartCreatesFolderFileAndTableAndLaterStartsFindThem) {
  const fs::path cwd = fs::current_path();
  GlbParam& param = GlbParam::instance();
  ASSERT_TRUE(StartOptionStore(param, docs_));
  EXPECT_EQ(file_, docs_ / "ZemraDemo" / "ZemraDemo.db");
  EXPECT_EQ(fs::status(file_.parent_path()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(file_).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::current_path(), cwd);
  EXPECT_FALSE(param.openQuorvel() || param.quorvelKey().has_value());
  EXPECT_EQ(sql("select count(*) from AppOption"), "0");

  sql("insert into AppOption values(7,'kept')");
  DBProcess& store = *restart().dbProcess();
  EXPECT_FALSE(store.TableExist("AppOption' or '1'='1"));
  EXPECT_EQ(sql("select optionValue from AppOption where optionID=7"), "kept");
}

TEST_F(OptionStoreTest, StoredOptionsComeBackAfterARestartAndNothingElseCounts) {
  restart();
  sql("insert into AppOption values(1,'1'); insert into AppOption values(4,'1');"
      "insert into AppOption values(-2,'not a key'); insert into AppOption values(99,NULL)");
  EXPECT_FALSE(restart().openQuorvel());
  EXPECT_FALSE(GlbParam::instance().quorvelKey().has_value());

  const std::string key = "K3y'with\"quotes'";
  DBProcess& store = *GlbParam::instance().dbProcess();
  EXPECT_TRUE(store.UpdateQuorvelKey("first key 012345") && store.UpdateQuorvelKey(key));
  EXPECT_TRUE(store.UpdateQuorvelOpenState(false) && store.UpdateQuorvelOpenState(true));
  test::SetCipherKey("");  // what a fresh process starts with

  GlbParam& param = restart();
  EXPECT_TRUE(param.openQuorvel());
  EXPECT_EQ(param.quorvelKey(), key);
  const auto loaded = test::EncipherProbe();
  test::SetCipherKey(key);
  EXPECT_EQ(loaded, test::EncipherProbe());

  // Only the value "1" turns Quorvel on.
  for (const char* value : {"'0'", "'yes'", "NULL", "'1 '"}) {
    sql(std::string("replace into AppOption values(3,") + value + ")");
    EXPECT_FALSE(restart(true).openQuorvel()) << value;
  }
}

// A folder where the file should be: starting fails with the reason, the settings keep their
// values and the store stays closed.
TEST_F(OptionStoreTest, AnUnusableFileFailsWithItsReasonAndChangesNothing) {
  fs::create_directories(file_);
  GlbParam& param = GlbParam::instance();
  param.setOpenQuorvel(true);
  param.setQuorvelKey("in memory");
  EXPECT_FALSE(StartOptionStore(param, docs_));
  DBProcess& store = *param.dbProcess();
  EXPECT_EQ(store.lastFailure().what, OptionFailure::Read);
  EXPECT_EQ(store.lastFailure().reason, "unable to open database file");
  EXPECT_TRUE(param.openQuorvel());
  EXPECT_FALSE(store.UpdateQuorvelKey("new") || store.ReadAppOption(param));
  EXPECT_EQ(param.quorvelKey(), "in memory");
}

}  // namespace
}  // namespace zt
