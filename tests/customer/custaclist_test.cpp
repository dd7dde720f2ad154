// The customer account list called as the shell calls it: its folder command, the
// account dialogs its three commands open in the test module, and what is reloaded.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "customer/CustAcListFrm.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "frame/ShellFunc.h"
#include "sys/ProcessPaths.h"
#include "tests/payee/payee_test_support.h"

namespace customer_test {

// True in a test program with the shipped language file beside it: the calling test has
// then been run again by a copy of the program in a folder without one, and whether it
// passed there has been checked. False in that copy, where the test does its work.
bool RerunWithoutLanguageFile() {
  namespace fs = std::filesystem;
  if (frame::GetLangFilePath().empty()) {
    return false;
  }
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string filter =
      std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
  const fs::path folder = fs::temp_directory_path() / "no-language-file";
  fs::create_directories(folder);
  const fs::path program = folder / fs::path(sys::ExecutablePath()).filename();
  // A hard link is the program under another name; a copy where the folders differ.
  std::error_code linkError;
  fs::create_hard_link(sys::ExecutablePath(), program, linkError);
  if (linkError) {
    fs::copy_file(sys::ExecutablePath(), program, fs::copy_options::overwrite_existing);
  }
  const std::string output = (folder / "output.txt").string();
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::creat(output.c_str(), 0600);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    const std::string path = program.string();
    ::execl(path.c_str(), path.c_str(), filter.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = -1;
  EXPECT_EQ(::waitpid(child, &status, 0), child);
  const std::string text = tavro_test::ReadFile(output);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
  EXPECT_NE(text.find("[  PASSED  ] 1 test."), std::string::npos) << text;
  return true;
}

}  // namespace customer_test

namespace {

namespace fs = std::filesystem;
using fakehost::Answer;
using payee_test::Commands;
using payee_test::Lines;
using tavro_test::Gbk;
using tavro_test::ReadFile;

constexpr HWND_T kShell = 0x55;
constexpr HWND_T kBefore = 0x99;
constexpr char kFolder[] = "MN_GetCustAcFolder 'EN','0012','000001','C001'";
// A saved account (930), one left without saving (931) and a row naming no function.
const std::string kRows =
    "930:Customer bank account\a1\aC001\aCNY\a6222\aICBC\aActive\r\n"
    "931:Other kind\a2\aC009\aUSD\a88\aAURORA\aActive\r\n"
    "Payroll:x\a3\r\n";
// Row 0 as a script's expect line names it.
const std::string kRow0 = R"(930:Customer bank account\t1\tC001\tCNY\t6222\tICBC\tActive)";

bool AllZero(const TShellResult& r) {
  static const TShellResult zero{};
  return std::memcmp(&r, &zero, sizeof r) == 0;
}

class CustAcListTest : public payee_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
    log_ = TempDir() + "testmodule.log";
    logEnv_ = std::make_unique<tavro_test::ScopedEnv>("TAVRO_TESTMODULE_LOG", log_.c_str());
    Serve();
  }
  // A fresh host that knows the folder's rows and the two account functions.
  static void Serve(const char* serves930 = "TestModule.dll\aTm_EditRecord\aID\a",
                    const char* serves931 = "TestModule.dll\aTm_Cancel\aID\a") {
    fakehost::Reset();
    fakehost::OnPrefix("MN_GetCustAcFolder", Answer::Ok(kRows));
    fakehost::On("Sh_GetFunctionName  930,0", Answer::Ok(serves930));
    fakehost::On("Sh_GetFunctionName  931,0", Answer::Ok(serves931));
  }
  void TearDown() override {
    frame::SaveFunctionCache();
    logEnv_.reset();
    DialogTest::TearDown();
  }

  // Calls the entry point for key with the operator script; the record starts dirty
  // and must come back clear whatever the list did.
  void Call(const std::string& script, const char* key = "C001") {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_CustAcNoList(&result, kShell, "0012", "000001", 202, key, "unused");
    EXPECT_TRUE(AllZero(result));
    EXPECT_FALSE(Platform().Failed()) << ::testing::PrintToString(Platform().Transcript());
    EXPECT_EQ(Platform().OwnerWindow(), kBefore);
    EXPECT_FALSE(frame::FunctionCacheLoaded());
  }
  // What the test module's entries received: key, function id, extra per call.
  std::string ModuleLog() const { return fs::exists(log_) ? ReadFile(log_) : ""; }
  // No result file (numeric name) is left in the temporary folder.
  void ExpectNoResultFileLeft() const {
    for (const std::string& name : FilesInTempDir()) {
      EXPECT_FALSE(std::all_of(name.begin(), name.end(), ::isdigit)) << name << " left behind";
    }
  }

  std::string log_;

 private:
  std::unique_ptr<tavro_test::ScopedEnv> logEnv_;
};

TEST(CustAcListRow, FunctionIdIsTheNumberBeforeTheFirstColon) {
  const std::pair<const char*, int> cases[] = {{"930:  Customer bank account", 930},
                                               {" 12 :a:b", 12},
                                               {"45", 0},
                                               {"Payroll:930", 0},
                                               {":1", 0},
                                               {"", 0},
                                               {"99999999999:big", 0}};
  for (const auto& [caption, id] : cases) {
    EXPECT_EQ(customer::RowFunctionId(caption), id) << caption;
  }
}

TEST_F(CustAcListTest, OpensTheCustomersFolderInTheLanguageOfTheSettings) {
  Call(
      "expect FolderLsv columns 7\n"
      "expect FolderLsv column 0 Kind 140 left\n"
      "expect FolderLsv column 2 \"Payee Id\" 120 left\n"
      "expect FolderLsv column 6 Status 60 left\n"
      "expect FolderLsv count 3\n"
      "expect FolderLsv item 0 \"" +
      kRow0 +
      "\"\n"
      "expect FolderLsv item 2 \"Payroll:x\\t3\"\n"
      "expect FolderLsv itemindex -1\n"
      "expect FolderLsv readonly true\n"
      "expect NewMit caption \"New Account\"\n"
      "expect EditMit caption \"Edit Account\"\n"
      "expect form font \"宋体\" 10 134\n");
  EXPECT_EQ(Platform().Transcript().front(), "open TCustAcListFrm \"Payee Accounts\"");
  EXPECT_EQ(Commands(), Lines{kFolder});
  for (const fakehost::Call& call : fakehost::Calls()) {
    EXPECT_EQ(call.window, kShell);
    EXPECT_TRUE(call.file);
  }
  EXPECT_TRUE(MessageLines().empty());
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
    fs::remove(TempDir() + frame::kFunctionCacheFile);
    Serve();
    const std::string selected = reloaded ? "-1" : std::to_string(row);
    Call("select FolderLsv " + std::to_string(row) + "\n" + action +
         "\nexpect FolderLsv columns 7\nexpect FolderLsv count 3\n"
         "expect FolderLsv itemindex " +
         selected + "\n");
    EXPECT_EQ(ModuleLog(), received);
    EXPECT_EQ(Commands("MN_GetCustAcFolder"), Lines(reloaded ? 2 : 1, kFolder));
    const int function[] = {930, 931, 0};
    EXPECT_EQ(Commands("Sh_GetFunctionName"),
              Lines{"Sh_GetFunctionName  " + std::to_string(function[row]) + ",0"});
  }
  EXPECT_TRUE(MessageLines().empty());
}

// Without a row only New does something: function 930 for the list's customer, whose
// id was cut to 24 bytes like the folder command's.
TEST_F(CustAcListTest, WithoutARowOnlyNewOpensTheDefaultFunctionForTheListsCustomer) {
  const std::string key(30, 'c');
  const std::string custId(24, 'c');
  Call("dblclick FolderLsv\nclick EditMit\nclick NewMit\nexpect FolderLsv columns 7\n",
       key.c_str());
  EXPECT_EQ(ModuleLog(), "\n930\n" + custId + "\n");
  const std::string folder = "MN_GetCustAcFolder 'EN','0012','000001','" + custId + "'";
  EXPECT_EQ(Commands(), (Lines{folder, "Sh_GetFunctionName  930,0", folder}));
}

// The loader's errors reach the event loop, which shows them; the list stays open and
// keeps working, and the lookups it made are still saved with the cache.
TEST_F(CustAcListTest, AMissingModuleOrEntryIsShownAndTheListStaysOpen) {
  Serve("NoSuchModule.dll\aMn_Edit", "TestModule.dll\aTm_Missing");
  Call(
      "click NewMit\nselect FolderLsv 1\nclick EditMit\nexpect FolderLsv itemindex 1\n"
      "select FolderLsv 0\ndblclick FolderLsv\nexpect FolderLsv count 3\n");
  const auto error = [](const std::string& text) {
    return "message ok error \"ManageEdit\" \"" + text + "\" -> ok";
  };
  EXPECT_EQ(MessageLines(), (Lines{error("LoadLibrary NoSuchModule.dll Fail"),
                                   error("GetProcAddress Tm_Missing Fail"),
                                   error("LoadLibrary NoSuchModule.dll Fail")}));
  EXPECT_EQ(Platform().Transcript().back(), "close TCustAcListFrm cancel");
  EXPECT_EQ(ModuleLog(), "");
  EXPECT_EQ(Commands("MN_GetCustAcFolder").size(), 1u);
  // 930 was asked once: the second time the loaded cache answered.
  EXPECT_EQ(Commands("Sh_GetFunctionName"),
            (Lines{"Sh_GetFunctionName  930,0", "Sh_GetFunctionName  931,0"}));
  const std::string cache = ReadFile(TempDir() + frame::kFunctionCacheFile);
  EXPECT_NE(cache.find("Sh_GetFunctionName  930,0=NoSuchModule.dll"), std::string::npos);
  EXPECT_NE(cache.find("Sh_GetFunctionName  931,0=TestModule.dll"), std::string::npos);
}

TEST_F(CustAcListTest, AFailedFolderShowsTheColumnsWithoutRows) {
  fakehost::On(kFolder, Answer::Fail(5, "timeout"));
  Call(
      "expect FolderLsv columns 7\nexpect FolderLsv count 0\nclick NewMit\n"
      "expect FolderLsv columns 7\nexpect FolderLsv count 0\n");
  // Loaded again after the save, and failed again.
  EXPECT_EQ(MessageLines(), Lines(2, payee_test::Box("Error:timeout")));
  EXPECT_EQ(Commands("MN_GetCustAcFolder"), Lines(2, kFolder));
  ExpectNoResultFileLeft();
}

// The customer dialog calls the list with its own cache handed over to the file; the
// list answers from the file, adds what it learned and hands the file back.
TEST_F(CustAcListTest, CalledInsideAnotherEntryTheListSharesTheFunctionCacheFile) {
  fakehost::On("Sh_GetFunctionName  201,0", Answer::Ok("ManageEdit.dll\aMn_CustomerEdit"));
  frame::LoadFunctionCache();
  frame::LookupFunction(kShell, 201, 0);
  frame::SaveFunctionCache();
  Call("click NewMit\n");
  frame::LoadFunctionCache();
  EXPECT_STREQ(frame::LookupFunction(kShell, 201, 0).EntryName, "Mn_CustomerEdit");
  EXPECT_STREQ(frame::LookupFunction(kShell, 930, 0).EntryName, "Tm_EditRecord");
  EXPECT_EQ(Commands("Sh_GetFunctionName"),
            (Lines{"Sh_GetFunctionName  201,0", "Sh_GetFunctionName  930,0"}));
  EXPECT_EQ(ModuleLog(), "\n930\nC001\n");
}

// Keys a language file lacks leave the captions empty; without a file they keep the
// designed texts.
TEST_F(CustAcListTest, LanguageKeysHaveNoDefaults) {
  customer::TCustAcListFrm form;
  form.ApplyLanguage(sys::IniFile(TempDir() + "none.ini"));
  EXPECT_EQ(form.Caption, "Payee Accounts");
  tavro_test::WriteFile(TempDir() + "lang.ini", "[EN]\r\nMnu_CustAcList_NewMit_Name=Add\r\n");
  form.ApplyLanguage(sys::IniFile(TempDir() + "lang.ini"));
  EXPECT_EQ(form.Caption, "");
  EXPECT_EQ(form.NewMit->Caption, "Add");
  EXPECT_EQ(form.EditMit->Caption, "");
}

// Without a language file there is no layout: no columns, and the rows are not shown
// (their file is removed all the same). The designed texts stay.
TEST_F(CustAcListTest, WithoutALanguageFileTheListHasNoColumnsAndNoRows) {
  if (customer_test::RerunWithoutLanguageFile()) {
    return;
  }
  Call(
      "expect FolderLsv columns 0\nexpect FolderLsv count 0\nexpect NewMit caption New\n"
      "expect EditMit caption Edit\n");
  EXPECT_EQ(Platform().Transcript().front(), "open TCustAcListFrm \"客户帐号\"");
  EXPECT_EQ(Commands(), Lines{kFolder});
  ExpectNoResultFileLeft();
}

}  // namespace
