// Several processes on one database: a process killed in the middle of a batch, and
// two processes writing at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "wire_TestServer.h"

namespace {

using wiretest::RunProbe;

// The groups of keys "b<n>_<m>" whose size is not the batch size.
int BrokenGroups(host::Db& db, int batchSize) {
  sqlite3_stmt* stmt = db.Prepare(
      "SELECT count(*) FROM (SELECT substr(k, 1, instr(k, '_')) AS g, count(*) AS n "
      "FROM probe WHERE k LIKE 'b%' GROUP BY g) WHERE n <> ?1");
  sqlite3_bind_int(stmt, 1, batchSize);
  int broken = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
  sqlite3_reset(stmt);
  return broken;
}

// Waits for pid; true when it was killed by SIGKILL.
bool KilledBySigkill(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) {
    return false;
  }
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class WireProcess : public ::testing::Test {
 protected:
  WireProcess() { host::Db create(path, wiretest::ProbeSetup()); }

  // Runs body on its own connection in a child process, which ends with body's code.
  template <typename Body>
  pid_t Child(Body body) {
    pid_t pid = fork();
    if (pid == 0) {
      host::Db db(path, wiretest::ProbeSetup());
      _exit(body(db));
    }
    return pid;
  }

  wiretest::TempDir dir;
  std::string path = dir.File("bank.db");
};

TEST_F(WireProcess, ProcessKilledInsideABatchLeavesNoneOfIt) {
  pid_t pid = Child([](host::Db& db) {
    RunProbe(db,
             "exec T_Put 'one','1'\r\nexec T_Put 'two','2'\r\nexec T_Kill\r\nexec T_Put 'x','3'");
    return 3;  // not reached: T_Kill ends the process
  });
  ASSERT_GE(pid, 0);
  ASSERT_TRUE(KilledBySigkill(pid));
  host::Db db(path, wiretest::ProbeSetup());
  EXPECT_EQ(wiretest::ProbeCount(db), 0);
  // The database still takes changes after the crash.
  ASSERT_TRUE(RunProbe(db, "T_Put 'after','1'").ok());
  EXPECT_EQ(wiretest::ProbeCount(db), 1);
}

TEST_F(WireProcess, BatchesKilledAtAnyMomentAreWholeOrAbsent) {
  constexpr int kBatchSize = 6;
  for (int round = 0; round < 3; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = Child([&](host::Db& db) {
      close(ready[0]);
      for (int n = 0;; ++n) {
        std::string batch;
        for (int m = 0; m < kBatchSize; ++m) {
          batch += "exec T_Put 'b" + std::to_string(round) + "-" + std::to_string(n) + "_" +
                   std::to_string(m) + "','" + std::string(200, 'v') + "'\r\n";
        }
        if (!RunProbe(db, batch).ok() || (n == 0 && write(ready[1], "r", 1) != 1)) {
          return 2;
        }
      }
    });
    ASSERT_GE(pid, 0);
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    usleep(static_cast<useconds_t>(20000 + 40000 * round));
    kill(pid, SIGKILL);
    ASSERT_TRUE(KilledBySigkill(pid));
  }
  host::Db db(path, wiretest::ProbeSetup());
  EXPECT_GE(wiretest::ProbeCount(db), 3 * kBatchSize);
  EXPECT_EQ(BrokenGroups(db, kBatchSize), 0);
}

TEST_F(WireProcess, TwoWritersAtOnceLoseNothing) {
  constexpr int kCommands = 150;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  int report[2][2];
  pid_t pids[2];
  for (int child = 0; child < 2; ++child) {
    ASSERT_EQ(pipe(report[child]), 0);
    pids[child] = Child([&](host::Db& db) {
      close(start[1]);
      close(report[child][0]);
      char go = 0;
      if (read(start[0], &go, 1) != 0) {
        return 2;  // released when the parent closes
      }
      int ok = 0, busy = 0, other = 0;
      for (int i = 0; i < kCommands; ++i) {
        std::string key = "c" + std::to_string(child) + "_" + std::to_string(i);
        host::Outcome outcome =
            i % 3 == 2
                ? RunProbe(db, "exec T_Put '" + key + "','1'\r\nexec T_Put '" + key + "','2'")
                : RunProbe(db, "T_Put '" + key + "','2'");
        if (outcome.ok()) {
          ++ok;
        } else if (outcome.status == host::Status::Busy && outcome.error == host::kBusyText) {
          ++busy;
        } else {
          ++other;
        }
        if (!RunProbe(db, "MN_GetProbe 'c0_0'").ok()) {
          ++other;
        }
      }
      std::string line =
          std::to_string(ok) + " " + std::to_string(busy) + " " + std::to_string(other);
      return write(report[child][1], line.data(), line.size()) < 0 ? 2 : 0;
    });
    ASSERT_GE(pids[child], 0);
    close(report[child][1]);
  }
  close(start[0]);
  close(start[1]);
  int okTotal = 0;
  for (int child = 0; child < 2; ++child) {
    char text[64] = {};
    ssize_t n = read(report[child][0], text, sizeof text - 1);
    close(report[child][0]);
    int status = 0;
    ASSERT_EQ(waitpid(pids[child], &status, 0), pids[child]);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_GT(n, 0);
    int ok = 0, busy = 0, other = 0;
    ASSERT_EQ(std::sscanf(text, "%d %d %d", &ok, &busy, &other), 3);
    EXPECT_EQ(ok + busy, kCommands);
    EXPECT_EQ(other, 0);
    okTotal += ok;
  }
  host::Db db(path, wiretest::ProbeSetup());
  EXPECT_EQ(wiretest::ProbeCount(db), okTotal);
  EXPECT_GT(okTotal, 0);
}

TEST_F(WireProcess, HeldWriteLockAnswersBusyAndReadsGoOn) {
  host::Db db(path, wiretest::ProbeSetup());
  ASSERT_TRUE(RunProbe(db, "T_Put 'a','1'").ok());
  sqlite3_busy_timeout(db.handle(), 50);

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO probe VALUES('x','y')", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  host::Outcome outcome = RunProbe(db, "exec T_Put 'b','2'\r\nexec T_Put 'c','3'");
  EXPECT_EQ(outcome.status, host::Status::Busy);
  EXPECT_EQ(outcome.error, host::kBusyText);
  // Readers see the last committed state while the writer works.
  std::string answer;
  ASSERT_TRUE(RunProbe(db, "MN_GetProbe 'a'", &answer).ok());
  EXPECT_EQ(answer, "1\r\n");
  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);

  ASSERT_TRUE(RunProbe(db, "exec T_Put 'b','2'\r\nexec T_Put 'c','3'").ok());
  EXPECT_EQ(wiretest::ProbeCount(db), 4);
}

}  // namespace
