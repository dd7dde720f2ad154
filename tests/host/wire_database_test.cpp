// The bank database: creation, private files, versions, files that are no database,
// the statement cache; several processes on it: a kill mid-batch, writers at once,
// held write locks, and the bank's locks against other code and a forked child.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>

#include "HostTestSupport.h"
#include "host/Database.h"
#include "host/Procedure.h"
#include "host/Schema.h"
#include "host/SqliteDb.h"

namespace {

using hosttest::ProbeCount;
using hosttest::ProbeSetup;
using hosttest::ProbeValue;
using hosttest::RunProbe;
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
    host::SqliteDb db(path, ProbeSetup());
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
  host::DbSetup broken = ProbeSetup();
  broken.data = FailingData;
  EXPECT_THROW(host::SqliteDb(path, broken), std::runtime_error);
  {
    // The failed creation left an empty database, which is created properly.
    host::SqliteDb db(path, ProbeSetup());
    EXPECT_TRUE(db.created());
    EXPECT_EQ(ProbeCount(db), 0);
    EXPECT_EQ(Scalar(db, "PRAGMA user_version"), "1");
    EXPECT_EQ(Scalar(db, "PRAGMA synchronous"), "2");  // FULL
    EXPECT_EQ(Scalar(db, "PRAGMA foreign_keys"), "1");
    ASSERT_TRUE(RunProbe(db, "T_Put 'k','v'").ok());
  }
  host::SqliteDb again(path, ProbeSetup());
  EXPECT_FALSE(again.created());
  EXPECT_EQ(ProbeValue(again, "k"), "v");
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
      host::SqliteDb db(path, ProbeSetup());
      ASSERT_TRUE(RunProbe(db, "T_Put 'k','v'").ok());
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
  { host::SqliteDb db(path, ProbeSetup()); }
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE; INSERT INTO probe VALUES('w','1')", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  const auto start = std::chrono::steady_clock::now();
  try {
    host::SqliteDb reader(path, ProbeSetup());
    EXPECT_FALSE(reader.created());
    EXPECT_EQ(ProbeValue(reader, "w"), "<none>");
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
  { host::SqliteDb db(newer, ProbeSetup()); }
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
  host::SqliteDb db(dir.File("bank.db"), ProbeSetup());
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

// Waits for pid; its wait status, or -1.
int Wait(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, 0) == pid ? status : -1;
}

bool ExitedWithZero(int status) {
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

off_t SizeOf(const std::string& file) {
  struct stat info {};
  return stat(file.c_str(), &info) == 0 ? info.st_size : -1;
}

class WireProcess : public ::testing::Test {
 protected:
  WireProcess() { host::SqliteDb create(path, ProbeSetup()); }
  // Runs body on its own connection in a child process, which ends with body's code.
  template <typename Body>
  pid_t Child(Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
      host::SqliteDb db(path, ProbeSetup());
      _exit(body(db));
    }
    return pid;
  }
  // Another connection holding the write lock with an uncommitted row x = y.
  sqlite3* OtherWriter() {
    sqlite3* other = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO probe VALUES('x','y')", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    return other;
  }

  hosttest::TempDir dir;
  std::string path = dir.File("bank.db");
};

TEST_F(WireProcess, ProcessKilledInsideABatchLeavesNoneOfItAndTheBankGoesOn) {
  const pid_t pid = Child([](host::Db& child) {
    RunProbe(child,
             "exec T_Put 'one','1'\r\nexec T_Put 'two','2'\r\nexec T_Kill\r\nexec T_Put 'x','3'");
    return 3;  // not reached: T_Kill ends the process
  });
  ASSERT_GE(pid, 0);
  const int status = Wait(pid);
  ASSERT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  host::SqliteDb db(path, ProbeSetup());
  EXPECT_EQ(ProbeCount(db), 0);
  ASSERT_TRUE(RunProbe(db, "T_Put 'after','1'").ok());
  EXPECT_EQ(ProbeCount(db), 1);
}

// Each transaction is short, so within the busy timeout every command gets its turn:
// a child ends with 0 only when all its commands and the reads between them worked.
TEST_F(WireProcess, TwoWritersAtOnceWaitForEachOtherAndLoseNothing) {
  constexpr int kCommands = 100;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  pid_t pids[2];
  for (int child = 0; child < 2; ++child) {
    pids[child] = Child([&](host::Db& own) {
      close(start[1]);
      char go = 0;
      if (read(start[0], &go, 1) != 0) {
        return 2;  // released when the parent closes
      }
      for (int i = 0; i < kCommands; ++i) {
        const std::string key = "'c" + std::to_string(child) + "_" + std::to_string(i) + "'";
        const std::string put = "T_Put " + key + ",'2'";
        std::string batch = "exec T_Put " + key;
        batch.append(",'1'\r\nexec ").append(put);
        const host::Outcome outcome = RunProbe(own, i % 3 == 2 ? batch : put);
        if (!outcome.ok() || !RunProbe(own, "MN_GetProbe 'c0_0'").ok()) {
          return 1;
        }
      }
      return 0;
    });
    ASSERT_GE(pids[child], 0);
  }
  close(start[0]);
  close(start[1]);
  for (pid_t pid : pids) {
    EXPECT_TRUE(ExitedWithZero(Wait(pid)));
  }
  host::SqliteDb db(path, ProbeSetup());
  EXPECT_EQ(ProbeCount(db), 2 * kCommands);
}

// Readers see the last committed state while another connection writes.
TEST_F(WireProcess, HeldWriteLockAnswersBusyAndReadsGoOn) {
  host::SqliteDb db(path, ProbeSetup());
  ASSERT_TRUE(RunProbe(db, "T_Put 'a','1'").ok());
  sqlite3_busy_timeout(db.handle(), 50);
  sqlite3* other = OtherWriter();
  const host::Outcome outcome = RunProbe(db, "exec T_Put 'b','2'\r\nexec T_Put 'c','3'");
  EXPECT_EQ(outcome.status, host::Status::Busy);
  EXPECT_EQ(outcome.error, host::kBusyText);
  std::string answer;
  ASSERT_TRUE(RunProbe(db, "MN_GetProbe 'a'", &answer).ok());
  EXPECT_EQ(answer, "1\r\n");
  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
  ASSERT_TRUE(RunProbe(db, "exec T_Put 'b','2'\r\nexec T_Put 'c','3'").ok());
  EXPECT_EQ(ProbeCount(db), 4);
}

// Commits the other connection's transaction from inside the busy wait, so the writer
// is released exactly when a command has started waiting for it.
int ReleaseWriterWhenWaited(void* other, int tries) {
  if (tries > 0) {
    return 0;  // still locked after the release: give up rather than spin
  }
  return sqlite3_exec(static_cast<sqlite3*>(other), "COMMIT", nullptr, nullptr, nullptr) ==
         SQLITE_OK;
}

// A transaction that read before it asks for the write lock cannot wait for it; one
// that takes the lock before its first read gets its turn once the writer is done.
TEST_F(WireProcess, CommandThatReadsFirstWaitsForTheWriterInsteadOfFailing) {
  host::SqliteDb db(path, ProbeSetup());
  ASSERT_TRUE(RunProbe(db, "T_Put 'a','1'").ok());
  sqlite3* other = OtherWriter();
  sqlite3_busy_handler(db.handle(), ReleaseWriterWhenWaited, other);
  // T_All reads, but as a writer: its batch takes the lock before the read.
  const host::Outcome outcome = RunProbe(db, "exec T_All\r\nexec T_Put 'b','2'");
  EXPECT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_TRUE(sqlite3_get_autocommit(other)) << "the command never waited for the writer";
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);  // only when left open
  sqlite3_close(other);
  EXPECT_EQ(ProbeValue(db, "b"), "2");
  EXPECT_EQ(ProbeValue(db, "x"), "y");
}

// Other code of the process (a file dialog telling the type of the files in the
// bank's folder) opens and closes the bank's files. The bank's locks must outlast
// that: without them another program believes itself alone, truncates the shared
// memory this process has mapped and removes the write-ahead log.
TEST_F(WireProcess, OtherCodeClosingTheBanksFilesLeavesItsLocks) {
  host::SqliteDb db(path, ProbeSetup());
  ASSERT_TRUE(RunProbe(db, "T_Put 'a','1'").ok());
  const std::string wal = path + "-wal";
  const std::string shm = path + "-shm";
  const off_t shmSize = SizeOf(shm);
  ASSERT_GT(shmSize, 3);
  for (const std::string& file : {path, wal, shm}) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << file;
    close(fd);
  }
  // Another program reads; alone with the bank, it would reset the shared memory as it
  // opens and checkpoint and remove the log as it closes.
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    execlp("sqlite3", "sqlite3", path.c_str(), "SELECT count(*) FROM probe", nullptr);
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(ExitedWithZero(Wait(pid))) << "sqlite3 failed";
  ASSERT_EQ(SizeOf(shm), shmSize) << "the other program reset the shared memory";
  ASSERT_GE(SizeOf(wal), 0) << "the other program removed the write-ahead log";
  std::string answer;
  ASSERT_TRUE(RunProbe(db, "T_Put 'b','2'").ok());
  ASSERT_TRUE(RunProbe(db, "MN_GetProbe 'a'", &answer).ok());
  EXPECT_EQ(answer, "1\r\n");
  EXPECT_EQ(ProbeCount(db), 2);
}

// A process forked while the bank is open in its parent (the concurrency tests'
// workstations are made so) opens the bank itself: the parent's write lock, taken
// after the fork, must hold against it, although they share inherited descriptions.
TEST_F(WireProcess, AForkedChildIsLockedOutByItsParentsWrite) {
  host::SqliteDb db(path, ProbeSetup());
  ASSERT_TRUE(RunProbe(db, "T_Put 'a','1'").ok());
  int locked[2];
  ASSERT_EQ(pipe(locked), 0);
  const pid_t pid = Child([&](host::Db& child) {
    close(locked[1]);
    char go = 0;
    if (read(locked[0], &go, 1) != 1) {
      return 2;
    }
    sqlite3_busy_timeout(static_cast<host::SqliteDb&>(child).handle(), 50);
    return RunProbe(child, "T_Put 'b','2'").status == host::Status::Busy ? 0 : 1;
  });
  ASSERT_GT(pid, 0);
  close(locked[0]);
  ASSERT_EQ(sqlite3_exec(db.handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_EQ(write(locked[1], "x", 1), 1);
  close(locked[1]);
  EXPECT_TRUE(ExitedWithZero(Wait(pid))) << "the child wrote past the lock";
  ASSERT_EQ(sqlite3_exec(db.handle(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(ProbeCount(db), 1);
}

}  // namespace
