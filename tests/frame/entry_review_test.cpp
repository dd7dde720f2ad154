// The review-list entry points and the record check, called as the shell calls them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "customer/Mn_CheckFunc.h"
#include "frame/ManageEdit.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"

namespace {

using fakehost::Answer;
using tavro_test::ReadFile;
using tavro_test::ScopedEnv;
using tavro_test::WriteFile;

constexpr HWND_T kShell = 0x77;

class ReviewEntryTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    oldCwd_ = sys::CurrentFolder();
    ASSERT_EQ(::chdir(TempDir().c_str()), 0);
    WriteFile(TempDir() + "Tavro2007.ini", "[Settings]\r\nLangId=EN\r\n");
    log_ = TempDir() + "testmodule.log";
    env_ = std::make_unique<ScopedEnv>("TAVRO_TESTMODULE_LOG", log_.c_str());
  }
  void TearDown() override {
    env_.reset();
    EXPECT_EQ(::chdir(oldCwd_.c_str()), 0);
    ModuleTest::TearDown();
  }

  std::string log_;

 private:
  std::string oldCwd_;
  std::unique_ptr<ScopedEnv> env_;
};

TEST_F(ReviewEntryTest, AllFiveListsSendTheSameArgumentsAndShareTheLayout) {
  struct Case {
    TListEntry entry;
    const char* procedure;
  } cases[] = {
      {Mn_GetCheckList, "MN_GetCheckList"},       {Mn_GetAuthoriseList, "MN_GetAuthoriseList"},
      {Mn_GetSendList, "MN_GetSendList"},         {Mn_GetDeletedList, "MN_GetDeletedList"},
      {Mn_GetRejectedList, "MN_GetRejectedList"},
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    fakehost::SetFallback(Answer::Ok("B1\a1.00\r\n"));
    TFolderList list;
    std::memset(&list, 'x', sizeof list);
    c.entry(&list, kShell, "0012", "O'1", 99, "ignored");
    const auto& call = fakehost::LastCall();
    EXPECT_TRUE(call.file);
    EXPECT_EQ(call.window, kShell);
    EXPECT_EQ(call.prefix, "A01");
    EXPECT_EQ(call.command, std::string(c.procedure) + " 'EN','0012','O''1'");
    EXPECT_STREQ(list.FileName, call.fileName.c_str());
    EXPECT_EQ(ReadFile(list.FileName), "B1\a1.00\r\n");
    // The shipped English layout, quoted titles with blanks kept whole.
    EXPECT_EQ(std::string(list.ColumnLayout).rfind("Business No.\a15\r\nType\a12\r\n", 0), 0u);
  }
}

TEST_F(ReviewEntryTest, BadParametersAreReadSafelyAndAFailedListKeepsItsLayout) {
  const char corp[] = {'0', '0', '1', '2', '3', '4'};  // unterminated
  TFolderList list;
  Mn_GetCheckList(&list, kShell, corp, nullptr, 0, nullptr);
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetCheckList 'EN','0012',''");
  std::filesystem::remove(list.FileName);

  const std::size_t before = fakehost::Calls().size();
  Mn_GetCheckList(nullptr, kShell, "0012", "000001", 0, nullptr);
  EXPECT_EQ(fakehost::Calls().size(), before);  // nothing to hand a file to

  fakehost::SetFallback(Answer::Fail(5, "timeout"));
  Mn_GetSendList(&list, kShell, "0012", "000001", 0, nullptr);
  EXPECT_STREQ(list.FileName, "");
  EXPECT_NE(std::strlen(list.ColumnLayout), 0u);
  EXPECT_LE(std::strlen(list.ColumnLayout), customer::kCheckLayoutMax);
  EXPECT_EQ(MessageLines(),
            std::vector<std::string>{R"(message ok none "ManageEdit" "Error:timeout" -> ok)"});
}

TEST_F(ReviewEntryTest, RecordKeysSplitIntoPrefixFunctionAndKey) {
  struct Case {
    const char* key;
    const char* prefix;
    const char* recordKey;
    int functionId;
  } cases[] = {
      {"12 payment:A0001", "12 payment", "A0001", 12},
      {"12 pay:A:B", "12 pay", "A:B", 12},
      {"A0001", "", "A0001", 0},
      {"x9 y:K", "x9 y", "K", 0},
      {"12:K", "12", "K", 0},  // no blank, no function
      {"", "", "", 0},
  };
  for (const Case& c : cases) {
    const customer::TCheckKey parts = customer::SplitCheckKey(c.key);
    EXPECT_EQ(parts.Prefix, c.prefix) << c.key;
    EXPECT_EQ(parts.RecordKey, c.recordKey) << c.key;
    EXPECT_EQ(parts.FunctionId, c.functionId) << c.key;
  }
}

TEST_F(ReviewEntryTest, CheckRecordCallsTheRegisteredEntryWithTheKeyPart) {
  fakehost::On("Sh_GetFunctionName  12,0", Answer::Ok("TestModule.dll\aTm_EditRecord\aP\aX"));
  TShellResult result{5, "stale"};
  Mn_CheckRecord(&result, kShell, "0012", "000001", 99, "12 payment:A0001", "extra");
  EXPECT_EQ(result.Code, 1);
  EXPECT_STREQ(result.Text, "12 payment:OK");
  // The key part, the function id from the key, the extra received: not the function's.
  EXPECT_EQ(ReadFile(log_), "A0001\n12\nextra\n");
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  EXPECT_FALSE(std::filesystem::exists(TempDir() + frame::kFunctionCacheFile));

  // The prefixed text is bounded to the record's 50 bytes.
  const std::string longKey = "12 " + std::string(46, 'p') + ":K";
  Mn_CheckRecord(&result, kShell, "0012", "000001", 0, longKey.c_str(), nullptr);
  EXPECT_EQ(std::string(result.Text), "12 " + std::string(46, 'p') + ":");

  // A null result: the entry still gets a record of its own.
  std::filesystem::remove(log_);
  Mn_CheckRecord(nullptr, kShell, nullptr, nullptr, 0, "12 p:K", nullptr);
  EXPECT_EQ(ReadFile(log_), "K\n12\n\n");
}

TEST_F(ReviewEntryTest, CheckRecordWithoutModuleOrWithBadNamesLeavesTheResultClear) {
  fakehost::On("Sh_GetFunctionName  0,0", Answer::Ok(""));
  TShellResult result{5, "stale"};
  Mn_CheckRecord(&result, kShell, "0012", "000001", 0, "A0001", nullptr);
  EXPECT_EQ(fakehost::LastCall().command, "Sh_GetFunctionName  0,0");
  EXPECT_EQ(result.Code, 0);
  EXPECT_STREQ(result.Text, "");
  EXPECT_FALSE(std::filesystem::exists(log_));

  struct Case {
    const char* answer;
    const char* error;
  } cases[] = {
      {"Missing.dll\aTm_EditRecord", "LoadLibrary Missing.dll Fail"},
      {"TestModule.dll\aTm_Nothing", "GetProcAddress Tm_Nothing Fail"},
      {"TestModule.dll\aTm_Raise", "Tm_Raise failed on purpose"},
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    fakehost::On("Sh_GetFunctionName  3,0", Answer::Ok(c.answer));
    TShellResult r{5, "stale"};
    try {
      Mn_CheckRecord(&r, kShell, "0012", "000001", 0, "3 x:K", nullptr);
      ADD_FAILURE() << "no error for " << c.answer;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
    EXPECT_EQ(r.Code, 0);
    EXPECT_TRUE(MessageLines().empty()) << "not caught and shown here";
  }
}

}  // namespace
