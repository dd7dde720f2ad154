// Command templates, comma lists, GBK cuts and the host's answers as text.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <type_traits>

#include "frame/CommaList.h"
#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/ResultText.h"
#include "tests/support/TestEnv.h"

namespace {

using frame::CommandArg;
using frame::FormatCommand;
using Items = std::vector<std::string>;
using tavro_test::Gbk;

// Only texts and 32-bit numbers are arguments: wider or other types are not narrowed.
static_assert(std::is_convertible_v<std::int32_t, CommandArg> &&
              std::is_convertible_v<const char*, CommandArg>);
static_assert(!std::is_convertible_v<std::size_t, CommandArg> &&
              !std::is_convertible_v<std::int64_t, CommandArg> &&
              !std::is_convertible_v<bool, CommandArg> &&
              !std::is_convertible_v<char, CommandArg> &&
              !std::is_convertible_v<double, CommandArg>);

TEST(FormatCommand, FillsQuotedTextsAndDecimalNumbers) {
  const std::pair<std::string, std::string> cases[] = {
      {FormatCommand("MN_GetCorpName %s", {""}), "MN_GetCorpName ''"},
      {FormatCommand("MN_GetPropOfUser %s", {"O'Brien"}), "MN_GetPropOfUser 'O''Brien'"},
      // Trail bytes 0x5C, 0x60 and 0x7C are no quotes and stay single.
      {FormatCommand("X %s", {"\x95\x5C\x81\x60\xCD\xF5\x81\x7C"}),
       "X '\x95\x5C\x81\x60\xCD\xF5\x81\x7C'"},
      {FormatCommand("X %s", {"\xCD\xF5'\xB0\xA1"}), "X '\xCD\xF5''\xB0\xA1'"},
      {FormatCommand("X %s,%s", {"%s%d", "100%"}), "X '%s%d','100%'"},
      {FormatCommand("Sh_GetFunctionName  %d,%d", {1203, 0}), "Sh_GetFunctionName  1203,0"},
      {FormatCommand("X %d,%d,%d", {INT32_MIN, -1, INT32_MAX}), "X -2147483648,-1,2147483647"},
      {FormatCommand("X %S,%D", {std::string("AB'C"), 7}), "X 'AB''C',7"},
      {FormatCommand("%d%s", {-5, "a"}), "-5'a'"},
  };
  for (const auto& [got, want] : cases) {
    EXPECT_EQ(got, want);
  }
}

TEST(FormatCommand, MisusedTemplatesAreLogicErrors) {
  EXPECT_THROW(FormatCommand("X %s,%s", {"a"}), std::logic_error);    // argument missing
  EXPECT_THROW(FormatCommand("X %s", {"a", "b"}), std::logic_error);  // argument left over
  EXPECT_THROW(FormatCommand("X %d", {"7"}), std::logic_error);       // text for a number
  EXPECT_THROW(FormatCommand("X %s", {7}), std::logic_error);         // number for a text
  EXPECT_THROW(FormatCommand("X %x", {"a"}), std::logic_error);       // unknown directive
  EXPECT_THROW(FormatCommand("X 100%%", {}), std::logic_error);       // no escaped percent
  EXPECT_THROW(FormatCommand("X %s%", {"a"}), std::logic_error);      // '%' at the end
}

TEST(CommaList, SplittingAndColumnLayout) {
  const std::pair<std::string, Items> cases[] = {
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"   ", {}},
      {",", {"", ""}},
      {"Pay Amount^20", {"Pay", "Amount^20"}},
      {"\"a,b\" , c", {"a,b", "c"}},
      {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
      {"\"unclosed, text", {"unclosed, text"}},
      {"\"a\"b", {"a", "b"}},
      {"  0:x , 1:y\t,2:z  ", {"0:x", "1:y", "2:z"}},
      {Gbk("0:已删除,1:待复核"), {Gbk("0:已删除"), Gbk("1:待复核")}}};
  for (const auto& [text, items] : cases) {
    EXPECT_EQ(frame::SplitCommaList(text), items) << text;
  }

  EXPECT_EQ(frame::BuildColumnLayout(Gbk("业务编号^15,\"Pay Amount^8\""), 511),
            Gbk("业务编号") + "\a15\r\nPay Amount\a8\r\n");
  // A '^' that is the trail byte of a character stays.
  EXPECT_EQ(frame::BuildColumnLayout("\x81\x5E^5", 511), "\x81\x5E\a5\r\n");
  // Only whole lines of 11 bytes within the bound.
  std::string many;
  for (int i = 0; i < 100; ++i) {
    many += "Title^" + std::to_string(100 + i) + ",";
  }
  EXPECT_EQ(frame::BuildColumnLayout(many, 511).size(), 46u * 11);
}

TEST(GbkText, CutsTrimsAndSearchesKeepCharactersWhole) {
  const std::string s = "ab\xB0\xA1";
  const std::tuple<std::string, std::size_t, std::size_t> cuts[] = {
      {s, 0, 0},          {s, 3, 2},
      {s, 4, 4},          {s, 99, 4},
      {"a\xB0", 2, 2},  // lone lead
      {"a\xB0\r", 2, 2},  {"\xB0\x30\xB0\xA1", 3, 2},
      {"\x81\x7F", 1, 1}, {"\x81\x40", 1, 0}};
  for (const auto& [text, max, len] : cuts) {
    EXPECT_EQ(frame::GbkCutLength(text, max), len) << text << " " << max;
  }
  EXPECT_EQ(frame::Trim(std::string("\x01 \t a b \r\n\x00", 11)), "a b");
  EXPECT_EQ(frame::Trim(" \xB0\xA1 "), "\xB0\xA1");
  char field[5];
  std::memset(field, 'x', sizeof field);
  frame::CopyToField(field, "abc\xB0\xA1");  // the character does not fit in 4 bytes
  EXPECT_EQ(std::string(field, 5), std::string("abc\0\0", 5));
  const char full[3] = {'a', 'b', 'c'};  // no zero byte: read up to the size
  EXPECT_EQ(frame::FieldText(full), "abc");

  // 0x81 0x5E is one character whose trail byte is '^'; 0x81 0x61 ends in 'a'.
  const std::string text = "\x81\x5E^x\x81\x61z";
  EXPECT_EQ(frame::GbkFind(text, "^"), 2u);
  EXPECT_EQ(frame::GbkReplaceChar(text, '^', '\a'), "\x81\x5E\ax\x81\x61z");
  EXPECT_EQ(frame::GbkUpperAscii(text), "\x81\x5E^X\x81\x61Z");
  EXPECT_FALSE(frame::GbkContains("\x81\x5E", "^"));
}

TEST(ResultText, RowsAndFields) {
  const std::tuple<std::string, int, std::string> rows[] = {
      {"ab\r\ncd", 2, "cd"}, {"ab\r\ncd", 3, ""}, {"ab\n\rcd", 2, "cd"}, {"\r\nab", 1, ""},
      {"a\r\rb", 3, "b"},    {"ab", 0, ""},       {"ab", -1, ""}};
  for (const auto& [text, n, row] : rows) {
    EXPECT_EQ(frame::GetRow(text, n), row) << text << " " << n;
  }
  EXPECT_EQ(frame::SplitRows("a\r\nb\n\rc\rd\n"), (Items{"a", "b", "c", "d"}));

  // Trimmed; beyond the last field the last one, below 0 the first.
  const std::tuple<std::string, int, std::string> fields[] = {
      {"a\ab", 0, "a"},  {"a\ab", 2, "b"}, {"a\a", 5, ""},   {" x \a\t y \r\n", 1, "y"},
      {"a\ab", -1, "a"}, {"", 3, ""},      {"\a\a\a", 2, ""}};
  for (const auto& [text, i, field] : fields) {
    EXPECT_EQ(frame::GetField(text, i), field) << text << " " << i;
  }

  // Buffers of 3, 4 and 2 bytes hold 2, 3 and 1 bytes; missing fields are empty.
  EXPECT_EQ(frame::SplitFields("abcdef\a\xB0\xA1\xB0\xA1\axyz\amore", '\a', {3, 4, 2}),
            (Items{"ab", "\xB0\xA1", "x"}));
  EXPECT_EQ(frame::SplitFields(" a \a", '\a', {10, 10, 10, 0}), (Items{" a ", "", "", ""}));
  // A '^' inside a double-byte character is no separator.
  EXPECT_EQ(frame::SplitFields("\x81\x5Ez^20", '^', {50, 50}), (Items{"\x81\x5Ez", "20"}));
  EXPECT_EQ(frame::SplitAll("a\a\ab\a", '\a'), (Items{"a", "", "b", ""}));
}

TEST(ResultText, NewlineMarks) {
  EXPECT_EQ(frame::EncodeNewlines("l1\r\nl2\r\nl3"), "l1\016l2\016l3");
  EXPECT_EQ(frame::DecodeNewlines("l1\016l2\016"), "l1\r\nl2\r\n");
  // Round trip: a lone LF is removed, a lone CR becomes CR LF.
  EXPECT_EQ(frame::DecodeNewlines(frame::EncodeNewlines("a\nb\rc\r\nd")), "ab\r\nc\r\nd");
  // A lone lead byte does not swallow a CR or a mark.
  EXPECT_EQ(frame::EncodeNewlines("\xB0\xA1\r\n\xB0\r\n"), "\xB0\xA1\016\xB0\016");
  EXPECT_EQ(frame::DecodeNewlines("\xB0\016\016"), "\xB0\r\n\r\n");
}

TEST(ResultText, UpdateAnswersAndItems) {
  const std::tuple<std::string, int, std::string> answers[] = {
      {"0\aOK", 0, "OK"},    {"no separator", 0, "no separator"},
      {"-1\ax", -1, "x"},    {" 17 \a kept as is \r\n", 17, " kept as is \r\n"},
      {"x\amsg", 0, "msg"},  {"99999999999\aoverflow", 0, "overflow"},
      {"5\aa\ab", 5, "a\ab"}};
  for (const auto& [answer, code, text] : answers) {
    const TShellResult r = frame::ParseShellResult(answer);
    EXPECT_EQ(r.Code, code) << answer;
    EXPECT_EQ(frame::FieldText(r.Text), text) << answer;
  }
  // Bounded to 50 bytes without splitting a character.
  EXPECT_EQ(std::strlen(frame::ParseShellResult("1\a" + std::string(49, 'm') + "\xB0\xA1").Text),
            49u);
  EXPECT_EQ(std::strlen(frame::ParseShellResult("1\a" + std::string(48, 'm') + "\xB0\xA1").Text),
            50u);

  const std::pair<std::string, int> codes[] = {
      {"12:Name", 12}, {" 7 :x", 7}, {"-3:x", -3},         {"", -1}, {"12", -1}, {"x:12", -1},
      {":x", -1},      {"+4:x", 4},  {"99999999999:x", -1}};
  for (const auto& [text, code] : codes) {
    EXPECT_EQ(frame::ItemCode(text), code) << text;
  }
  const Items items = {"a:skipped", "2:two", "-1:minus one", "2:again"};
  EXPECT_EQ(frame::FindItemByCode(items, 2), 1);
  EXPECT_EQ(frame::FindItemByCode(items, -1), 2);  // a real code -1, not a missing one
  EXPECT_EQ(frame::FindItemByCode(items, 9), -1);
  EXPECT_EQ(frame::TextBefore("AUD:Dollar", ":"), "AUD");
  EXPECT_EQ(frame::TextBefore("none", ":"), "none");
  EXPECT_EQ(frame::TextBefore("\x81\x5E^b", "^"), "\x81\x5E");

  const std::tuple<std::string, int, std::string, std::string> details[] = {
      {"12:Acme(USD 001)", 12, "Acme", "USD 001"},
      {"Acme(x)", 0, "Acme", "x"},
      {"x:Acme", 0, "Acme", ""},
      {"3:a)b(c", 3, "a)b", ""},
      {"4:" + std::string(40, 'n') + "(" + std::string(40, 'd') + ")", 4, std::string(35, 'n'),
       std::string(35, 'd')},
      // Cut to 35 bytes, never inside a double-byte character.
      {"5:" + std::string(34, 'n') + Gbk("中") + "(" + std::string(34, 'd') + Gbk("中") + ")", 5,
       std::string(34, 'n'), std::string(34, 'd')},
  };
  for (const auto& [text, number, name, detail] : details) {
    const frame::TCodeNameDetail d = frame::SplitCodeNameDetail(text);
    EXPECT_EQ(d.Number, number) << text;
    EXPECT_EQ(d.Name, name) << text;
    EXPECT_EQ(d.Detail, detail) << text;
  }
}

}  // namespace
