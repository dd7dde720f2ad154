// The table host: its table format, matching, and that it never writes past the buffers
// or through a planted link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "host/TavroClient.h"
#include "tests/support/TestEnv.h"
#include "tests/tablehost/HostTable.h"

namespace {

using tablehost::TableEntry;

TEST(HostTable, ParsesEscapesPatternsAndStatuses) {
  std::vector<TableEntry> entries;
  std::string error;
  ASSERT_TRUE(tablehost::ParseTable(
      "# comment\n\nMN_A 'x'\t0\t1\\x07中\\r\\n\r\nMN_B *\t5\ttimeout\nMN_C\\x2A\t0\n", entries,
      error))
      << error;
  ASSERT_EQ(entries.size(), 3U);
  EXPECT_EQ(entries[0].command, "MN_A 'x'");
  EXPECT_FALSE(entries[0].prefix);
  EXPECT_EQ(entries[0].answer, "1\x07\xD6\xD0\r\n");
  EXPECT_TRUE(entries[1].prefix);
  EXPECT_EQ(entries[1].command, "MN_B ");
  EXPECT_EQ(entries[1].status, 5);
  EXPECT_EQ(entries[2].command, "MN_C*");
  EXPECT_FALSE(entries[2].prefix);
  EXPECT_EQ(entries[2].answer, "");

  for (const char* text : {"MN_A\n", "MN_A\tx\tanswer\n", "MN_A\t0\ta\tb\n", "MN_A\t0\t\\q\n",
                           "ok\t0\t\nMN_\xFF\t0\t\n"}) {
    EXPECT_FALSE(tablehost::ParseTable(text, entries, error)) << text;
    EXPECT_EQ(error.rfind("line ", 0), 0U) << error;
  }
}

TEST(HostTable, FirstMatchWinsAfterTheChannelPrefix) {
  std::vector<TableEntry> entries;
  std::string error;
  ASSERT_TRUE(tablehost::ParseTable("Sh_X  12,0\t0\texact\nSh_X *\t0\tany\n", entries, error));
  EXPECT_EQ(tablehost::StripChannel("A01\aSh_X  12,0"), "Sh_X  12,0");
  EXPECT_EQ(tablehost::StripChannel("Sh_X  12,0"), "Sh_X  12,0");
  EXPECT_EQ(tablehost::FindAnswer(entries, "Sh_X  12,0")->answer, "exact");
  EXPECT_EQ(tablehost::FindAnswer(entries, "Sh_X  13,0")->answer, "any");
  EXPECT_EQ(tablehost::FindAnswer(entries, "Sh_X  12,00")->answer, "any");
  EXPECT_EQ(tablehost::FindAnswer(entries, "Sh_Y"), nullptr);
}

class TableHostCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    tavro_test::WriteFile(dir_ + "/table.txt", "LONG\t0\t0123456789\nFAIL\t7\t" +
                                                   std::string(200, 'e') + "\nFAILGBK\t7\t" +
                                                   std::string(126, 'e') + "中\n");
  }

  tavro_test::ScopedTempDir folder_{"tablehost"};
  const std::string dir_ = folder_.Path();
  tavro_test::ScopedEnv table_{"TAVRO_TABLE_HOST", (dir_ + "/table.txt").c_str()};
  tavro_test::ScopedEnv log_{"TAVRO_TABLE_HOST_LOG", (dir_ + "/log.txt").c_str()};
  char result_[8] = "#######";
  char error_[128] = {};
};

TEST_F(TableHostCalls, AnswersAreCutToTheCapacityAndErrorsTo127Bytes) {
  EXPECT_EQ(qelCommand(0, "A01\aLONG", 8, result_, 5, error_, 2), 0);
  EXPECT_STREQ(result_, "01234");
  EXPECT_EQ(result_[6], '#');
  std::memset(error_, '#', sizeof error_);
  EXPECT_EQ(qelCommand(0, "A01\aFAIL", 8, result_, 5, error_, 2), 7);
  EXPECT_EQ(std::strlen(error_), 127U);
  // The cut never splits a double-byte character.
  EXPECT_EQ(qelCommand(0, "A01\aFAILGBK", 11, result_, 5, error_, 2), 7);
  EXPECT_EQ(std::string(error_), std::string(126, 'e'));
  // The length counts, not what lies after it; no match is status 1.
  EXPECT_EQ(qelCommand(0, "A01\aLONGER", 8, result_, 5, error_, 2), 0);
  EXPECT_EQ(qelCommand(0, "A01\aLON", 7, result_, 5, error_, 2), 1);
  EXPECT_NE(qelCommand(0, nullptr, 0, result_, 5, error_, 2), 0);
  EXPECT_NE(qelCommand(0, "LONG", 4, nullptr, 5, error_, 2), 0);
  EXPECT_EQ(tavro_test::ReadFile(dir_ + "/log.txt").substr(0, 26),
            "command \"A01\\x07LONG\"\ncomm");
}

TEST_F(TableHostCalls, ResultFilesAreCreatedNewAndNeverThroughALink) {
  const std::string file = dir_ + "/rows";
  ASSERT_EQ(qelFileGet(0, "A01\aLONG", 8, file.c_str(), error_, 2), 0) << error_;
  EXPECT_EQ(tavro_test::FileMode(file), 0600U);
  EXPECT_EQ(tavro_test::ReadFile(file), "0123456789");
  // An existing file, or a link planted where the file should go, is refused.
  EXPECT_NE(qelFileGet(0, "A01\aLONG", 8, file.c_str(), error_, 2), 0);
  const std::string link = dir_ + "/planted";
  ASSERT_EQ(symlink((dir_ + "/target").c_str(), link.c_str()), 0);
  EXPECT_NE(qelFileGet(0, "A01\aLONG", 8, link.c_str(), error_, 2), 0);
  EXPECT_EQ(tavro_test::FileMode(dir_ + "/target"), ~0U);
}

TEST_F(TableHostCalls, AMissingTableFailsEveryCommand) {
  tavro_test::ScopedEnv absent("TAVRO_TABLE_HOST", (dir_ + "/absent.txt").c_str());
  EXPECT_EQ(qelCommand(0, "A01\aLONG", 8, result_, 5, error_, 2), 99);
  EXPECT_NE(std::string(error_).find("table"), std::string::npos);
}

}  // namespace
