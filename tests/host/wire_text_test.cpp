// Command texts as the module builds them and the malformed ones the parser refuses,
// and the edge between the wire (GBK, 0x07 fields, CR LF rows, 0x0E line breaks) and
// the database (UTF-8).
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

TEST(WireParser, AcceptsTheFormsTheModuleSends) {
  const std::pair<const char*, const char*> cases[] = {
      {"MN_GetCurrencyCodeList", "MN_GetCurrencyCodeList()|"},
      {"MN_GetCorpName '001'", "MN_GetCorpName(t:'001')|"},
      {"Sh_GetFunctionName  930,0", "Sh_GetFunctionName(i:930,i:0)|"},
      {"MN_GetAcNoList 99,'','0012','000001'", "MN_GetAcNoList(i:99,t:'',t:'0012',t:'000001')|"},
      {"X 'it''s','''','a , b'", "X(t:'it's',t:''',t:'a , b')|"},
      {"X -5, 9223372036854775807,-9223372036854775808",
       "X(i:-5,i:9223372036854775807,i:-9223372036854775808)|"},
      {"X 'line\r\nbreak\x1e'", "X(t:'line\r\nbreak\x1e')|"},
      {"  X 'a'  \r\n", "X(t:'a')|"},
      {"exec A 'c','u'\x1e"
       "exec B 'c','u','x'\r\nexec B 'c','u','y'\r\n",
       "batch:A(t:'c',t:'u')|B(t:'c',t:'u',t:'x')|B(t:'c',t:'u',t:'y')|"},
      {"exec D 'c','u',17  \r\nexec U 'c','u',18,'01100000'  \r\n",
       "batch:D(t:'c',t:'u',i:17)|U(t:'c',t:'u',i:18,t:'01100000')|"},
      {"set nocount on\r\nexec Del 'c'\r\nexec Ins 'c','u','x',0\r\n",
       "batch:nocount|Del(t:'c')|Ins(t:'c',t:'u',t:'x',i:0)|"},
      {"EXEC A\nexec B", "batch:A()|B()|"},
      // A line end inside quotes belongs to the text, not to the batch.
      {"exec A 'x\r\nexec B'\r\n", "batch:A(t:'x\r\nexec B')|"},
      // A save with nothing to change still sends its batch: one of no statements.
      {"", "batch:"},
      {" \r\n\x1e", "batch:"},
      {"set nocount on\r\n", "batch:nocount|"},
      {"exec execute", "batch:execute()|"},
      {" select a,'x' from t where c='1'\r\n", "select:select a,'x' from t where c='1'"},
  };
  for (const auto& [text, calls] : cases) {
    ParsedCommand parsed;
    std::string error;
    ASSERT_TRUE(ParseCommand(text, parsed, error)) << text << ": " << error;
    EXPECT_EQ(Render(parsed), calls) << text;
  }
}

TEST(WireParser, RefusesMalformedCommandsNamingTheProblem) {
  std::string tooMany = "X 0";
  for (std::size_t i = 1; i <= host::kMaxArguments; ++i) {
    tooMany += ",0";
  }
  const struct {
    std::string text;
    const char* problem;  // part of the error text
  } cases[] = {
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
      {tooMany, "X: too many arguments"},
      // The bytes after the view's end close the quote; the parser must not see them.
      {std::string("X 'abc'", 6), "not closed"},
  };
  for (const auto& c : cases) {
    ParsedCommand parsed;
    std::string error;
    EXPECT_FALSE(ParseCommand(c.text, parsed, error)) << c.text;
    EXPECT_NE(error.find(c.problem), std::string::npos) << c.text << " gave: " << error;
  }
  ParsedCommand parsed;
  std::string error;
  ParseCommand(tooMany, parsed, error);
  EXPECT_EQ(error, "X: too many arguments");
}

TEST(WireText, FramesRowsFieldsLineBreaksAndChineseAsGbk) {
  EXPECT_EQ(host::FrameAnswer({{{"a", "", "b"}, {}, {"l1\r\nl2\rl3\nl4"}}}),
            "a\a\ab\r\n\r\nl1\016l2\016l3\016l4\r\n");
  EXPECT_EQ(host::FrameAnswer({}), "");
  EXPECT_EQ(host::FrameAnswer({{{"中国银行", "上海\r\n浦东"}}}),
            sys::Utf8ToGbk("中国银行") + "\a" + sys::Utf8ToGbk("上海") + "\016" +
                sys::Utf8ToGbk("浦东") + "\r\n");
  // A character GBK lacks goes out as "?", an invisible one too (zero-width space,
  // byte-order mark, soft hyphen): the text sent back must not silently differ.
  EXPECT_EQ(host::FrameAnswer({{{"a\u200Bb", "\uFEFF中", "co\u00ADop", "x\U0001F600y", "\u20AC"}}}),
            "a?b\a?" + sys::Utf8ToGbk("中") + "\aco?op\ax?y\a\x80\r\n");
  char error[128];
  host::WriteErrorText("bad\u200Bname", error);
  EXPECT_STREQ(error, "bad?name");
}

TEST(WireText, BytesThatAreNoGbkAreRefusedAndCutsKeepCharactersWhole) {
  std::string utf8;
  EXPECT_FALSE(host::ArgumentToUtf8("a\x81", utf8));         // lone lead byte at the end
  EXPECT_FALSE(host::ArgumentToUtf8("\x81'x", utf8));        // lead byte before a quote
  EXPECT_FALSE(host::ArgumentToUtf8("\x81 x", utf8));        // lead byte before a blank
  EXPECT_FALSE(host::ArgumentToUtf8("\xe4\xb8\xad", utf8));  // UTF-8 sent by mistake

  const std::string gbk = "ab" + sys::Utf8ToGbk("中文");  // 2 + 4 bytes
  const std::pair<std::size_t, std::size_t> cuts[] = {{6, 6}, {5, 4}, {3, 2}, {0, 0}};
  for (const auto& [max, length] : cuts) {
    EXPECT_EQ(host::GbkCutLength(gbk, max), length) << max;
  }
  EXPECT_EQ(host::GbkCutLength("a\x81", 2), 2u);  // a lone lead byte counts as one
}

TEST(WireText, ErrorTextFits127BytesAndEndsOnACharacter) {
  char error[128];
  std::memset(error, 'X', sizeof error);
  host::WriteErrorText(std::string(200, 'e'), error);
  EXPECT_EQ(std::strlen(error), 127u);
  // "ee" and 63 two-byte characters pass 127 bytes: the last character goes whole.
  std::string chinese;
  for (int i = 0; i < 64; ++i) {
    chinese += "错";
  }
  std::memset(error, 'X', sizeof error);
  host::WriteErrorText("ee" + chinese, error);
  EXPECT_EQ(std::strlen(error), 126u);
  EXPECT_EQ(sys::GbkToUtf8(error), "ee" + chinese.substr(0, std::size_t{62} * 3));
  host::WriteErrorText("short", error);
  EXPECT_STREQ(error, "short");
  host::WriteErrorText("no buffer", nullptr);
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
      {"A01\a", true, host::Channel::Main, ""},
      {"A02\aX", false, {}, ""},
      {"A01 X", false, {}, ""},
      {"MN_GetCurrencyCodeList", false, {}, ""},
      {"A01", false, {}, ""},
  };
  for (const auto& c : cases) {
    host::Channel channel{};
    std::string_view command;
    std::string error;
    EXPECT_EQ(host::SplitChannel(c.raw, channel, command, error), c.ok) << c.raw;
    EXPECT_EQ(error.empty(), c.ok) << c.raw;
    if (c.ok) {
      EXPECT_EQ(channel, c.channel);
      EXPECT_EQ(command, c.command);
    }
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
  const std::pair<const char*, const char*> cases[] = {
      {"a\016b\016c", "a\r\nb\r\nc"}, {"a\r\nb", "a\r\nb"}, {"a\rb", "a\r\nb"}, {"a\nb", "a\r\nb"},
      {"a\r\n\r\nb", "a\r\n\r\nb"},   {"\016", "\r\n"},     {"plain", "plain"}, {"", ""},
  };
  for (const auto& [in, stored] : cases) {
    EXPECT_EQ(host::StoredLines(in), stored) << in;
  }
}

}  // namespace
