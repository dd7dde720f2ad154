// The shared checks of the procedures: GBK lengths, line breaks as stored, keys.
#include <gtest/gtest.h>

#include "host/ProcCommon.h"

namespace {

TEST(ProcCommon, LineBreaksOfEveryFormAreStoredAsCrLf) {
  struct Case {
    const char* in;
    const char* stored;
  };
  const Case cases[] = {
      {"a\x0E"
       "b\x0E"
       "c",
       "a\r\nb\r\nc"},
      {"a\r\nb", "a\r\nb"},
      {"a\rb", "a\r\nb"},
      {"a\nb", "a\r\nb"},
      {"a\r\n\r\nb", "a\r\n\r\nb"},
      {"\x0E", "\r\n"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(host::StoredLines(c.in), c.stored) << c.in;
}

TEST(ProcCommon, LengthsCountGbkBytes) {
  EXPECT_EQ(host::GbkLength("abc"), 3u);
  EXPECT_EQ(host::GbkLength("中文"), 4u);
  EXPECT_EQ(host::GbkLength("a中b"), 4u);
  EXPECT_EQ(host::CheckText("name", "中文ab", 6), "中文ab");
  EXPECT_THROW(host::CheckText("name", "中文abc", 6), host::ProcedureError);
  EXPECT_THROW(host::CheckText("name",
                               "a\x07"
                               "b",
                               6),
               host::ProcedureError);
}

TEST(ProcCommon, KeysAreTrimmedAndNeverEmpty) {
  EXPECT_EQ(host::CheckKey("id", "  C001\t", 24), "C001");
  EXPECT_EQ(host::CorpArg("12  "), "12");
  EXPECT_THROW(host::CheckKey("id", " \r\n ", 24), host::ProcedureError);
  EXPECT_THROW(host::CorpArg("00123"), host::ProcedureError);
  try {
    host::CheckKey("customer id", "", 24);
  } catch (const host::ProcedureError& e) {
    EXPECT_STREQ(e.what(), "customer id is empty");
  }
}

}  // namespace
