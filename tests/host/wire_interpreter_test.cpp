// The wire and the interpreter: commands the parser takes and refuses, the edge between
// the wire (GBK, 0x07 fields, CR LF rows, 0x0E line breaks) and the database (UTF-8),
// and on a probe database answers, refusals, batches as one transaction, injection,
// capacity, answer files and a commit the disk refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "HostTestSupport.h"
#include "host/CommandParser.h"
#include "host/HostCall.h"
#include "host/ProcCommon.h"
#include "host/SqliteDb.h"
#include "host/WireText.h"
#include "sys/CodePage.h"
#include "tests/support/FileSizeLimit.h"

namespace {

using host::CommandKind;
using host::ParseCommand;
using host::ParsedCommand;
using host::Status;
using hosttest::ProbeCount;
using hosttest::ProbeValue;
using hosttest::RunProbe;
using tavro_test::ReadFile;

bool Exists(const std::string& file) {
  return access(file.c_str(), F_OK) == 0;
}

class WireInterpreter : public ::testing::Test {
 protected:
  void Put(const std::string& k, const std::string& v) {
    ASSERT_TRUE(RunProbe(db, "T_Put '" + k + "','" + v + "'").ok());
  }
  // A command with its channel prefix, into a buffer or a file as the entry points do.
  host::Outcome Buffer(const std::string& raw, char* result, std::int32_t capacity) {
    return host::CallIntoBuffer(db, hosttest::ProbeServer(), raw, result, capacity);
  }
  host::Outcome File(const std::string& raw, const std::string& file) {
    return host::CallIntoFile(db, hosttest::ProbeServer(), raw, file.c_str());
  }

  hosttest::TempDir dir;
  host::SqliteDb db{dir.File("bank.db"), hosttest::ProbeSetup()};
};

// A conflict is run again, unseen, a bounded number of times; a lost connection is a
// bank out of reach; each failed run takes its changes back.
TEST_F(WireInterpreter, EngineFailuresAreRunAgainOrAnsweredWithTheirStatus) {
  std::string answer;
  hosttest::SetEngineFailures(3);
  host::Outcome outcome = RunProbe(db, "T_Engine 'conflict'", &answer);
  EXPECT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_EQ(answer, "1\adone\r\n");
  EXPECT_EQ(ProbeValue(db, "engine"), "conflict");
  Put("engine", "before");
  hosttest::SetEngineFailures(1000);
  outcome = RunProbe(db, "T_Engine 'conflict'");
  EXPECT_EQ(outcome.status, Status::Busy);
  EXPECT_EQ(outcome.error, host::kBusyText);
  hosttest::SetEngineFailures(1);
  outcome = RunProbe(db, "T_Engine 'lost'");
  EXPECT_EQ(outcome.status, Status::NoDatabase);
  EXPECT_NE(outcome.error.find("probe lost"), std::string::npos) << outcome.error;
  EXPECT_FALSE(outcome.reconnect) << "the command had started: it is not run again";
  EXPECT_EQ(ProbeValue(db, "engine"), "before");
  hosttest::SetEngineFailures(1);
  EXPECT_EQ(RunProbe(db, "exec T_Put 'x','1'\nexec T_Engine 'busy'").status, Status::Busy);
  EXPECT_EQ(ProbeValue(db, "x"), "<none>");
  hosttest::SetEngineFailures(0);
}

TEST_F(WireInterpreter, CallsAnswerTheirRowsAndRefusalsChangeNothing) {
  Put("a", "1");
  Put("b", "2");
  const struct {
    std::string command;
    std::string answer;
    host::Channel channel = host::Channel::Main;
  } answered[] = {
      {"T_All", "a\a1\r\nb\a2\r\n"},
      {"T_Put 'c','3'", "1\ac\r\n"},
      {"MN_GetProbe 'zz'", ""},
      {"select v from probe where k='c'", "3\r\n"},  // the one select served
      // The bank channel serves only the bank's master record; the main channel too.
      {"ST_GetBankSimple 7", "7\r\n", host::Channel::Bank},
      {"ST_GetBankSimple 8", "8\r\n"},
  };
  for (const auto& c : answered) {
    std::string answer = "unchanged";
    ASSERT_TRUE(RunProbe(db, c.command, &answer, c.channel).ok()) << c.command;
    EXPECT_EQ(answer, c.answer) << c.command;
  }
  host::Outcome outcome = RunProbe(db, sys::Utf8ToGbk("T_Fail '客户不存在'"));
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_EQ(outcome.error, "客户不存在");
  const struct {
    std::string command;
    std::string error;
    host::Channel channel = host::Channel::Main;
  } refused[] = {
      {"T_Nope 'a'", "unknown command T_Nope"},
      {"T_Put 'a'", "T_Put: expects 2 arguments, got 1"},
      {"T_Put 'a',5", "T_Put: argument 2 must be a quoted text"},
      {"T_Num '5','x'", "T_Num: argument 1 must be a number"},
      // 0x81 0x27 is no GBK character: the quote still closes the text.
      {"T_Put 'a\x81','b'", "T_Put: argument 1 is not valid GBK text"},
      {"select v from probe where k='a' or 1=1", "only the user report select is accepted"},
      {"exec T_Put 'x','1'\r\nexec T_Bad", "statement 2: unknown command T_Bad"},
      // A batch answers only its count: a read in it would run for nothing.
      {"exec T_Put 'x','1'\r\nexec MN_GetProbe 'a'",
       "statement 2: MN_GetProbe only reads, and a batch answers nothing of it; send it alone"},
      {"T_Put 'a','b'", "T_Put is not served on channel A03", host::Channel::Bank},
      {"exec ST_GetBankSimple 7", "batches are not served on channel A03", host::Channel::Bank},
  };
  for (const auto& c : refused) {
    outcome = RunProbe(db, c.command, nullptr, c.channel);
    EXPECT_EQ(outcome.status, Status::Refused) << c.command;
    EXPECT_EQ(outcome.error, c.error) << c.command;
  }
  EXPECT_EQ(ProbeCount(db), 3);
  EXPECT_EQ(ProbeValue(db, "a"), "1");
}

TEST_F(WireInterpreter, BatchIsAllOrNothingAndItsRefusalsFailIt) {
  Put("keep", "old");
  host::Outcome outcome = RunProbe(db,
                                   "exec T_Put 'one','1'\r\nexec T_Put 'keep','new'\r\n"
                                   "exec T_Fail 'third refuses'\r\nexec T_Put 'four','4'\r\n");
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_EQ(outcome.error, "statement 3: third refuses");
  EXPECT_EQ(ProbeValue(db, "keep"), "old");
  EXPECT_EQ(ProbeCount(db), 1);
  // Alone, an update refusal is an answer; in a batch nobody reads it, so it fails.
  std::string answer;
  ASSERT_TRUE(RunProbe(db, "T_Refuse 0", &answer).ok());
  EXPECT_EQ(answer, "0\ano way\r\n");
  for (const char* code : {"0", "-1"}) {
    outcome = RunProbe(db, std::string("exec T_Put 'a','1'\r\nexec T_Refuse ") + code + "\r\n");
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_EQ(outcome.error, "statement 2: no way");
    EXPECT_EQ(ProbeCount(db), 1);
  }

  // A batch answers its count, or nothing after "set nocount on"; an empty one succeeds.
  const struct {
    const char* batch;
    const char* answer;
    int count;
  } landed[] = {
      {"exec T_Put 'one','1'\x1e"
       "exec T_Put 'keep','new'\r\nexec T_Refuse 1\r\n",
       "3\r\n", 2},
      {"set nocount on\r\nexec T_Put 'e','5'\r\n", "", 3},
      {"", "0\r\n", 3},
      {"set nocount on\r\n", "", 3},
  };
  for (const auto& c : landed) {
    ASSERT_TRUE(RunProbe(db, c.batch, &answer).ok()) << c.batch;
    EXPECT_EQ(answer, c.answer) << c.batch;
    EXPECT_EQ(ProbeCount(db), c.count) << c.batch;
  }
  EXPECT_EQ(ProbeValue(db, "keep"), "new");
  EXPECT_EQ(ProbeValue(db, "e"), "5");
}

TEST_F(WireInterpreter, HostileTextsAreStoredByteForByteAndTouchNoOtherRow) {
  Put("other", "untouched");
  const struct {
    std::string sent;    // as quoted in the command
    std::string stored;  // UTF-8, line breaks as CR LF
    std::string read;    // GBK, line breaks as 0x0E
  } texts[] = {
      {"''); drop table probe; --", "'); drop table probe; --", "'); drop table probe; --"},
      {"a\ab", "a\ab", "a\ab"},  // the field separator
      {"line1\r\nline2", "line1\r\nline2", "line1\016line2"},
      {"\x95\x5c\x81\x60\x81\x7c", sys::GbkToUtf8("\x95\x5c\x81\x60\x81\x7c"),
       "\x95\x5c\x81\x60\x81\x7c"},  // trail bytes backslash, backquote, bar
      {sys::Utf8ToGbk("浦东\016发展"), "浦东\r\n发展", sys::Utf8ToGbk("浦东\016发展")},
      {"exec T_Put ''other'',''gone''\x1e", "exec T_Put 'other','gone'\x1e",
       "exec T_Put 'other','gone'\x1e"},
  };
  int i = 0;
  for (const auto& t : texts) {
    const std::string key = "k" + std::to_string(i++);
    ASSERT_TRUE(RunProbe(db, "exec T_Put '" + key + "','" + t.sent + "'\r\n").ok()) << t.sent;
    EXPECT_EQ(ProbeValue(db, key), t.stored) << t.sent;
    std::string answer;
    ASSERT_TRUE(RunProbe(db, "MN_GetProbe '" + key + "'", &answer).ok());
    EXPECT_EQ(answer, t.read + "\r\n") << t.sent;
  }
  EXPECT_EQ(ProbeValue(db, "other"), "untouched");
  EXPECT_EQ(ProbeCount(db), 1 + i);
}

TEST_F(WireInterpreter, AnswerFitsExactlyOrFailsWholeAndUndone) {
  char result[16];
  std::memset(result, 'X', sizeof result);
  host::Outcome outcome = Buffer("A01\aT_Put 'a','1'", result, 5);  // "1" 0x07 "a" CR LF
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_STREQ(result, "1\aa\r\n");
  std::memset(result, 'X', sizeof result);
  outcome = Buffer("A01\aT_Put 'b','2'", result, 4);
  EXPECT_EQ(outcome.status, Status::NoRoom);
  EXPECT_EQ(outcome.error, "the answer (5 bytes) does not fit the buffer of 4 bytes");
  EXPECT_STREQ(result, "");
  EXPECT_EQ(result[5], 'X');  // nothing written past the buffer
  EXPECT_EQ(ProbeValue(db, "b"), "<none>");
  EXPECT_EQ(Buffer("A01\aT_All", result, 0).status, Status::NoRoom);
  outcome = Buffer("MN_GetProbe 'a'", result, 10);
  EXPECT_EQ(outcome.status, Status::Refused);
  EXPECT_EQ(outcome.error, "channel prefix missing (A01 or A03 and 0x07)");
}

TEST_F(WireInterpreter, AnswerFileIsCreatedExclusivelyAndPrivately) {
  Put("a", "1");
  const std::string file = dir.File("answer");
  host::Outcome outcome = File("A01\aT_All", file);
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_EQ(ReadFile(file), "a\a1\r\n");
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // An existing file is neither overwritten nor reused.
  outcome = File("A01\aT_Put 'b','2'", file);
  EXPECT_EQ(outcome.status, Status::FileError);
  EXPECT_EQ(outcome.error, "the answer file exists already");
  EXPECT_EQ(ReadFile(file), "a\a1\r\n");
  EXPECT_EQ(ProbeValue(db, "b"), "<none>");
  // A link at the name is never followed, dangling or not.
  const std::string target = dir.File("target");
  const std::string link = dir.File("link");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(File("A01\aT_All", link).status, Status::FileError);
  EXPECT_FALSE(Exists(target));
  { std::ofstream(target) << "precious"; }
  EXPECT_EQ(File("A01\aT_All", link).status, Status::FileError);
  EXPECT_EQ(ReadFile(target), "precious");
  // A failed command leaves no file; no name is refused.
  EXPECT_EQ(File("A01\aT_Fail 'no'", dir.File("unused")).status, Status::Failed);
  EXPECT_FALSE(Exists(dir.File("unused")));
  EXPECT_EQ(File("A01\aT_All", "").status, Status::Refused);
}

// A long answer reaches its file in parts, the same bytes as in a buffer; a run failing
// after some parts leaves no file, and one run again after a conflict starts afresh.
TEST_F(WireInterpreter, AnswerFileTakesALongAnswerInPartsAllOrNothing) {
  constexpr int kRows = 30000;  // several parts of the streamed answer
  const std::string command = "A01\aT_Many " + std::to_string(kRows);
  std::vector<char> whole(std::size_t{1} << 20);
  host::Outcome outcome =
      Buffer(command + ",''", whole.data(), static_cast<std::int32_t>(whole.size() - 1));
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  const std::string expected = whole.data();
  ASSERT_GT(expected.size(), std::size_t{256} * 1024);
  EXPECT_EQ(expected.substr(0, 6), "0\a" + sys::Utf8ToGbk("中") + "\r\n");
  const struct {
    const char* how;
    int conflicts;
    Status status;
  } runs[] = {{"''", 0, Status::Ok}, {"'conflict'", 2, Status::Ok}, {"'fail'", 0, Status::Failed}};
  for (const auto& run : runs) {
    SCOPED_TRACE(run.how);
    Put("many", "before");
    hosttest::SetEngineFailures(run.conflicts);
    const std::string file = dir.File("many");
    outcome = File(command + "," + run.how, file);
    EXPECT_EQ(outcome.status, run.status) << outcome.error;
    if (run.status == Status::Ok) {
      EXPECT_EQ(ReadFile(file), expected);
      EXPECT_EQ(ProbeValue(db, "many"), std::to_string(kRows));
    } else {
      EXPECT_EQ(outcome.error, "failed after the rows");
      EXPECT_FALSE(Exists(file)) << "half an answer left behind";
      EXPECT_EQ(ProbeValue(db, "many"), "before");
    }
    unlink(file.c_str());
  }
}

// The commit meets the file size limit (the change stays in the page cache until then):
// no answer may stay behind for a change that did not happen.
TEST_F(WireInterpreter, CommitTheDiskRefusesFailsTheCommandAndStoresNothing) {
  Put("a", "1");
  const std::string big = "A01\aT_Put 'big','" + std::string(std::size_t{256} * 1024, 'v') + "'";
  const std::string file = dir.File("answer");
  std::vector<char> result(64, 'X');
  for (const bool intoFile : {true, false}) {
    host::Outcome outcome;
    {
      tavro_test::FileSizeLimit limit(rlim_t{64} * 1024);
      outcome = intoFile ? File(big, file)
                         : Buffer(big, result.data(), static_cast<std::int32_t>(result.size() - 1));
    }
    EXPECT_EQ(outcome.status, Status::Failed) << intoFile;
    EXPECT_NE(outcome.error.find("commit failed"), std::string::npos) << outcome.error;
    EXPECT_EQ(ProbeValue(db, "big"), "<none>");
  }
  EXPECT_FALSE(Exists(file)) << "answer of a command that did not stick";
  EXPECT_STREQ(result.data(), "");
  // The connection is out of the failed transaction and takes the next change.
  Put("b", "2");
  host::SqliteDb fresh(dir.File("bank.db"), hosttest::ProbeSetup());
  EXPECT_EQ(ProbeValue(fresh, "big"), "<none>");
  EXPECT_EQ(ProbeCount(fresh), 2);
}

// The parsed command compactly: a call NAME(t:'x',i:5)|, a batch
// batch:[nocount|]NAME(t:'x',i:5)|NAME2()|, or select:TEXT.
std::string Render(const ParsedCommand& parsed) {
  if (parsed.kind == CommandKind::Select) {
    return parsed.calls.empty() ? "select:" + parsed.select : "select with calls";
  }
  std::string out = parsed.kind == CommandKind::Batch ? "batch:" : "";
  out += parsed.noCount ? "nocount|" : "";
  for (const auto& call : parsed.calls) {
    out += call.name + "(";
    for (std::size_t i = 0; i < call.args.size(); ++i) {
      const auto& v = call.args[i];
      out += (i ? "," : "") + (v.isText ? "t:'" + v.text + "'" : "i:" + std::to_string(v.number));
    }
    out += ")|";
  }
  return out;
}

TEST(WireParser, AcceptsTheFormsTheModuleSendsAndRefusesMalformedOnesNamingTheProblem) {
  const std::pair<const char*, const char*> accepted[] = {
      {"MN_GetCurrencyCodeList", "MN_GetCurrencyCodeList()|"},
      {"Sh_GetFunctionName  930,0", "Sh_GetFunctionName(i:930,i:0)|"},
      {"X 'it''s','''','a , b',''", "X(t:'it's',t:''',t:'a , b',t:'')|"},
      {"X -5,9223372036854775807,-9223372036854775808",
       "X(i:-5,i:9223372036854775807,i:-9223372036854775808)|"},
      {"  X 'line\r\nbreak\x1e'  \r\n", "X(t:'line\r\nbreak\x1e')|"},
      {"exec A 'c'\x1e"
       "exec B 'c',17  \r\nexec C\n",
       "batch:A(t:'c')|B(t:'c',i:17)|C()|"},
      {"set nocount on\r\nEXEC Del 'c'\r\n", "batch:nocount|Del(t:'c')|"},
      // A line end inside quotes belongs to the text, not to the batch.
      {"exec A 'x\r\nexec B'\r\n", "batch:A(t:'x\r\nexec B')|"},
      // A save with nothing to change still sends its batch: one of no statements.
      {"", "batch:"},
      {" \r\n\x1e", "batch:"},
      {"exec execute", "batch:execute()|"},
      {" select a,'x' from t where c='1'\r\n", "select:select a,'x' from t where c='1'"},
  };
  for (const auto& [text, calls] : accepted) {
    ParsedCommand parsed;
    std::string error;
    ASSERT_TRUE(ParseCommand(text, parsed, error)) << text << ": " << error;
    EXPECT_EQ(Render(parsed), calls) << text;
  }
  std::string tooMany = "X 0";
  for (std::size_t i = 1; i <= host::kMaxArguments; ++i) {
    tooMany += ",0";
  }
  const std::pair<std::string, const char*> refused[] = {
      {"MN_GetCorpName '001", "MN_GetCorpName: argument 1: quoted text is not closed"},
      {"X 'a'b", "X: argument 1: a comma or the end of the command expected"},
      {"X 'a',", "X: argument 2: a quoted text or a number expected"},
      {"X 12a", "X: argument 1: a comma or the end of the command expected"},
      {"X 9223372036854775808", "X: argument 1: number out of range"},
      {"X -9223372036854775809", "X: argument 1: number out of range"},
      {"X;drop table probe", "X: a blank must follow the command name"},
      {"'a'", "command name expected"},
      {"X 'a'\r\nY 'b'", "X: unexpected text after the arguments"},
      {"exec A\r\nB", "statement 2 of the batch is no exec"},
      {"set nocount off\r\nexec A", "only \"set nocount on\" may begin a batch"},
      {"set x", "only \"set nocount on\" may begin a batch"},
      {tooMany, "X: too many arguments"},
      // The bytes after the view's end close the quote; the parser must not see them.
      {std::string("X 'abc'", 6), "X: argument 1: quoted text is not closed"},
  };
  for (const auto& [text, problem] : refused) {
    ParsedCommand parsed;
    std::string error;
    EXPECT_FALSE(ParseCommand(text, parsed, error)) << text;
    EXPECT_EQ(error, problem) << text;
  }
}

TEST(WireText, FramesRowsFieldsLineBreaksAndChineseAsGbkAndBoundsErrorTexts) {
  EXPECT_EQ(host::FrameAnswer({{{"a", "", "b"}, {}, {"l1\r\nl2\rl3\nl4"}}}),
            "a\a\ab\r\n\r\nl1\016l2\016l3\016l4\r\n");
  // A character GBK lacks goes out as "?", an invisible one too: the text sent back
  // must not silently differ.
  EXPECT_EQ(host::FrameAnswer({{{"中国\r\n浦东", "a\u200Bb\uFEFF", "co\u00ADop", "x\U0001F600y"}}}),
            sys::Utf8ToGbk("中国") + "\016" + sys::Utf8ToGbk("浦东") + "\aa?b?\aco?op\ax?y\r\n");
  char error[128];
  std::memset(error, 'X', sizeof error);
  host::WriteErrorText(std::string(200, 'e'), error);
  EXPECT_EQ(std::strlen(error), 127u);
  // "ee" and 63 two-byte characters pass 127 bytes: the last character goes whole.
  std::string chinese;
  for (int i = 0; i < 64; ++i) {
    chinese += "错";
  }
  host::WriteErrorText("ee" + chinese, error);
  EXPECT_EQ(sys::GbkToUtf8(error), "ee" + chinese.substr(0, std::size_t{62} * 3));
  host::WriteErrorText("bad\u200Bname", error);
  EXPECT_STREQ(error, "bad?name");
  host::WriteErrorText("no buffer", nullptr);
}

TEST(WireText, BytesThatAreNoGbkAreRefusedAndCutsKeepCharactersWhole) {
  std::string utf8;
  for (const char* bad : {"a\x81", "\x81'x", "\x81 x", "\xe4\xb8\xad"}) {
    EXPECT_FALSE(host::ArgumentToUtf8(bad, utf8)) << bad;
  }
  const std::string gbk = "ab" + sys::Utf8ToGbk("中文");  // 2 + 4 bytes
  const std::pair<std::size_t, std::size_t> cuts[] = {{6, 6}, {5, 4}, {3, 2}, {0, 0}};
  for (const auto& [max, length] : cuts) {
    EXPECT_EQ(host::GbkCutLength(gbk, max), length) << max;
  }
  EXPECT_EQ(host::GbkCutLength("a\x81", 2), 2u);  // a lone lead byte counts as one
}

TEST(WireText, ChannelPrefixIsRequiredAndTheCommandReadByLength) {
  const struct {
    std::string raw;
    host::Channel channel;
    std::string command;
    std::string error;
  } cases[] = {
      {"A01\aMN_GetCurrencyCodeList", host::Channel::Main, "MN_GetCurrencyCodeList", ""},
      {"A03\aST_GetBankSimple 7", host::Channel::Bank, "ST_GetBankSimple 7", ""},
      {"A01\a", host::Channel::Main, "", ""},
      {"A02\aX", {}, "", "unknown channel prefix"},
      {"A01 X", {}, "", "channel prefix missing (A01 or A03 and 0x07)"},
      {"A01", {}, "", "channel prefix missing (A01 or A03 and 0x07)"},
  };
  for (const auto& c : cases) {
    host::Channel channel{};
    std::string_view command;
    std::string error;
    EXPECT_EQ(host::SplitChannel(c.raw, channel, command, error), c.error.empty()) << c.raw;
    EXPECT_EQ(error, c.error) << c.raw;
    EXPECT_EQ(channel, c.channel) << c.raw;
    EXPECT_EQ(command, c.command) << c.raw;
  }
  std::string_view text;
  std::string error;
  const char raw[] = "A01\aT_All\0\0";
  ASSERT_TRUE(host::ReadCommandText(raw, 11, text, error));
  EXPECT_EQ(text, "A01\aT_All");
  ASSERT_TRUE(host::ReadCommandText(raw, 6, text, error));
  EXPECT_EQ(text, "A01\aT_");
  const char inner[] = "A01\aT_Put 'a\0b','c'";
  EXPECT_FALSE(host::ReadCommandText(inner, sizeof inner - 1, text, error));
  EXPECT_EQ(error, "the command holds a zero byte");
  EXPECT_FALSE(host::ReadCommandText(nullptr, 3, text, error));
  EXPECT_FALSE(host::ReadCommandText(raw, -1, text, error));
  EXPECT_EQ(error, "no command");
}

TEST(ProcCommon, LineBreaksOfEveryFormAreStoredAsCrLf) {
  EXPECT_EQ(host::StoredLines("a\016b\r\nc\rd\ne\r\n\r\nf"), "a\r\nb\r\nc\r\nd\r\ne\r\n\r\nf");
  EXPECT_EQ(host::StoredLines("plain"), "plain");
}

}  // namespace
