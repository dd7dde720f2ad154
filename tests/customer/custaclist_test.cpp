// The customer account list called as the shell calls it: its folder command, the
// account dialogs its three commands open in the test module, and what is reloaded.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "customer/CustAcListFrm.h"
#include "frame/ManageEdit.h"
#include "tests/support/DialogTest.h"

namespace {

namespace fs = std::filesystem;
using fakehost::Answer;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;

constexpr HWND_T kShell = 0x55;
constexpr HWND_T kBefore = 0x99;
constexpr char kFolder[] = "MN_GetCustAcFolder 'EN','0012','000001','C001'";
// A saved account (930), one left without saving (931, no columns past the customer)
// and a row naming no function.
const std::string kRows =
    "930:Customer bank account\a1\aC001\aCNY\a6222\aICBC\aActive\r\n"
    "931:Other kind\a2\aC009\r\n"
    "Payroll:x\a3\r\n";

class CustAcListTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
    log_ = TempDir() + "testmodule.log";
    logEnv_ = std::make_unique<tavro_test::ScopedEnv>("TAVRO_TESTMODULE_LOG", log_.c_str());
    Serve();
  }
  // A fresh host that knows the folder's rows and the two account functions.
  static void Serve(const char* serves930 = "TestModule.dll\aTm_EditRecord\aID\a") {
    fakehost::Reset();
    fakehost::OnPrefix("MN_GetCustAcFolder", Answer::Ok(kRows));
    fakehost::On("Sh_GetFunctionName  930,0", Answer::Ok(serves930));
    fakehost::On("Sh_GetFunctionName  931,0", Answer::Ok("TestModule.dll\aTm_Cancel\aID\a"));
  }
  // Calls the entry point for key with the operator script; the record starts dirty
  // and must come back clear whatever the list did.
  void Call(const std::string& script, const char* key = "C001") {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_CustAcNoList(&result, kShell, "0012", "000001", 202, key, "unused");
    const TShellResult zero{};
    EXPECT_EQ(std::memcmp(&result, &zero, sizeof result), 0);
    EXPECT_FALSE(Platform().Failed()) << ::testing::PrintToString(Platform().Transcript());
    EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  }
  // What the test module's entries received: key, function id, extra per call.
  std::string ModuleLog() const { return fs::exists(log_) ? tavro_test::ReadFile(log_) : ""; }

  std::string log_;

 private:
  std::unique_ptr<tavro_test::ScopedEnv> logEnv_;
};

TEST(CustAcListRow, FunctionIdIsTheNumberBeforeTheFirstColon) {
  const std::pair<const char*, int> cases[] = {{"930:  Customer bank account", 930},
                                               {" 12 :a:b", 12},
                                               {"45", 0},
                                               {"Payroll:930", 0},
                                               {"99999999999:big", 0}};
  for (const auto& [caption, id] : cases) {
    EXPECT_EQ(customer::RowFunctionId(caption), id) << caption;
  }
}

// The customer id is cut to 24 bytes for the folder command. Without a row only New
// does something: function 930 for the list's customer.
TEST_F(CustAcListTest, OpensTheCustomersFolderAndWithoutARowOnlyNewOpensTheDefault) {
  Call(
      "expect FolderLsv columns 7\nexpect FolderLsv column 0 Kind 180 left\n"
      "expect FolderLsv count 3\n"
      "expect FolderLsv item 0 \"930:Customer bank "
      "account\\t1\\tC001\\tCNY\\t6222\\tICBC\\tActive\"\n"
      "expect FolderLsv itemindex -1\nexpect FolderLsv readonly true\n"
      "expect NewMit caption \"New Account\"\nexpect EditMit caption \"Edit Account\"\n"
      "expect form font \"宋体\" 10 134\n"
      "dblclick FolderLsv\nclick EditMit\nclick NewMit\nexpect FolderLsv columns 7\n",
      std::string(30, 'c').c_str());
  EXPECT_EQ(Platform().Transcript().front(), "open TCustAcListFrm \"Payee Accounts\"");
  const std::string custId(24, 'c');
  EXPECT_EQ(ModuleLog(), "\n930\n" + custId + "\n");
  const std::string folder = "MN_GetCustAcFolder 'EN','0012','000001','" + custId + "'";
  EXPECT_EQ(Commands(), (Lines{folder, "Sh_GetFunctionName  930,0", folder}));
  EXPECT_EQ(fakehost::LastCall().window, kShell);
}

// Each command on a row: what the account dialog receives, and whether the list is
// loaded again (a save, code 1) or kept with its selection (code 0, or nothing opened).
TEST_F(CustAcListTest, CommandsOnARowOpenTheRowsFunctionAndReloadOnlyAfterASave) {
  const std::tuple<int, const char*, const char*, bool> cases[] = {
      {0, "dblclick FolderLsv", "1\n930\n\n", true},
      {0, "click EditMit", "1\n930\n\n", true},
      {0, "click NewMit", "\n930\nC001\n", true},
      {1, "dblclick FolderLsv", "2\n931\n\n", false},
      {1, "click EditMit", "2\n931\n\n", false},
      {1, "click NewMit", "\n931\nC009\n", false},  // the row's customer, not the list's
      {2, "click NewMit", "", false},               // function 0 names no module
  };
  for (const auto& [row, action, received, reloaded] : cases) {
    SCOPED_TRACE(std::string(action) + " on row " + std::to_string(row));
    fs::remove(log_);
    Serve();
    const std::string selected = reloaded ? "-1" : std::to_string(row);
    Call("select FolderLsv " + std::to_string(row) + "\n" + action +
         "\nexpect FolderLsv columns 7\nexpect FolderLsv count 3\n"
         "expect FolderLsv itemindex " +
         selected + "\n");
    EXPECT_EQ(ModuleLog(), received);
    EXPECT_EQ(Commands("MN_GetCustAcFolder"), Lines(reloaded ? 2 : 1, kFolder));
  }
}

// The loader's error reaches the event loop, which shows it; the list stays open, and
// the second try is answered from the function cache.
TEST_F(CustAcListTest, AMissingModuleIsShownAndTheListStaysOpen) {
  Serve("NoSuchModule.dll\aMn_Edit");
  Call("click NewMit\nclick NewMit\nexpect FolderLsv count 3\n");
  EXPECT_EQ(
      MessageLines(),
      Lines(2, "message ok error \"ManageEdit\" \"LoadLibrary NoSuchModule.dll Fail\" -> ok"));
  EXPECT_EQ(Commands(), (Lines{kFolder, "Sh_GetFunctionName  930,0"}));
}

// A file that does not exist keeps the designed texts; a key the file lacks empties
// its text.
TEST_F(CustAcListTest, CaptionsComeFromTheLanguageFileWithoutDefaults) {
  const customer::TCustAcListFrm designed({}, sys::IniFile(TempDir() + "none.ini"));
  EXPECT_EQ(designed.Caption(), Gbk("客户帐号"));
  EXPECT_EQ(designed.NewMit->Caption(), "New");
  EXPECT_EQ(designed.EditMit->Caption(), "Edit");
  EXPECT_TRUE(designed.FolderLsv->RowSelect());
  tavro_test::WriteFile(TempDir() + "lang.ini", "[EN]\r\nMnu_CustAcList_NewMit_Name=Add\r\n");
  const customer::TCustAcListFrm partial({}, sys::IniFile(TempDir() + "lang.ini"));
  EXPECT_EQ(partial.Caption(), "");
  EXPECT_EQ(partial.NewMit->Caption(), "Add");
  EXPECT_EQ(partial.EditMit->Caption(), "");
}

}  // namespace
