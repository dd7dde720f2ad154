#include "frame/ResultText.h"

#include <gtest/gtest.h>

#include <cstring>

#include "frame/GbkText.h"

namespace {

using frame::GetField;
using frame::GetRow;

TEST(GbkText, CutsNeverSplitACharacter) {
  const std::string s =
      "ab\xB0\xA1"
      "c";  // a, b, one double-byte character, c
  struct Case {
    std::string text;
    std::size_t max, len;
  };
  const Case cases[] = {
      {s, 0, 0},
      {s, 2, 2},
      {s, 3, 2},
      {s, 4, 4},
      {s, 5, 5},
      {s, 99, 5},
      // A lead byte followed by no trail byte is a broken single byte.
      {"a\xB0", 2, 2},
      {"a\xB0\r", 2, 2},
      {"\xB0\x30\xB0\xA1", 3, 2},
      // 0x7F and bytes below 0x40 are no trail bytes.
      {"\x81\x7F", 1, 1},
      {"\x81\x40", 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(frame::GbkCutLength(c.text, c.max), c.len) << c.text;
  }
}

TEST(GbkText, TrimAndFixedFields) {
  EXPECT_EQ(frame::Trim(std::string("\x01 \t a b \r\n\x00", 11)), "a b");
  EXPECT_EQ(frame::Trim(" \xB0\xA1 "), "\xB0\xA1");
  EXPECT_EQ(frame::Trim("   "), "");

  char field[5];
  std::memset(field, 'x', sizeof field);
  frame::CopyToField(field, "abc\xB0\xA1");  // the character does not fit in 4 bytes
  EXPECT_EQ(std::string(field, 5), std::string("abc\0\0", 5));
  const char full[3] = {'a', 'b', 'c'};  // no zero byte: read up to the size
  EXPECT_EQ(frame::FieldText(full), "abc");
}

TEST(GbkText, SearchesSkipTrailBytes) {
  // 0x81 0x5E is one character whose trail byte is '^'; 0x81 0x61 ends in 'a'.
  const std::string text =
      "\x81\x5E^x\x81\x61"
      "a";
  EXPECT_EQ(frame::GbkFind(text, "^"), 2u);
  EXPECT_EQ(frame::GbkReplaceChar(text, '^', '\a'),
            "\x81\x5E\ax\x81\x61"
            "a");
  EXPECT_EQ(frame::GbkUpperAscii(text),
            "\x81\x5E^X\x81\x61"
            "A");
  EXPECT_FALSE(frame::GbkContains("\x81\x5E", "^"));
}

TEST(ResultText, RowsEndWithAnyLineEndForm) {
  struct Case {
    std::string text;
    int n;
    std::string row;
  };
  const Case cases[] = {
      {"ab\r\ncd", 1, "ab"}, {"ab\r\ncd", 2, "cd"},  {"ab\r\ncd", 3, ""}, {"ab\n\rcd", 2, "cd"},
      {"ab\rcd", 2, "cd"},   {"ab\ncd", 2, "cd"},    {"\r\nab", 1, ""},   {"\r\nab", 2, "ab"},
      {"a\r\n\r\nb", 2, ""}, {"a\r\n\r\nb", 3, "b"}, {"a\r\rb", 3, "b"},  {"", 1, ""},
      {"ab", 0, ""},         {"ab", -1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetRow(c.text, c.n), c.row) << c.text << " " << c.n;
  }
  EXPECT_EQ(frame::SplitRows("a\r\nb\n\rc\rd\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(ResultText, FieldsAreTrimmedAndTheLastRepeats) {
  EXPECT_EQ(GetField("a\ab", 0), "a");
  EXPECT_EQ(GetField("a\ab", 1), "b");
  EXPECT_EQ(GetField("a\ab", 2), "b");
  EXPECT_EQ(GetField("a\a", 1), "");
  EXPECT_EQ(GetField("a\a", 5), "");
  EXPECT_EQ(GetField(" x \a\t y \r\n", 1), "y");
  EXPECT_EQ(GetField("", 3), "");
  EXPECT_EQ(GetField("a\ab", -1), "a");
  // An answer made only of separators.
  EXPECT_EQ(GetField("\a\a\a\a", 2), "");
}

TEST(ResultText, SplitFieldsBoundsEachBuffer) {
  // Buffers of 3, 4 and 2 bytes hold 2, 3 and 1 bytes.
  auto f = frame::SplitFields("abcdef\a\xB0\xA1\xB0\xA1\axyz\amore", '\a', {3, 4, 2});
  EXPECT_EQ(f, (std::vector<std::string>{"ab", "\xB0\xA1", "x"}));
  f = frame::SplitFields(" a \a", '\a', {10, 10, 10, 0});
  EXPECT_EQ(f, (std::vector<std::string>{" a ", "", "", ""}));
  // A '^' inside a double-byte character is no separator.
  EXPECT_EQ(frame::SplitFields("\x81\x5E"
                               "a^20",
                               '^', {50, 50}),
            (std::vector<std::string>{"\x81\x5E"
                                      "a",
                                      "20"}));
  EXPECT_EQ(frame::SplitAll("a\a\ab\a", '\a'), (std::vector<std::string>{"a", "", "b", ""}));
}

TEST(ResultText, NewlineEncoding) {
  EXPECT_EQ(frame::EncodeNewlines("l1\r\nl2\r\nl3"), "l1\016l2\016l3");
  EXPECT_EQ(frame::DecodeNewlines("l1\016l2\016"), "l1\r\nl2\r\n");
  EXPECT_EQ(frame::EncodeNewlines("plain \xB0\xA1"), "plain \xB0\xA1");
  EXPECT_EQ(frame::DecodeNewlines("plain \xB0\xA1"), "plain \xB0\xA1");
  // Round trip: lone LF removed, lone CR becomes CR LF.
  EXPECT_EQ(frame::DecodeNewlines(frame::EncodeNewlines("a\nb\rc\r\nd")), "ab\r\nc\r\nd");
  // Double-byte characters are copied whole; a lone lead byte does not swallow a CR.
  EXPECT_EQ(frame::EncodeNewlines("\xB0\xA1\r\n\xB0\r\n"), "\xB0\xA1\016\xB0\016");
  EXPECT_EQ(frame::DecodeNewlines("\xB0\016\016"), "\xB0\r\n\r\n");
}

TEST(ResultText, UpdateAnswerBecomesAResultRecord) {
  struct Case {
    std::string answer;
    int code;
    std::string text;
  };
  const Case cases[] = {
      {"0\aOK", 0, "OK"},   {"no separator", 0, "no separator"},
      {"-1\ax", -1, "x"},   {" 17 \a kept as is \r\n", 17, " kept as is \r\n"},
      {"x\amsg", 0, "msg"}, {"99999999999\aoverflow", 0, "overflow"},
      {"\a", 0, ""},        {"5\aa\ab", 5, "a\ab"},
  };
  for (const Case& c : cases) {
    TShellResult r = frame::ParseShellResult(c.answer);
    EXPECT_EQ(r.Code, c.code) << c.answer;
    EXPECT_EQ(frame::FieldText(r.Text), c.text) << c.answer;
  }
  // A long message is bounded to 50 bytes without splitting a character.
  std::string longText = "1\a" + std::string(49, 'm') + "\xB0\xA1" + std::string(20, 'n');
  TShellResult r = frame::ParseShellResult(longText);
  EXPECT_EQ(std::strlen(r.Text), 49u);
  EXPECT_EQ(r.Text[50], '\0');
  std::string fits = "1\a" + std::string(48, 'm') + "\xB0\xA1";
  EXPECT_EQ(std::strlen(frame::ParseShellResult(fits).Text), 50u);
}

TEST(ResultText, CodeAndNameItems) {
  struct Case {
    std::string text;
    int code;
  };
  const Case cases[] = {{"12:Name", 12}, {" 7 :x", 7},         {"-3:x", -3}, {"", -1},
                        {"12", -1},      {"x:12", -1},         {":x", -1},   {"1 2:x", -1},
                        {"+4:x", 4},     {"99999999999:x", -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(frame::ItemCode(c.text), c.code) << c.text;
  }

  const std::vector<std::string> items = {"a:skipped", "2:two", "-1:minus one", "2:again"};
  EXPECT_EQ(frame::FindItemByCode(items, 2), 1);
  EXPECT_EQ(frame::FindItemByCode(items, -1), 2);  // a real code -1, not a missing one
  EXPECT_EQ(frame::FindItemByCode(items, 9), -1);
  EXPECT_EQ(frame::FindItemByCode({}, 0), -1);

  EXPECT_EQ(frame::TextBefore("AUD:Dollar", ":"), "AUD");
  EXPECT_EQ(frame::TextBefore("none", ":"), "none");
  EXPECT_EQ(frame::TextBefore("\x81\x5E^b", "^"), "\x81\x5E");
}

TEST(ResultText, CodeNameDetail) {
  struct Case {
    std::string text;
    int number;
    std::string name, detail;
  };
  const Case cases[] = {
      {"12:Acme(USD 001)", 12, "Acme", "USD 001"},
      {"12:Acme", 12, "Acme", ""},
      {"Acme(x)", 0, "Acme", "x"},
      {"x:Acme", 0, "Acme", ""},
      {"3:a)b(c", 3, "a)b", ""},
      {"4:" + std::string(40, 'n') + "(" + std::string(40, 'd') + ")", 4, std::string(35, 'n'),
       std::string(35, 'd')},
  };
  for (const Case& c : cases) {
    frame::TCodeNameDetail d = frame::SplitCodeNameDetail(c.text);
    EXPECT_EQ(d.Number, c.number) << c.text;
    EXPECT_EQ(d.Name, c.name) << c.text;
    EXPECT_EQ(d.Detail, c.detail) << c.text;
  }
}

}  // namespace
