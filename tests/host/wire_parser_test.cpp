// Command texts as the module builds them, and the malformed ones the parser must
// refuse with a text that names the problem.
#include <gtest/gtest.h>

#include "host/CommandParser.h"

namespace {

using host::CommandKind;
using host::ParseCommand;
using host::ParsedCommand;

// Renders the parsed calls compactly: NAME(t:'x',i:5)|NAME2()
std::string Render(const ParsedCommand& parsed) {
  std::string out;
  for (const auto& call : parsed.calls) {
    if (!out.empty()) {
      out += "|";
    }
    out += call.name + "(";
    for (std::size_t i = 0; i < call.args.size(); ++i) {
      if (i) {
        out += ",";
      }
      const auto& v = call.args[i];
      out += v.isText ? "t:'" + v.text + "'" : "i:" + std::to_string(v.number);
    }
    out += ")";
  }
  return out;
}

struct Good {
  const char* text;
  CommandKind kind;
  const char* calls;
};

TEST(WireParser, AcceptsTheFormsTheModuleSends) {
  const Good cases[] = {
      {"MN_GetCurrencyCodeList", CommandKind::Call, "MN_GetCurrencyCodeList()"},
      {"MN_GetCorpName '001'", CommandKind::Call, "MN_GetCorpName(t:'001')"},
      {"Sh_GetFunctionName  930,0", CommandKind::Call, "Sh_GetFunctionName(i:930,i:0)"},
      {"MN_GetAcNoList 99,'','0012','000001'", CommandKind::Call,
       "MN_GetAcNoList(i:99,t:'',t:'0012',t:'000001')"},
      {"X 'it''s','''','a , b'", CommandKind::Call, "X(t:'it's',t:''',t:'a , b')"},
      {"X -5, 9223372036854775807,-9223372036854775808", CommandKind::Call,
       "X(i:-5,i:9223372036854775807,i:-9223372036854775808)"},
      {"X 'line\r\nbreak\x1e'", CommandKind::Call, "X(t:'line\r\nbreak\x1e')"},
      {"  X 'a'  \r\n", CommandKind::Call, "X(t:'a')"},
      {"exec A 'c','u'\x1e"
       "exec B 'c','u','x'\r\nexec B 'c','u','y'\r\n",
       CommandKind::Batch, "A(t:'c',t:'u')|B(t:'c',t:'u',t:'x')|B(t:'c',t:'u',t:'y')"},
      {"exec D 'c','u',17  \r\nexec U 'c','u',18,'01100000'  \r\n", CommandKind::Batch,
       "D(t:'c',t:'u',i:17)|U(t:'c',t:'u',i:18,t:'01100000')"},
      {"set nocount on\r\nexec Del 'c'\r\nexec Ins 'c','u','x',0\r\n", CommandKind::Batch,
       "Del(t:'c')|Ins(t:'c',t:'u',t:'x',i:0)"},
      {"EXEC A\nexec B", CommandKind::Batch, "A()|B()"},
      // A line end inside quotes belongs to the text, not to the batch.
      {"exec A 'x\r\nexec B'\r\n", CommandKind::Batch, "A(t:'x\r\nexec B')"},
      // A save with nothing to change still sends its batch: one of no statements.
      {"", CommandKind::Batch, ""},
      {" \r\n\x1e", CommandKind::Batch, ""},
      {"set nocount on\r\n", CommandKind::Batch, ""},
      {"exec execute", CommandKind::Batch, "execute()"},
  };
  for (const auto& c : cases) {
    ParsedCommand parsed;
    std::string error;
    ASSERT_TRUE(ParseCommand(c.text, parsed, error)) << c.text << ": " << error;
    EXPECT_EQ(parsed.kind, c.kind) << c.text;
    EXPECT_EQ(Render(parsed), c.calls) << c.text;
  }
}

TEST(WireParser, NoCountOnlyWhenAskedAndSelectKeepsItsTextWhole) {
  ParsedCommand parsed;
  std::string error;
  ASSERT_TRUE(ParseCommand("set nocount on\r\nexec A", parsed, error));
  EXPECT_TRUE(parsed.noCount);
  ASSERT_TRUE(ParseCommand("exec A", parsed, error));
  EXPECT_FALSE(parsed.noCount);
  ASSERT_TRUE(ParseCommand(" select a,'x' from t where c='1'\r\n", parsed, error));
  EXPECT_EQ(parsed.kind, CommandKind::Select);
  EXPECT_EQ(parsed.select, "select a,'x' from t where c='1'");
  EXPECT_TRUE(parsed.calls.empty());
}

struct Bad {
  const char* text;
  const char* problem;  // part of the error text
};

TEST(WireParser, RefusesMalformedCommandsNamingTheProblem) {
  const Bad cases[] = {
      {"MN_GetCorpName '001", "MN_GetCorpName: argument 1: quoted text is not closed"},
      {"X 'a''", "X: argument 1: quoted text is not closed"},
      {"X 'a'b", "X: argument 1: a comma or the end"},
      {"X 'a',", "X: argument 2: a quoted text or a number expected"},
      {"X ,'a'", "X: argument 1: a quoted text or a number expected"},
      {"X \"a\"", "X: argument 1: a quoted text or a number expected"},
      {"X 12a", "X: argument 1: a comma or the end"},
      {"X 9223372036854775808", "X: argument 1: number out of range"},
      {"X -9223372036854775809", "X: argument 1: number out of range"},
      {"X;drop table probe", "X: a blank must follow"},
      {"'a'", "command name expected"},
      {"X 'a'\r\nY 'b'", "X: unexpected text after the arguments"},
      {"exec A\r\nB", "statement 2 of the batch is no exec"},
      {"exec A\r\nexec", "command name expected"},
      {"set nocount off\r\nexec A", "only \"set nocount on\""},
      {"set x", "only \"set nocount on\""},
  };
  for (const auto& c : cases) {
    ParsedCommand parsed;
    std::string error;
    EXPECT_FALSE(ParseCommand(c.text, parsed, error)) << c.text;
    EXPECT_NE(error.find(c.problem), std::string::npos) << c.text << " gave: " << error;
  }
}

TEST(WireParser, TooManyArgumentsAndBytesPastTheLengthAreRefused) {
  std::string text = "X 0";
  for (std::size_t i = 1; i <= host::kMaxArguments; ++i) {
    text += ",0";
  }
  ParsedCommand parsed;
  std::string error;
  EXPECT_FALSE(ParseCommand(text, parsed, error));
  EXPECT_EQ(error, "X: too many arguments");

  // The bytes after the view's end close the quote; the parser must not see them.
  const char buffer[] = "X 'abc'";
  EXPECT_FALSE(ParseCommand(std::string_view(buffer, 6), parsed, error));
  EXPECT_NE(error.find("not closed"), std::string::npos);
}

}  // namespace
