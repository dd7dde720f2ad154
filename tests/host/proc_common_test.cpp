// Line breaks as the procedures store them; lengths and keys are checked through the
// procedures that use them.
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

}  // namespace
