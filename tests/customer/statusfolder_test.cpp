// The processing status dialog called as the shell calls it: its three folder commands
// in order, the lists they fill, and the texts it falls back on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "customer/StatusFolderFrm.h"
#include "frame/ManageEdit.h"
#include "frame/ShellFunc.h"
#include "tests/payee/payee_test_support.h"

namespace customer_test {
// Defined with the account list's tests.
bool RerunWithoutLanguageFile();
}  // namespace customer_test

namespace {

using fakehost::Answer;
using payee_test::Commands;
using payee_test::Lines;
using tavro_test::Gbk;

constexpr HWND_T kShell = 0x66;
constexpr HWND_T kBefore = 0x99;
// A business number of 20 bytes is sent as its first 15; the user id is quoted.
constexpr char kKey[] = "B2026120100345678901";
constexpr char kArgs[] = " 407,'0012','00''001','B20261201003456'";
const std::string kAuthorise = std::string("MN_GetAuthoriseFolder") + kArgs;
const std::string kSign = std::string("MN_GetSignFolder") + kArgs;
const std::string kAudit = std::string("MN_GetAuditFolder") + kArgs;

class StatusFolderTest : public payee_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
  }
  void TearDown() override {
    frame::SaveFunctionCache();
    DialogTest::TearDown();
  }
  // Answers the three folders.
  static void Serve(const Answer& authorise, const Answer& sign, const Answer& audit) {
    fakehost::Reset();
    fakehost::On(kAuthorise, authorise);
    fakehost::On(kSign, sign);
    fakehost::On(kAudit, audit);
  }
  // Calls the entry point with the operator script; the record starts dirty and must
  // come back clear.
  void Call(const std::string& script) {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_StatusFolderList(&result, kShell, "0012", "00'001", 407, kKey, "unused");
    const TShellResult zero{};
    EXPECT_EQ(std::memcmp(&result, &zero, sizeof result), 0);
    EXPECT_FALSE(Platform().Failed()) << ::testing::PrintToString(Platform().Transcript());
    EXPECT_EQ(Platform().OwnerWindow(), kBefore);
    EXPECT_FALSE(frame::FunctionCacheLoaded());
  }
};

const Answer kAuthoriseRows = Answer::Ok("B1\a000003\a2026-12-01 10:30\aDone\r\n");
const Answer kSignRows = Answer::Ok("B1\a000003\a2026-12-01 10:31\aSigned\r\n");
const Answer kAuditRows = Answer::Ok(
    "B1\a000002\a2026-12-01 10:05\aEntry\aOK\r\nB1\a000001\a2026-12-01 10:12\aCheck\aOK");

TEST_F(StatusFolderTest, TheThreeFoldersAreAskedInOrderAndFillTheirLists) {
  Serve(kAuthoriseRows, kSignRows, kAuditRows);
  Call(
      "expect form caption \"Processing Status\"\nexpect form font \"宋体\" 10 134\n"
      "expect GroupBox1 caption Authorisation\nexpect GroupBox2 caption Signature\n"
      "expect GroupBox3 caption Operations\n"
      "expect AuthoriseFolderLsv columns 4\n"
      "expect AuthoriseFolderLsv column 0 \"Business No.\" 150 left\n"
      "expect AuthoriseFolderLsv column 3 Result 120 left\n"
      "expect AuthoriseFolderLsv item 0 \"B1\t000003\t2026-12-01 10:30\tDone\"\n"
      "expect SignFolderLsv columns 4\nexpect SignFolderLsv column 1 Signer 120 left\n"
      "expect SignFolderLsv item 0 \"B1\t000003\t2026-12-01 10:31\tSigned\"\n"
      "expect AuditFolderLsv columns 5\nexpect AuditFolderLsv column 3 Operation 150 left\n"
      "expect AuditFolderLsv count 2\n"
      "expect AuditFolderLsv item 1 \"B1\t000001\t2026-12-01 10:12\tCheck\tOK\"\n"
      "expect AuthoriseFolderLsv readonly true\nexpect SignFolderLsv readonly true\n"
      "expect AuditFolderLsv readonly false\n");
  EXPECT_EQ(Commands(), (Lines{kAuthorise, kSign, kAudit}));
  for (const fakehost::Call& call : fakehost::Calls()) {
    EXPECT_EQ(call.window, kShell);
    EXPECT_TRUE(call.file);
  }
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(Platform().Transcript().back(), "close TStatusFolderFrm cancel");
}

// Each folder is loaded on its own: a failed one is reported and keeps its columns.
TEST_F(StatusFolderTest, AFailedOrEmptyFolderDoesNotStopTheOthers) {
  const Answer busy = Answer::Fail(3, "busy");
  const Answer none = Answer::Ok("");
  const std::tuple<Answer, Answer, Answer, const char*, std::size_t> cases[] = {
      {busy, kSignRows, kAuditRows, "0 1 2", 1},     {kAuthoriseRows, busy, kAuditRows, "1 0 2", 1},
      {kAuthoriseRows, kSignRows, busy, "1 1 0", 1}, {busy, busy, busy, "0 0 0", 3},
      {none, none, kAuditRows, "0 0 2", 0},  // only the operation log has rows
  };
  for (const auto& [authorise, sign, audit, counts, boxes] : cases) {
    SCOPED_TRACE(counts);
    Serve(authorise, sign, audit);
    const std::size_t before = MessageLines().size();
    const std::string c(counts);
    Call(
        "expect AuthoriseFolderLsv columns 4\nexpect SignFolderLsv columns 4\n"
        "expect AuditFolderLsv columns 5\nexpect AuthoriseFolderLsv count " +
        c.substr(0, 1) + "\nexpect SignFolderLsv count " + c.substr(2, 1) +
        "\nexpect AuditFolderLsv count " + c.substr(4, 1) + "\n");
    EXPECT_EQ(Commands(), (Lines{kAuthorise, kSign, kAudit}));
    EXPECT_EQ(MessagesSince(before), Lines(boxes, payee_test::Box("Error:busy")));
  }
}

// Unlike the other dialogs, a key the language file lacks gives the designed text.
TEST_F(StatusFolderTest, AKeyMissingFromTheLanguageFileGivesTheDesignedText) {
  customer::TStatusFolderFrm form;
  tavro_test::WriteFile(TempDir() + "lang.ini",
                        "[EN]\r\nFrm_StatusFolder_Name=Status\r\n"
                        "Grp_StatusFolder_Grp1_Name=Approvals\r\n"
                        "Grp_StatusFolder_Grp3_Name=\r\n");
  form.ApplyLanguage(sys::IniFile(TempDir() + "lang.ini"));
  EXPECT_EQ(form.Caption, "Status");
  EXPECT_EQ(form.GroupBox1->Caption, "Approvals");
  EXPECT_EQ(form.GroupBox2->Caption, Gbk("签名情况"));
  EXPECT_EQ(form.GroupBox3->Caption, "");  // present but empty is a text of its own
  form.ApplyLanguage(sys::IniFile(TempDir() + "none.ini"));
  EXPECT_EQ(form.Caption, "Status");
  // The trails select whole rows; the operation log is left as designed.
  EXPECT_TRUE(form.AuthoriseFolderLsv->RowSelect && form.SignFolderLsv->RowSelect);
  EXPECT_FALSE(form.AuditFolderLsv->RowSelect);
  EXPECT_EQ(form.AuditFolderLsv->Parent(), form.GroupBox3);
}

// Without a language file no layout is read, not even the audit folder's default: all
// three lists stay without columns and rows, and the designed texts stay.
TEST_F(StatusFolderTest, WithoutALanguageFileNoListHasColumns) {
  if (customer_test::RerunWithoutLanguageFile()) {
    return;
  }
  Serve(kAuthoriseRows, kSignRows, kAuditRows);
  Call(
      "expect GroupBox1 caption 授权情况\nexpect GroupBox2 caption 签名情况\n"
      "expect GroupBox3 caption 操作情况\n"
      "expect AuthoriseFolderLsv columns 0\nexpect SignFolderLsv columns 0\n"
      "expect AuditFolderLsv columns 0\nexpect AuthoriseFolderLsv count 0\n"
      "expect SignFolderLsv count 0\nexpect AuditFolderLsv count 0\n");
  EXPECT_EQ(Platform().Transcript().front(), "open TStatusFolderFrm \"处理状态\"");
  EXPECT_EQ(Commands(), (Lines{kAuthorise, kSign, kAudit}));
}

}  // namespace
