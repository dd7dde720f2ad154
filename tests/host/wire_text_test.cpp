// Command texts the parser takes and refuses, and the edge between the wire (GBK, 0x07
// fields, CR LF rows, 0x0E line breaks) and the database (UTF-8).
#include <gtest/gtest.h>

#include <cstring>

#include "host/CommandParser.h"
#include "host/HostCall.h"
#include "host/ProcCommon.h"
#include "host/WireText.h"
#include "sys/CodePage.h"

namespace {

using host::CommandKind;
using host::ParseCommand;
using host::ParsedCommand;

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
      {"X 'it''s','''','a , b'", "X(t:'it's',t:''',t:'a , b')|"},
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
    bool ok;
    host::Channel channel;
    std::string command;
  } cases[] = {
      {"A01\aMN_GetCurrencyCodeList", true, host::Channel::Main, "MN_GetCurrencyCodeList"},
      {"A03\aST_GetBankSimple 7", true, host::Channel::Bank, "ST_GetBankSimple 7"},
      {"A02\aX", false, {}, ""},
      {"A01 X", false, {}, ""},
      {"A01", false, {}, ""},
  };
  for (const auto& c : cases) {
    host::Channel channel{};
    std::string_view command;
    std::string error;
    EXPECT_EQ(host::SplitChannel(c.raw, channel, command, error), c.ok) << c.raw;
    EXPECT_EQ(error.empty(), c.ok) << c.raw;
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
}

TEST(ProcCommon, LineBreaksOfEveryFormAreStoredAsCrLf) {
  EXPECT_EQ(host::StoredLines("a\016b\r\nc\rd\ne\r\n\r\nf"), "a\r\nb\r\nc\r\nd\r\ne\r\n\r\nf");
  EXPECT_EQ(host::StoredLines("plain"), "plain");
}

}  // namespace
