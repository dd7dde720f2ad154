// The table host: its table format, matching, and that it never writes past the
// buffers or through a planted link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "host/TavroClient.h"
#include "tests/support/TestEnv.h"
#include "tests/tablehost/HostTable.h"

namespace {

using tablehost::TableEntry;

TEST(HostTable, ParsesEscapesPatternsAndStatuses) {
  std::vector<TableEntry> entries;
  std::string error;
  ASSERT_TRUE(
      tablehost::ParseTable("# comment\n\n"
                            "MN_A 'x'\t0\t1\\x07中\\r\\n\r\n"
                            "MN_B *\t5\ttimeout\n"
                            "MN_C\\x2A\t0\n",
                            entries, error))
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
}

TEST(HostTable, ABadLineIsNamed) {
  for (const char* text : {"MN_A\n", "MN_A\tx\tanswer\n", "MN_A\t0\ta\tb\n", "MN_A\t0\t\\q\n",
                           "ok\t0\t\nMN_\xFF\t0\t\n"}) {
    std::vector<TableEntry> entries;
    std::string error;
    EXPECT_FALSE(tablehost::ParseTable(text, entries, error)) << text;
    EXPECT_EQ(error.rfind("line ", 0), 0U) << error;
  }
}

TEST(HostTable, FirstMatchWinsAfterTheChannelPrefix) {
  std::vector<TableEntry> entries;
  std::string error;
  ASSERT_TRUE(tablehost::ParseTable("Sh_X  12,0\t0\texact\nSh_X *\t0\tany\n", entries, error));
  EXPECT_EQ(tablehost::StripChannel("A01\x07Sh_X  12,0"), "Sh_X  12,0");
  EXPECT_EQ(tablehost::StripChannel("Sh_X  12,0"), "Sh_X  12,0");
  EXPECT_EQ(tablehost::FindAnswer(entries, "Sh_X  12,0")->answer, "exact");
  EXPECT_EQ(tablehost::FindAnswer(entries, "Sh_X  13,0")->answer, "any");
  EXPECT_EQ(tablehost::FindAnswer(entries, "Sh_X  12,00")->answer, "any");
  EXPECT_EQ(tablehost::FindAnswer(entries, "Sh_Y"), nullptr);
}

class TableHostCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(dir_ + "/table.txt") << "LONG\t0\t0123456789\n"
                                       << "FAIL\t7\t" << std::string(200, 'e') << "\n"
                                       << "FAILGBK\t7\t" << std::string(126, 'e') << "中\n";
  }

  tavro_test::ScopedTempDir folder_{"tablehost"};
  const std::string dir_ = folder_.Path();
  tavro_test::ScopedEnv table_{"TAVRO_TABLE_HOST", (dir_ + "/table.txt").c_str()};
  tavro_test::ScopedEnv log_{"TAVRO_TABLE_HOST_LOG", (dir_ + "/log.txt").c_str()};
};

TEST_F(TableHostCalls, AnswersAreCutToTheCapacityAndErrorsTo127Bytes) {
  char result[8];
  char error[128];
  std::memset(result, '#', sizeof result);
  EXPECT_EQ(qelCommand(0, "A01\x07LONG", 8, result, 5, error, 2), 0);
  EXPECT_STREQ(result, "01234");
  EXPECT_EQ(result[6], '#');

  std::memset(error, '#', sizeof error);
  EXPECT_EQ(qelCommand(0,
                       "A01\x07"
                       "FAIL",
                       8, result, 5, error, 2),
            7);
  EXPECT_EQ(std::strlen(error), 127U);
  // The cut never splits a double-byte character.
  EXPECT_EQ(qelCommand(0,
                       "A01\x07"
                       "FAILGBK",
                       11, result, 5, error, 2),
            7);
  EXPECT_EQ(std::string(error), std::string(126, 'e'));
  // The length counts, not what lies after it; no match is status 1.
  EXPECT_EQ(qelCommand(0, "A01\x07LONGER", 8, result, 5, error, 2), 0);
  EXPECT_EQ(qelCommand(0, "A01\x07LON", 7, result, 5, error, 2), 1);
  EXPECT_NE(qelCommand(0, nullptr, 0, result, 5, error, 2), 0);
  EXPECT_NE(qelCommand(0, "LONG", 4, nullptr, 5, error, 2), 0);

  EXPECT_EQ(tavro_test::ReadFile(dir_ + "/log.txt").substr(0, 26),
            "command \"A01\\x07LONG\"\ncomm");
}

TEST_F(TableHostCalls, ResultFilesAreCreatedNewAndNeverThroughALink) {
  char error[128];
  std::string file = dir_ + "/rows";
  ASSERT_EQ(qelFileGet(0, "A01\x07LONG", 8, file.c_str(), error, 2), 0) << error;
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600U);
  EXPECT_EQ(st.st_size, 10);
  // An existing file, or a link planted where the file should go, is refused.
  EXPECT_NE(qelFileGet(0, "A01\x07LONG", 8, file.c_str(), error, 2), 0);
  std::string link = dir_ + "/planted";
  ASSERT_EQ(symlink((dir_ + "/target").c_str(), link.c_str()), 0);
  EXPECT_NE(qelFileGet(0, "A01\x07LONG", 8, link.c_str(), error, 2), 0);
  EXPECT_NE(stat((dir_ + "/target").c_str(), &st), 0);
}

TEST_F(TableHostCalls, AMissingTableFailsEveryCommand) {
  setenv("TAVRO_TABLE_HOST", (dir_ + "/absent.txt").c_str(), 1);
  char result[8];
  char error[128];
  EXPECT_EQ(qelCommand(0, "A01\x07LONG", 8, result, 5, error, 2), 99);
  EXPECT_NE(std::string(error).find("table"), std::string::npos);
}

}  // namespace
