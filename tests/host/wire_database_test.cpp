// Opening the bank database: creation, private files, pragmas, versions, files that
// are no database, opening beside a writer, and the statement cache.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

#include "HostTestSupport.h"
#include "host/Database.h"
#include "host/Procedure.h"
#include "host/Schema.h"
#include "host/SqliteDb.h"

namespace {

using hosttest::Scalar;
using hosttest::TempDir;

// Runs sql on a plain connection, outside the host.
void RawExec(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

std::string OpenError(const std::string& path) {
  try {
    host::SqliteDb db(path, hosttest::ProbeSetup());
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

void FailingData(host::Db& db) {
  db.Exec("INSERT INTO probe VALUES('half','done')");
  throw std::runtime_error("seed failed");
}

TEST(WireDatabase, CreatesFolderSchemaAndVersionWithDurablePragmasAndNothingHalfDone) {
  TempDir dir;
  const std::string path = dir.File("a/b/bank.db");
  host::DbSetup broken = hosttest::ProbeSetup();
  broken.data = FailingData;
  EXPECT_THROW(host::SqliteDb(path, broken), std::runtime_error);
  {
    // The failed creation left an empty database, which is created properly.
    host::SqliteDb db(path, hosttest::ProbeSetup());
    EXPECT_TRUE(db.created());
    EXPECT_EQ(hosttest::ProbeCount(db), 0);
    EXPECT_EQ(Scalar(db, "PRAGMA user_version"), "1");
    EXPECT_EQ(Scalar(db, "PRAGMA synchronous"), "2");  // FULL
    EXPECT_EQ(Scalar(db, "PRAGMA foreign_keys"), "1");
    ASSERT_TRUE(hosttest::RunProbe(db, "T_Put 'k','v'").ok());
  }
  host::SqliteDb again(path, hosttest::ProbeSetup());
  EXPECT_FALSE(again.created());
  EXPECT_EQ(hosttest::ProbeValue(again, "k"), "v");
  EXPECT_EQ(Scalar(again, "PRAGMA journal_mode"), "wal");
}

// The database and its -wal and -shm files hold the bank's data: they are the
// user's alone, whatever umask the program runs under.
TEST(WireDatabase, FilesAreCreatedPrivateWhateverTheUmask) {
  for (mode_t mask : {mode_t{0}, mode_t{022}, mode_t{0277}}) {
    TempDir dir;
    const std::string path = dir.File("bank.db");
    const mode_t saved = umask(mask);
    {
      host::SqliteDb db(path, hosttest::ProbeSetup());
      ASSERT_TRUE(hosttest::RunProbe(db, "T_Put 'k','v'").ok());
      for (const std::string& file : {path, path + "-wal", path + "-shm"}) {
        struct stat info {};
        ASSERT_EQ(stat(file.c_str(), &info), 0) << file;
        EXPECT_EQ(info.st_mode & 0777, 0600u) << file << " under umask " << std::oct << mask;
      }
    }
    umask(saved);
  }
}

// Another process writing does not hold up one that opens the database: only a new
// database needs the write lock to be created.
TEST(WireDatabase, OpeningACurrentDatabaseDoesNotWaitForAWriter) {
  TempDir dir;
  const std::string path = dir.File("bank.db");
  { host::SqliteDb db(path, hosttest::ProbeSetup()); }
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE; INSERT INTO probe VALUES('w','1')", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  const auto start = std::chrono::steady_clock::now();
  try {
    host::SqliteDb reader(path, hosttest::ProbeSetup());
    EXPECT_FALSE(reader.created());
    EXPECT_EQ(hosttest::ProbeValue(reader, "w"), "<none>");
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
}

TEST(WireDatabase, RefusesWhatItCannotServe) {
  TempDir dir;
  const std::string newer = dir.File("newer.db");
  { host::SqliteDb db(newer, hosttest::ProbeSetup()); }
  RawExec(newer, "PRAGMA user_version=7");
  EXPECT_EQ(OpenError(newer), newer + " has schema version 7, this host knows version 1");

  const std::string foreign = dir.File("foreign.db");  // tables but no version
  RawExec(foreign, "CREATE TABLE t(x)");
  EXPECT_EQ(OpenError(foreign), foreign + " is not a bank database (no schema version)");

  // A file that is no database at all is refused and left as it was.
  const std::string text = dir.File("notes.db");
  const std::string notes = "these are not the pages you are looking for, " + std::string(600, 'x');
  { std::ofstream(text) << notes; }
  EXPECT_EQ(OpenError(text), text + " is not a database");
  EXPECT_EQ(tavro_test::ReadFile(text), notes);

  const std::string folder = dir.File("folder.db");  // a folder in the way of the file
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  EXPECT_FALSE(OpenError(folder).empty());
}

// A bank as the first release made it: its tables and data at version 1.
void FirstVersion(host::Db& db) {
  db.Exec(host::SqliteSchemaSteps()[0]);
}

// An embedded bank of an earlier release is brought up to date when it is opened,
// keeping every row; opened again it is left alone.
TEST(WireDatabase, ABankOfAnEarlierReleaseIsUpgradedKeepingItsRows) {
  TempDir dir;
  const std::string path = dir.File("bank.db");
  const char* customers = "SELECT count(*) || ':' || max(cust_id) FROM customer";
  std::string before;
  {
    host::SqliteDb old(path, host::DbSetup{FirstVersion, host::SeedDemoData, 1});
    before = Scalar(old, customers);
  }
  for (int open = 0; open < 2; ++open) {
    host::SqliteDb db(path, host::BankSetup(false));
    EXPECT_FALSE(db.created());
    EXPECT_EQ(Scalar(db, "PRAGMA user_version"), std::to_string(host::kSchemaVersion));
    EXPECT_EQ(Scalar(db, customers), before);
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM service_login"), "0");
  }
}

TEST(WireDatabase, PreparedStatementsAreReusedResetAndUnbound) {
  TempDir dir;
  host::SqliteDb db(dir.File("bank.db"), hosttest::ProbeSetup());
  const char* sql = "SELECT ?";
  host::Statement& first = db.Prepare(sql);
  first.Bind(1, std::int64_t{42});
  ASSERT_TRUE(first.Step());
  EXPECT_EQ(first.Int(0), 42);
  // Fetched again mid-step by another pointer to the same text: the same statement,
  // from the start, binding cleared.
  const std::string copy = sql;
  host::Statement& second = db.Prepare(copy.c_str());
  EXPECT_EQ(&second, &first);
  ASSERT_TRUE(second.Step());
  EXPECT_TRUE(second.IsNull(0));
  db.ResetStatements();
  int busy = 0;
  for (sqlite3_stmt* s = sqlite3_next_stmt(db.handle(), nullptr); s;
       s = sqlite3_next_stmt(db.handle(), s)) {
    busy += sqlite3_stmt_busy(s);
  }
  EXPECT_EQ(busy, 0);
  EXPECT_THROW(db.Prepare("SELECT nothing FROM nowhere"), std::runtime_error);
}

TEST(WireDatabase, DefaultPathFollowsTheEnvironment) {
  tavro_test::ScopedEnv home("HOME", "/home/op");
  tavro_test::ScopedEnv bank("TAVRO_BANK_DB", nullptr);
  tavro_test::ScopedEnv data("XDG_DATA_HOME", nullptr);
  const struct {
    const char* variable;
    const char* value;
    const char* path;
  } steps[] = {
      {"XDG_DATA_HOME", nullptr, "/home/op/.local/share/tavro/bank.db"},
      {"XDG_DATA_HOME", "relative", "/home/op/.local/share/tavro/bank.db"},  // not absolute
      {"XDG_DATA_HOME", "/data", "/data/tavro/bank.db"},
      {"TAVRO_BANK_DB", "/x/y.db", "/x/y.db"},
  };
  for (const auto& s : steps) {
    if (s.value != nullptr) {
      setenv(s.variable, s.value, 1);
    }
    EXPECT_EQ(host::DefaultDatabasePath(), s.path) << s.variable << "=" << s.value;
  }
}

}  // namespace
