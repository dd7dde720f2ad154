// The interpreter on a probe database: answers, refusals, batches as one
// transaction, injection, capacity, answer files and a commit the disk refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "HostTestSupport.h"
#include "host/HostCall.h"
#include "host/SqliteDb.h"
#include "sys/CodePage.h"
#include "tests/support/FileSizeLimit.h"

namespace {

using host::Status;
using hosttest::ProbeCount;
using hosttest::ProbeValue;
using hosttest::RunProbe;
using tavro_test::ReadFile;

class WireInterpreter : public ::testing::Test {
 protected:
  hosttest::TempDir dir;
  host::SqliteDb db{dir.File("bank.db"), hosttest::ProbeSetup()};

  // Puts k = v through the wire and expects success.
  void Put(const std::string& k, const std::string& v) {
    ASSERT_TRUE(RunProbe(db, "T_Put '" + k + "','" + v + "'").ok());
  }
};

// A conflict with another workstation is run again from the start, unseen by the
// caller, a bounded number of times; a lost connection is the status of a bank out
// of reach; each failed run takes its changes back with it.
TEST_F(WireInterpreter, EngineFailuresAreRunAgainOrAnsweredWithTheirStatus) {
  std::string answer;
  hosttest::SetEngineFailures(3);
  host::Outcome outcome = RunProbe(db, "T_Engine 'conflict'", &answer);
  EXPECT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_EQ(answer,
            "1\x07"
            "done\r\n");
  EXPECT_EQ(ProbeValue(db, "engine"), "conflict");

  Put("engine", "before");
  hosttest::SetEngineFailures(1000);
  outcome = RunProbe(db, "T_Engine 'conflict'");
  EXPECT_EQ(outcome.status, Status::Busy);
  EXPECT_EQ(outcome.error, host::kBusyText);
  EXPECT_EQ(ProbeValue(db, "engine"), "before");

  hosttest::SetEngineFailures(1);
  outcome = RunProbe(db, "T_Engine 'lost'");
  EXPECT_EQ(outcome.status, Status::NoDatabase);
  EXPECT_NE(outcome.error.find("probe lost"), std::string::npos) << outcome.error;
  EXPECT_FALSE(outcome.reconnect) << "the command had started: it is not run again";
  EXPECT_EQ(ProbeValue(db, "engine"), "before");

  hosttest::SetEngineFailures(1);
  outcome = RunProbe(db, "exec T_Put 'x','1'\nexec T_Engine 'busy'");
  EXPECT_EQ(outcome.status, Status::Busy);
  EXPECT_EQ(ProbeValue(db, "x"), "<none>");
  hosttest::SetEngineFailures(0);
}

TEST_F(WireInterpreter, CallAnswersTheProcedureRows) {
  Put("a", "1");
  Put("b", "2");
  std::string answer;
  ASSERT_TRUE(RunProbe(db, "T_All", &answer).ok());
  EXPECT_EQ(answer,
            "a\x07"
            "1\r\nb\x07"
            "2\r\n");
  ASSERT_TRUE(RunProbe(db, "T_Put 'c','3'", &answer).ok());
  EXPECT_EQ(answer,
            "1\x07"
            "c\r\n");
  ASSERT_TRUE(RunProbe(db, "MN_GetProbe 'zz'", &answer).ok());
  EXPECT_EQ(answer, "");
  // The user report select is the one select served.
  ASSERT_TRUE(RunProbe(db, "select v from probe where k='c'", &answer).ok());
  EXPECT_EQ(answer, "3\r\n");

  host::Outcome outcome = RunProbe(db, sys::Utf8ToGbk("T_Fail '客户不存在'"));
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_EQ(outcome.error, "客户不存在");
}

TEST_F(WireInterpreter, RefusalsNameTheProblemAndChangeNothing) {
  Put("a", "1");
  struct Case {
    std::string command;
    std::string error;
  };
  const Case cases[] = {
      {"T_Nope 'a'", "unknown command T_Nope"},
      {"T_Put 'a'", "T_Put: expects 2 arguments, got 1"},
      {"T_All 'x'", "T_All: expects 0 arguments, got 1"},
      {"T_Put 'a',5", "T_Put: argument 2 must be a quoted text"},
      {"T_Num '5','x'", "T_Num: argument 1 must be a number"},
      {"T_Put 'a','\x81 '", "T_Put: argument 2 is not valid GBK text"},
      {"select v from probe where k='a' or 1=1", "only the user report select is accepted"},
      {"exec T_Put 'x','1'\r\nexec T_Bad", "statement 2: unknown command T_Bad"},
      // A batch answers only its count: a read in it would run for nothing.
      {"exec T_Put 'x','1'\r\nexec MN_GetProbe 'a'",
       "statement 2: MN_GetProbe only reads, and a batch answers nothing of it; send it alone"},
      {"set nocount on\r\nexec MN_GetProbe 'a'", "statement 1: MN_GetProbe only reads"},
  };
  for (const auto& c : cases) {
    host::Outcome outcome = RunProbe(db, c.command);
    EXPECT_EQ(outcome.status, Status::Refused) << c.command;
    EXPECT_EQ(outcome.error.substr(0, c.error.size()), c.error) << c.command;
  }
  // 0x81 0x27 is no GBK character: the quote still closes the text, which is refused
  // rather than stored altered.
  host::Outcome lone = RunProbe(db, "T_Put 'a\x81','b'");
  EXPECT_EQ(lone.status, Status::Refused);
  EXPECT_EQ(lone.error, "T_Put: argument 1 is not valid GBK text");
  EXPECT_EQ(ProbeCount(db), 1);
  EXPECT_EQ(ProbeValue(db, "a"), "1");
}

TEST_F(WireInterpreter, BatchIsAllOrNothingAndItsRefusalsFailIt) {
  Put("keep", "old");
  host::Outcome outcome = RunProbe(db,
                                   "exec T_Put 'one','1'\r\n"
                                   "exec T_Put 'keep','new'\r\n"
                                   "exec T_Fail 'third refuses'\r\n"
                                   "exec T_Put 'four','4'\r\n");
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_EQ(outcome.error, "statement 3: third refuses");
  EXPECT_EQ(ProbeValue(db, "keep"), "old");
  EXPECT_EQ(ProbeCount(db), 1);

  // Alone, an update refusal is an answer the caller reads; in a batch nobody reads
  // it, so the batch fails and is undone.
  std::string answer;
  ASSERT_TRUE(RunProbe(db, "T_Refuse 0", &answer).ok());
  EXPECT_EQ(answer, "0\x07no way\r\n");
  for (const char* code : {"0", "-1"}) {
    outcome = RunProbe(db, std::string("exec T_Put 'a','1'\r\nexec T_Refuse ") + code + "\r\n");
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_EQ(outcome.error, "statement 2: no way");
    EXPECT_EQ(ProbeCount(db), 1);
  }

  // The batch without a failing statement lands whole and answers its count, or
  // nothing after "set nocount on".
  ASSERT_TRUE(RunProbe(db,
                       "exec T_Put 'one','1'\x1e"
                       "exec T_Put 'keep','new'\r\nexec T_Refuse 1\r\n",
                       &answer)
                  .ok());
  EXPECT_EQ(answer, "3\r\n");
  EXPECT_EQ(ProbeValue(db, "keep"), "new");
  EXPECT_EQ(ProbeCount(db), 2);
  ASSERT_TRUE(RunProbe(db, "set nocount on\r\nexec T_Put 'e','5'\r\n", &answer).ok());
  EXPECT_EQ(answer, "");
  EXPECT_EQ(ProbeValue(db, "e"), "5");

  // A batch of no statements (a save with nothing to change) runs nothing and succeeds.
  ASSERT_TRUE(RunProbe(db, "", &answer).ok());
  EXPECT_EQ(answer, "0\r\n");
  ASSERT_TRUE(RunProbe(db, "set nocount on\r\n", &answer).ok());
  EXPECT_EQ(answer, "");
  EXPECT_EQ(ProbeCount(db), 3);
}

TEST_F(WireInterpreter, HostileTextsAreStoredByteForByteAndTouchNoOtherRow) {
  Put("other", "untouched");
  const std::string texts[] = {
      "it''s",                              // arrives as it's
      "''); drop table probe; --",          // quotes doubled by the sender
      "a\ab",                               // field separator 0x07
      "line1\r\nline2",                     // a raw line break
      "one\x0etwo",                         // the wire's line break mark
      "\x95\x5c\x81\x60\x81\x7c",           // trail bytes backslash, backquote, bar
      sys::Utf8ToGbk("浦东\x0e发展"),       // Chinese across a line break
      "exec T_Put ''other'',''gone''\x1e",  // a statement inside a text
  };
  int i = 0;
  for (const std::string& quoted : texts) {
    // What the module meant to send: the quoting undone.
    std::string meant;
    for (std::size_t p = 0; p < quoted.size(); ++p) {
      meant.push_back(quoted[p]);
      if (quoted[p] == '\'') {
        ++p;
      }
    }
    std::string key = "k" + std::to_string(i++);
    std::string put = "exec T_Put '" + key + "','";
    put += quoted;
    put += "'\r\n";
    ASSERT_TRUE(RunProbe(db, put).ok()) << quoted;

    // The database holds the UTF-8 of exactly that text, 0x0E as a real line break.
    std::string stored = sys::GbkToUtf8(meant);
    for (std::size_t p = stored.find('\x0e'); p != std::string::npos; p = stored.find('\x0e')) {
      stored.replace(p, 1, "\r\n");
    }
    EXPECT_EQ(ProbeValue(db, key), stored) << quoted;

    // Read back over the wire: the same bytes, line breaks as 0x0E.
    std::string answer;
    ASSERT_TRUE(RunProbe(db, "MN_GetProbe '" + key + "'", &answer).ok());
    std::string wire = meant;
    for (std::size_t p = wire.find("\r\n"); p != std::string::npos; p = wire.find("\r\n")) {
      wire.replace(p, 2, "\x0e");
    }
    EXPECT_EQ(answer, wire + "\r\n") << quoted;
  }
  EXPECT_EQ(ProbeValue(db, "other"), "untouched");
  EXPECT_EQ(ProbeCount(db), 1 + i);
}

TEST_F(WireInterpreter, BankChannelServesOnlyTheBankMasterRecord) {
  auto onBank = [&](const std::string& command, std::string* answer) {
    return RunProbe(db, command, answer, host::Channel::Bank);
  };
  std::string answer;
  ASSERT_TRUE(onBank("ST_GetBankSimple 7", &answer).ok());
  EXPECT_EQ(answer, "7\r\n");
  EXPECT_EQ(onBank("T_Put 'a','b'", nullptr).error, "T_Put is not served on channel A03");
  EXPECT_EQ(onBank("exec ST_GetBankSimple 7", nullptr).error,
            "batches are not served on channel A03");
  EXPECT_EQ(onBank("", nullptr).error, "batches are not served on channel A03");
  EXPECT_EQ(ProbeCount(db), 0);
  // The main channel serves it as well.
  ASSERT_TRUE(RunProbe(db, "ST_GetBankSimple 8", &answer).ok());
  EXPECT_EQ(answer, "8\r\n");
}

TEST_F(WireInterpreter, AnswerFitsExactlyOrFailsWholeAndUndone) {
  // T_Put answers "1" 0x07 key CR LF: 5 bytes for a one-letter key.
  char result[16];
  std::memset(result, 'X', sizeof result);
  host::Outcome outcome =
      host::CallIntoBuffer(db, hosttest::ProbeServer(), "A01\x07T_Put 'a','1'", result, 5);
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_STREQ(result,
               "1\x07"
               "a\r\n");

  std::memset(result, 'X', sizeof result);
  outcome = host::CallIntoBuffer(db, hosttest::ProbeServer(), "A01\x07T_Put 'b','2'", result, 4);
  EXPECT_EQ(outcome.status, Status::NoRoom);
  EXPECT_EQ(outcome.error, "the answer (5 bytes) does not fit the buffer of 4 bytes");
  EXPECT_STREQ(result, "");
  EXPECT_EQ(result[5], 'X');  // nothing written past the buffer
  // The change of a command whose answer could not be handed over is undone.
  EXPECT_EQ(ProbeValue(db, "b"), "<none>");

  outcome = host::CallIntoBuffer(db, hosttest::ProbeServer(), "A01\x07T_All", result, 0);
  EXPECT_EQ(outcome.status, Status::NoRoom);
  outcome = host::CallIntoBuffer(db, hosttest::ProbeServer(), "MN_GetProbe 'a'", result, 10);
  EXPECT_EQ(outcome.status, Status::Refused);
  EXPECT_EQ(outcome.error, "channel prefix missing (A01 or A03 and 0x07)");
}

TEST_F(WireInterpreter, AnswerFileIsCreatedExclusivelyAndPrivately) {
  Put("a", "1");
  std::string file = dir.File("answer");
  host::Outcome outcome =
      host::CallIntoFile(db, hosttest::ProbeServer(), "A01\x07T_All", file.c_str());
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_EQ(ReadFile(file),
            "a\x07"
            "1\r\n");
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // An existing file is neither overwritten nor reused.
  outcome = host::CallIntoFile(db, hosttest::ProbeServer(), "A01\x07T_Put 'b','2'", file.c_str());
  EXPECT_EQ(outcome.status, Status::FileError);
  EXPECT_EQ(outcome.error, "the answer file exists already");
  EXPECT_EQ(ReadFile(file),
            "a\x07"
            "1\r\n");
  EXPECT_EQ(ProbeValue(db, "b"), "<none>");

  // A link at the name is never followed, dangling or not.
  std::string target = dir.File("target");
  std::string link = dir.File("link");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  outcome = host::CallIntoFile(db, hosttest::ProbeServer(), "A01\x07T_All", link.c_str());
  EXPECT_EQ(outcome.status, Status::FileError);
  EXPECT_NE(access(target.c_str(), F_OK), 0);
  { std::ofstream(target) << "precious"; }
  outcome = host::CallIntoFile(db, hosttest::ProbeServer(), "A01\x07T_All", link.c_str());
  EXPECT_EQ(outcome.status, Status::FileError);
  EXPECT_EQ(ReadFile(target), "precious");

  // A failed command leaves no file; no name is refused.
  std::string unused = dir.File("unused");
  outcome = host::CallIntoFile(db, hosttest::ProbeServer(), "A01\x07T_Fail 'no'", unused.c_str());
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_NE(access(unused.c_str(), F_OK), 0);
  outcome = host::CallIntoFile(db, hosttest::ProbeServer(), "A01\x07T_All", "");
  EXPECT_EQ(outcome.status, Status::Refused);
}

// A long answer reaches its file in parts as its rows are read: the same bytes as
// the whole answer in a buffer; a run that fails after writing parts leaves no file
// and no change, and a run again after a conflict writes the file afresh.
TEST_F(WireInterpreter, AnswerFileTakesALongAnswerInPartsAllOrNothing) {
  constexpr int kRows = 30000;  // several parts of the streamed answer
  const std::string command = "A01\x07T_Many " + std::to_string(kRows);
  std::vector<char> whole(std::size_t{1} << 20);
  host::Outcome outcome =
      host::CallIntoBuffer(db, hosttest::ProbeServer(), command + ",''", whole.data(),
                           static_cast<std::int32_t>(whole.size() - 1));
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  const std::string expected = whole.data();
  ASSERT_GT(expected.size(), std::size_t{256} * 1024);
  EXPECT_EQ(expected.substr(0, 6), "0\x07" + sys::Utf8ToGbk("中") + "\r\n");

  struct Run {
    const char* how;
    int conflicts;
    Status status;
  };
  for (const Run& run : {Run{"''", 0, Status::Ok}, Run{"'conflict'", 2, Status::Ok},
                         Run{"'fail'", 0, Status::Failed}}) {
    SCOPED_TRACE(run.how);
    Put("many", "before");
    hosttest::SetEngineFailures(run.conflicts);
    const std::string file = dir.File("many");
    outcome =
        host::CallIntoFile(db, hosttest::ProbeServer(), command + "," + run.how, file.c_str());
    EXPECT_EQ(outcome.status, run.status) << outcome.error;
    if (run.status == Status::Ok) {
      EXPECT_EQ(ReadFile(file), expected);
      EXPECT_EQ(ProbeValue(db, "many"), std::to_string(kRows));
    } else {
      EXPECT_EQ(outcome.error, "failed after the rows");
      EXPECT_NE(access(file.c_str(), F_OK), 0) << "half an answer left behind";
      EXPECT_EQ(ProbeValue(db, "many"), "before");
    }
    unlink(file.c_str());
  }
}

TEST_F(WireInterpreter, CommitTheDiskRefusesFailsTheCommandAndStoresNothing) {
  Put("a", "1");
  // The change stays in the page cache until the commit writes it to the log, so the
  // commit is what meets the limit; the small answer file fits under it.
  std::string file = dir.File("answer");
  host::Outcome outcome;
  {
    tavro_test::FileSizeLimit limit(rlim_t{64} * 1024);
    std::string big = "T_Put 'big','" + std::string(std::size_t{256} * 1024, 'v') + "'";
    outcome = host::CallIntoFile(db, hosttest::ProbeServer(), "A01\x07" + big, file.c_str());
  }
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_NE(outcome.error.find("commit failed"), std::string::npos) << outcome.error;
  EXPECT_NE(access(file.c_str(), F_OK), 0) << "answer of a command that did not stick";
  EXPECT_EQ(ProbeValue(db, "big"), "<none>");

  // Into a buffer: the answer was handed over before the commit failed, and must not
  // stay there to be read as the result of a change that did not happen.
  std::vector<char> result(64, 'X');
  {
    tavro_test::FileSizeLimit limit(rlim_t{64} * 1024);
    std::string big = "T_Put 'big','" + std::string(std::size_t{256} * 1024, 'v') + "'";
    outcome = host::CallIntoBuffer(db, hosttest::ProbeServer(), "A01\x07" + big, result.data(),
                                   static_cast<std::int32_t>(result.size() - 1));
  }
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_NE(outcome.error.find("commit failed"), std::string::npos) << outcome.error;
  EXPECT_STREQ(result.data(), "");
  EXPECT_EQ(ProbeValue(db, "big"), "<none>");
  // The connection is out of the failed transaction and takes the next change.
  Put("b", "2");
  host::SqliteDb fresh(dir.File("bank.db"), hosttest::ProbeSetup());
  EXPECT_EQ(ProbeValue(fresh, "big"), "<none>");
  EXPECT_EQ(ProbeCount(fresh), 2);
}

TEST(WireCommandText, ReadByLengthZeroBytesRefusedInside) {
  std::string_view text;
  std::string error;
  const char raw[] = "A01\x07T_All\0\0";
  ASSERT_TRUE(host::ReadCommandText(raw, 11, text, error));
  EXPECT_EQ(text, "A01\x07T_All");
  ASSERT_TRUE(host::ReadCommandText(raw, 6, text, error));
  EXPECT_EQ(text, "A01\x07T_");
  const char inner[] = "A01\x07T_Put 'a\0b','c'";
  EXPECT_FALSE(host::ReadCommandText(inner, sizeof inner - 1, text, error));
  EXPECT_EQ(error, "the command holds a zero byte");
  EXPECT_FALSE(host::ReadCommandText(nullptr, 3, text, error));
  EXPECT_FALSE(host::ReadCommandText(raw, -1, text, error));
}

}  // namespace
