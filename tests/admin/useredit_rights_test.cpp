// The rights file of the user dialog, its store rule, default rights, node ids and the
// three save batches, without a dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "admin/UserRights.h"
#include "sys/IniFile.h"
#include "tests/support/TestEnv.h"

namespace {

using admin::TRightsFile;
using Entries = std::vector<std::pair<std::string, std::string>>;

class UserRightsTest : public tavro_test::TempDirTest {
 protected:
  TRightsFile FileWith(const std::string& text) {
    const std::string path = TempDir() + admin::kRightsFileName;
    tavro_test::WriteFile(path, text);
    return admin::LoadRightsFile(path);
  }
};

TEST_F(UserRightsTest, TheStoreRuleDecidesBetweenUpdateDeleteAndNothing) {
  struct Case {
    const char* name;
    const char* right;               // the server's line for node 7, or null
    std::vector<const char*> masks;  // stored one after another
    Entries update, del;
    const char* finalRight;
  } cases[] = {
      {"new node, nothing checked", nullptr, {"00000000"}, {{"7", "00000000"}}, {}, "00000000"},
      {"new node", nullptr, {"11000000"}, {{"7", "11000000"}}, {}, "11000000"},
      {"new node given by the server empty",
       "7=",
       {"10000000"},
       {{"7", "10000000"}},
       {},
       "10000000"},
      {"cleared node", "7=11110000", {"00000000"}, {}, {{"7", ""}}, "00000000"},
      {"changed, then cleared",
       "7=10000000",
       {"11000000", "00000000"},
       {{"7", "11000000"}},
       {{"7", ""}},
       "00000000"},
      {"cleared, then given back",
       "7=10000000",
       {"00000000", "10000000"},
       {{"7", "10000000"}},
       {{"7", ""}},
       "10000000"},
      {"unchanged", "7=11110000", {"11110000"}, {}, {}, "11110000"},
      {"positions 6 to 8 from the server",
       "7=11110111",
       {"11110000"},
       {{"7", "11110000"}},
       {},
       "11110000"},
      {"longer value compared by its first 8",
       "7=11110000xyz",
       {"11110000"},
       {},
       {},
       "11110000xyz"},
  };
  for (const Case& c : cases) {
    TRightsFile file = FileWith(c.right ? std::string("[Right]\r\n") + c.right + "\r\n" : "");
    for (const char* mask : c.masks) {
      admin::StoreNodeRights(file, "7", mask);
    }
    EXPECT_EQ(admin::RightsEntries(file, "Update"), c.update) << c.name;
    EXPECT_EQ(admin::RightsEntries(file, "Delete"), c.del) << c.name;
    EXPECT_EQ(admin::ReadRightsEntry(file, "Right", "7", "none"), c.finalRight) << c.name;
  }
}

TEST_F(UserRightsTest, NoNodeShownStoresNothing) {
  TRightsFile file = FileWith("[Right]\r\n7=10000000\r\n");
  EXPECT_FALSE(admin::StoreNodeRights(file, "", "11000000"));
  EXPECT_FALSE(admin::StoreNodeRights(file, "  ", "00000000"));
  EXPECT_FALSE(file.Dirty);
  EXPECT_EQ(admin::NodeRightsBatch("0012", "000002", file), "");
}

TEST_F(UserRightsTest, FileKeepsTheInitialisationRulesAndIsWrittenOnlyWhenChanged) {
  // The server's file: mixed case, a duplicate (the first wins), LF line ends.
  TRightsFile file = FileWith("[right]\n12=11110000\n3=10000000\n12=00000000\n");
  EXPECT_EQ(admin::ReadRightsEntry(file, "RIGHT", "12", ""), "11110000");
  admin::SaveRightsFile(file);
  EXPECT_EQ(tavro_test::ReadFile(file.Path), "[right]\n12=11110000\n3=10000000\n12=00000000\n");

  admin::StoreNodeRights(file, "12", "00000000");  // rewritten where it stands
  admin::StoreNodeRights(file, "5", "11000000");   // new: at the end
  admin::WriteRightsEntry(file, "UPDATE", "5", "11100000");
  EXPECT_TRUE(file.Dirty);
  admin::SaveRightsFile(file);
  EXPECT_FALSE(file.Dirty);
  const std::string text = tavro_test::ReadFile(file.Path);
  EXPECT_EQ(text,
            "[Right]\r\n12=00000000\r\n3=10000000\r\n5=11000000\r\n"
            "\r\n[Delete]\r\n12=\r\n"
            "\r\n[Update]\r\n5=11100000\r\n");
  // The platform's reader sees what the dialog sees.
  const sys::IniFile ini(file.Path);
  EXPECT_EQ(ini.ReadString("Update", "5", ""), "11100000");
  EXPECT_EQ(ini.ReadKeys("Right"), (std::vector<std::string>{"12", "3", "5"}));
  EXPECT_EQ(admin::LoadRightsFile(file.Path).Sections.size(), 3U);

  // Keys fold Latin letters only; thousands of keys keep their order and are all found.
  admin::WriteRightsEntry(file, "Update", "ab", "1");
  admin::WriteRightsEntry(file, "update", " AB ", "2");
  EXPECT_EQ(admin::ReadRightsEntry(file, "Update", "aB", ""), "2");
  for (int i = 0; i < 3000; ++i) {
    admin::StoreNodeRights(file, std::to_string(1000 + i), "10000000");
  }
  const auto& right = admin::RightsEntries(file, "Right");
  ASSERT_EQ(right.size(), 3003U);
  EXPECT_EQ(right[3].first, "1000");
  EXPECT_EQ(right.back().first, "3999");
  for (int i = 0; i < 3000; i += 7) {
    EXPECT_EQ(admin::ReadRightsEntry(file, "Right", std::to_string(1000 + i), ""), "10000000");
  }
  EXPECT_EQ(admin::ReadRightsEntry(file, "Right", "4000", "none"), "none");

  EXPECT_THROW(admin::WriteRightsEntry(file, "Right", "a=b", "1"), std::invalid_argument);
  EXPECT_THROW(admin::WriteRightsEntry(file, "Right", "9", "1\r\n[x]"), std::invalid_argument);
  EXPECT_EQ(admin::LoadRightsFile(TempDir() + "missing.ini").Sections.size(), 0U);
}

TEST_F(UserRightsTest, DefaultRightsGiveQueryOnlyToEveryNodeThatLacksIt) {
  TRightsFile file = FileWith("[Right]\r\n1=10000000\r\n101=11110000\r\n102=00000000\r\n");
  admin::ApplyDefaultRights(file, {"1", "101", "102", "103"});
  EXPECT_EQ(admin::RightsEntries(file, "Update"),
            (Entries{{"101", "10000000"}, {"102", "10000000"}, {"103", "10000000"}}));
  EXPECT_TRUE(admin::RightsEntries(file, "Delete").empty());
  EXPECT_EQ(admin::ReadRightsEntry(file, "Right", "103", ""), "10000000");
}

TEST_F(UserRightsTest, NodeRightsBatchSendsDeletesFirstAndOnlyDecimalKeys) {
  // A node changed then cleared stands in both sections; the server's file may bring
  // sections of its own with keys that must never reach a command unquoted.
  TRightsFile file = FileWith(
      "[Right]\r\n5=11110000\r\n"
      "[Update]\r\n104;drop=11110000\r\n-1=10000000\r\n"
      "[Delete]\r\n1 or 1=\r\nx=\r\n99999999999=\r\n");
  admin::StoreNodeRights(file, "5", "11000000");
  admin::StoreNodeRights(file, "5", "00000000");
  admin::StoreNodeRights(file, "6", "10100000");
  admin::WriteRightsEntry(file, "Update", "7", "1'0");
  EXPECT_EQ(admin::NodeRightsBatch("0012", "O'1", file),
            "exec MN_DeleteUserRightList '0012','O''1',5  \r\n"
            "exec MN_UpdateRightItem '0012','O''1',-1,'10000000'  \r\n"
            "exec MN_UpdateRightItem '0012','O''1',5,'11000000'  \r\n"
            "exec MN_UpdateRightItem '0012','O''1',6,'10100000'  \r\n"
            "exec MN_UpdateRightItem '0012','O''1',7,'1''0'  \r\n");
  EXPECT_EQ(admin::NodeRightsBatch("0012", "000002", FileWith("")), "");
}

TEST_F(UserRightsTest, ReviewAndAccountBatchesByteForByte) {
  EXPECT_EQ(admin::ReviewRightsBatch("0012", "000002", {"000001", "000002", "O'K", "000002 "}),
            "exec MN_DeleteUserCheckList '0012','000002'\x1E"
            "exec MN_InsertUserCheckList '0012','000002','000001'\r\n"
            "exec MN_InsertUserCheckList '0012','000002','O''K'\r\n"
            "exec MN_InsertUserCheckList '0012','000002','000002 '\r\n");
  EXPECT_EQ(admin::ReviewRightsBatch("0012", "000002", {"000002"}),
            "exec MN_DeleteUserCheckList '0012','000002'\x1E");
  EXPECT_EQ(admin::AccountRightsBatch("0012", "000002", {"310012000100001", "a'b"}),
            "exec MN_DeleteUserAcList '0012','000002'\r\n"
            "exec MN_InsertAcRightList '0012','000002','310012000100001'\r\n"
            "exec MN_InsertAcRightList '0012','000002','a''b'\r\n");
}

TEST_F(UserRightsTest, NodeIdsMasksAndKeys) {
  const std::pair<const char*, const char*> ids[] = {
      {"101:Users", "101"}, {" 12 :x", "12"}, {"-3:y", "-3"}, {"Users", "-1"},
      {"", "-1"},           {":x", "-1"},     {"1a:x", "-1"},
  };
  for (const auto& [text, id] : ids) {
    EXPECT_EQ(admin::NodeIdOf(text), id) << text;
  }
  for (const char* key : {"0", "104", "-1", "2147483647", "-2147483648"}) {
    EXPECT_TRUE(admin::IsNodeIdKey(key)) << key;
  }
  for (const char* key : {"", "-", "+5", "1 2", "12a", "2147483648", "0x10", "1,2", "1'"}) {
    EXPECT_FALSE(admin::IsNodeIdKey(key)) << key;
  }
  EXPECT_EQ(admin::MaskOf({true, false, true, false, true}), "10101000");
  EXPECT_EQ(admin::ShownRightsOf("11"), (admin::TShownRights{true, true, false, false, false}));
  EXPECT_EQ(admin::ShownRightsOf("00001111"),
            (admin::TShownRights{false, false, false, false, true}));
}

}  // namespace
