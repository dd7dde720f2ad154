// The processing status dialog called as the shell calls it: its three folder commands
// in order, the lists they fill, and the texts it falls back on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "customer/StatusFolderFrm.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "sys/ProcessPaths.h"
#include "tests/support/DialogTest.h"

namespace {

namespace fs = std::filesystem;
using fakehost::Answer;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;

constexpr HWND_T kShell = 0x66;
constexpr HWND_T kBefore = 0x99;
// A business number of 20 bytes is sent as its first 15; the user id is quoted.
constexpr char kArgs[] = " 407,'0012','00''001','B20261201003456'";
const std::string kAuthorise = std::string("MN_GetAuthoriseFolder") + kArgs;
const std::string kSign = std::string("MN_GetSignFolder") + kArgs;
const std::string kAudit = std::string("MN_GetAuditFolder") + kArgs;

class StatusFolderTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
    fakehost::On(kAuthorise, Answer::Fail(3, "busy"));
    fakehost::On(kSign, Answer::Ok("B1\a000003\a2026-12-01 10:31\aSigned\r\n"));
    fakehost::On(kAudit, Answer::Ok("B1\a000002\a2026-12-01 10:05\aEntry\aOK\r\n"
                                    "B1\a000001\a2026-12-01 10:12\aCheck\aOK"));
  }
  // Calls the entry point with the operator script; the record starts dirty and must
  // come back clear.
  void Call(const std::string& script) {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_StatusFolderList(&result, kShell, "0012", "00'001", 407, "B2026120100345678901", "");
    const TShellResult zero{};
    EXPECT_EQ(std::memcmp(&result, &zero, sizeof result), 0);
    EXPECT_FALSE(Platform().Failed()) << ::testing::PrintToString(Platform().Transcript());
    EXPECT_EQ(Platform().OwnerWindow(), kBefore);
    EXPECT_EQ(Commands(), (Lines{kAuthorise, kSign, kAudit}));
  }
};

// The first folder fails: it is reported and keeps its columns, and the other two are
// still loaded.
TEST_F(StatusFolderTest, TheThreeFoldersAreAskedInOrderEachOnItsOwn) {
  Call(
      "expect form font \"宋体\" 10 134\n"
      "expect AuthoriseFolderLsv columns 4\nexpect AuthoriseFolderLsv count 0\n"
      "expect SignFolderLsv columns 4\nexpect SignFolderLsv column 1 Signer 120 left\n"
      "expect SignFolderLsv item 0 \"B1\t000003\t2026-12-01 10:31\tSigned\"\n"
      "expect AuditFolderLsv columns 5\nexpect AuditFolderLsv column 3 Operation 150 left\n"
      "expect AuditFolderLsv item 1 \"B1\t000001\t2026-12-01 10:12\tCheck\tOK\"\n"
      "expect AuthoriseFolderLsv readonly true\nexpect SignFolderLsv readonly true\n"
      "expect AuditFolderLsv readonly false\n");
  EXPECT_EQ(MessageLines(), Lines{tavro_test::Box("Error:busy")});
  EXPECT_EQ(fakehost::LastCall().window, kShell);
}

// Unlike the other dialogs, a key the language file lacks gives the designed text; a
// key present but empty gives an empty text.
TEST_F(StatusFolderTest, CaptionsFallBackOnTheDesignedTexts) {
  const Lines designed = {Gbk("处理状态"), Gbk("授权情况"), Gbk("签名情况"), Gbk("操作情况")};
  tavro_test::WriteFile(TempDir() + "keys.ini",
                        "[EN]\r\nFrm_StatusFolder_Name=Status\r\nGrp_StatusFolder_Grp1_Name=A\r\n"
                        "Grp_StatusFolder_Grp2_Name=S\r\nGrp_StatusFolder_Grp3_Name=\r\n");
  tavro_test::WriteFile(TempDir() + "nokeys.ini", "[EN]\r\n");
  const std::pair<const char*, Lines> cases[] = {
      {"keys.ini", {"Status", "A", "S", ""}}, {"nokeys.ini", designed}, {"none.ini", designed}};
  for (const auto& [file, captions] : cases) {
    const customer::TStatusFolderFrm form({}, sys::IniFile(TempDir() + file));
    EXPECT_EQ((Lines{form.Caption(), form.GroupBox1->Caption(), form.GroupBox2->Caption(),
                     form.GroupBox3->Caption()}),
              captions)
        << file;
    // The trails select whole rows; the operation log is left as designed.
    EXPECT_TRUE(form.AuthoriseFolderLsv->RowSelect() && form.SignFolderLsv->RowSelect());
    EXPECT_FALSE(form.AuditFolderLsv->RowSelect());
  }
}

// Without a language file no layout is read, not even the audit folder's default: all
// three lists stay without columns and rows. The test runs again in a copy of this
// program in a folder without the language file; there it does its work.
TEST_F(StatusFolderTest, WithoutALanguageFileNoListHasColumns) {
  if (!frame::GetLangFilePath().empty()) {
    const std::string copy = TempDir() + "nolang/tests";
    const std::string out = TempDir() + "out";
    fs::create_directories(TempDir() + "nolang");
    std::error_code linked;
    fs::create_hard_link(sys::ExecutablePath(), copy, linked);
    if (linked) {
      fs::copy_file(sys::ExecutablePath(), copy);
    }
    EXPECT_EQ(
        std::system(("'" + copy + "' --gtest_filter=*.WithoutALanguageFileNoListHasColumns >'" +
                     out + "' 2>&1")
                        .c_str()),
        0);
    EXPECT_NE(tavro_test::ReadFile(out).find("[  PASSED  ] 1 test."), std::string::npos)
        << tavro_test::ReadFile(out);
    return;
  }
  Call(
      "expect AuthoriseFolderLsv columns 0\nexpect SignFolderLsv columns 0\n"
      "expect AuditFolderLsv columns 0\nexpect SignFolderLsv count 0\n"
      "expect AuditFolderLsv count 0\n");
}

}  // namespace
