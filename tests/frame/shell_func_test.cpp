// Shell lookups, the function cache and its file, and the dynamic call through the
// library loader into the test module.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "frame/ShellFunc.h"
#include "tests/support/ModuleTest.h"

namespace {

using fakehost::Answer;
using tavro_test::ReadFile;
using tavro_test::ScopedEnv;
using tavro_test::WriteFile;

constexpr HWND_T kWnd = 0x4711;
const std::string kLookup12 = "Sh_GetFunctionName  12,0";

class ShellFuncTest : public tavro_test::ModuleTest {
 protected:
  void TearDown() override {
    frame::SaveFunctionCache();  // never leave the module-wide list to the next test
    ModuleTest::TearDown();
  }
  std::string CacheFile() const { return TempDir() + frame::kFunctionCacheFile; }
  int LookupCalls() const {
    int n = 0;
    for (const auto& call : fakehost::Calls()) {
      n += call.command.rfind("Sh_GetFunctionName", 0) == 0;
    }
    return n;
  }
};

TEST_F(ShellFuncTest, ViewNodesSendTheFilterOrOnlyTheLanguageForAll) {
  struct Case {
    const char* filter;
    const char* expected;
  } cases[] = {
      {"ALL", "Sh_GetViewNodeList 'CN','',''"},
      {"X'1", "Sh_GetViewNodeList 'CN','0012','X''1'"},
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    fakehost::SetFallback(Answer::Ok("tree"));
    std::string buffer;
    EXPECT_EQ(frame::LookupViewNodes(kWnd, "CN", "0012", buffer, 10240, c.filter), 0);
    const auto& call = fakehost::LastCall();
    EXPECT_EQ(call.prefix, "A01");
    EXPECT_EQ(call.command, c.expected);
    EXPECT_EQ(call.capacity, 10239);
    EXPECT_EQ(call.window, kWnd);
    EXPECT_EQ(buffer, "tree");
  }
}

TEST_F(ShellFuncTest, NodeRightsAreCutToEightAndDeniedWhenTheLookupFails) {
  fakehost::On("Sh_GetNodeRight '0012','000001',301", Answer::Ok("0110"));
  const std::string rights = frame::LookupNodeRights(kWnd, "0012", "000001", 301);
  EXPECT_EQ(rights, "0110");
  EXPECT_EQ(fakehost::LastCall().capacity, 63);
  EXPECT_FALSE(frame::RightGranted(rights, frame::kRightQuery));
  EXPECT_TRUE(frame::RightGranted(rights, frame::kRightAdd));
  EXPECT_TRUE(frame::RightGranted(rights, frame::kRightModify));
  EXPECT_FALSE(frame::RightGranted(rights, frame::kRightDelete));
  EXPECT_FALSE(frame::RightGranted(rights, 5));  // past the end of a short text

  fakehost::On("Sh_GetNodeRight '0012','000001',302", Answer::Ok("1111111111\r\n"));
  EXPECT_EQ(frame::LookupNodeRights(kWnd, "0012", "000001", 302), "11111111");

  fakehost::On("Sh_GetNodeRight '0012','000001',303", Answer::Fail(5, "timeout"));
  EXPECT_EQ(frame::LookupNodeRights(kWnd, "0012", "000001", 303), "00000000");
  EXPECT_EQ(MessageLines(),
            std::vector<std::string>{R"(message ok none "ManageEdit" "Error:timeout" -> ok)"});
}

TEST_F(ShellFuncTest, LookupSplitsTheFirstRowIntoTheFourFields) {
  fakehost::On(kLookup12, Answer::Ok("TestModule.dll\aTm_EditRecord\aID\aX 1\r\nmore"));
  const TShellFunction f = frame::LookupFunction(kWnd, 12, 0);
  EXPECT_STREQ(f.LibraryName, "TestModule.dll");
  EXPECT_STREQ(f.EntryName, "Tm_EditRecord");
  EXPECT_STREQ(f.Param, "ID");
  EXPECT_STREQ(f.Extra, "X 1");
  EXPECT_EQ(fakehost::LastCall().capacity, 1023);

  fakehost::On("Sh_GetFunctionName  13,0", Answer::Fail(1, "down"));
  const TShellFunction empty = frame::LookupFunction(kWnd, 13, 0);
  EXPECT_STREQ(empty.LibraryName, "");
  EXPECT_STREQ(empty.EntryName, "");
}

TEST_F(ShellFuncTest, OnlyALoadedCacheAnswersAndOnlySuccessesAreCached) {
  fakehost::On(kLookup12, Answer::Ok("A.dll\aE"));
  frame::LookupFunction(kWnd, 12, 0);
  frame::LookupFunction(kWnd, 12, 0);
  EXPECT_EQ(LookupCalls(), 2);  // no cache loaded

  frame::LoadFunctionCache();
  fakehost::On("Sh_GetFunctionName  13,0", Answer::Fail(3, "busy"));
  frame::LookupFunction(kWnd, 13, 0);
  frame::LookupFunction(kWnd, 13, 0);
  frame::LookupFunction(kWnd, 12, 0);
  frame::LookupFunction(kWnd, 12, 0);
  EXPECT_EQ(LookupCalls(), 5);
  frame::SaveFunctionCache();
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  EXPECT_EQ(ReadFile(CacheFile()), kLookup12 + "=A.dll\aE\r\n");

  // A later entry-point call finds the answer in the file.
  fakehost::Reset();
  frame::LoadFunctionCache();
  EXPECT_STREQ(frame::LookupFunction(kWnd, 12, 0).EntryName, "E");
  EXPECT_EQ(LookupCalls(), 0);
}

TEST_F(ShellFuncTest, LineBreaksOfAnAnswerSurviveTheFile) {
  frame::LoadFunctionCache();
  fakehost::On(kLookup12, Answer::Ok("A.dll\aE\a\ax\r\ny"));
  frame::LookupFunction(kWnd, 12, 0);
  frame::SaveFunctionCache();
  const std::string stored = kLookup12 + "=A.dll\aE\a\ax\016y\r\n";
  EXPECT_EQ(ReadFile(CacheFile()), stored);
  // Loaded and saved again, the line comes back byte for byte.
  frame::LoadFunctionCache();
  frame::SaveFunctionCache();
  EXPECT_EQ(ReadFile(CacheFile()), stored);
}

TEST_F(ShellFuncTest, ADamagedCacheFileIsIgnoredLineByLine) {
  std::string damaged = "no equals sign here\r\n=no name\r\n";
  damaged += std::string("Sh_GetFunctionName  1,0=zero\0byte\r\n", 35);
  damaged += "Sh_GetFunctionName  2,0=" + std::string(10000, 'x') + "\r\n";
  damaged += "\xFF\xFE\x81\r\n";
  damaged += kLookup12 + "=Good.dll\aE\r\n";
  WriteFile(CacheFile(), damaged);
  frame::LoadFunctionCache();
  EXPECT_STREQ(frame::LookupFunction(kWnd, 12, 0).LibraryName, "Good.dll");
  EXPECT_EQ(LookupCalls(), 0);
  fakehost::On("Sh_GetFunctionName  2,0", Answer::Ok("Two.dll\aE"));
  EXPECT_STREQ(frame::LookupFunction(kWnd, 2, 0).LibraryName, "Two.dll");
  EXPECT_EQ(LookupCalls(), 1);
}

TEST_F(ShellFuncTest, ACacheThatIsNoFileOrTooLargeIsNoCache) {
  // A folder where the file should be: lookups go to the host, the save fails quietly.
  std::filesystem::create_directory(CacheFile());
  fakehost::On(kLookup12, Answer::Ok("A.dll\aE"));
  frame::LoadFunctionCache();
  frame::LookupFunction(kWnd, 12, 0);
  EXPECT_EQ(LookupCalls(), 1);
  frame::SaveFunctionCache();
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  std::filesystem::remove(CacheFile());

  WriteFile(CacheFile(), kLookup12 + "=Big.dll\aE\r\n" + std::string(5 << 20, 'z'));
  frame::LoadFunctionCache();
  frame::LookupFunction(kWnd, 12, 0);
  EXPECT_EQ(LookupCalls(), 2);
}

class DynamicCallTest : public ShellFuncTest {
 protected:
  void SetUp() override {
    ShellFuncTest::SetUp();
    log_ = TempDir() + "testmodule.log";
    env_ = std::make_unique<ScopedEnv>("TAVRO_TESTMODULE_LOG", log_.c_str());
  }
  void TearDown() override {
    env_.reset();
    ShellFuncTest::TearDown();
  }
  std::string Log() const { return ReadFile(log_); }

  std::string log_;
  std::unique_ptr<ScopedEnv> env_;
};

TEST_F(DynamicCallTest, CallsTheServingEntryWithTheCallersOrItsOwnKey) {
  struct Case {
    const char* answer;
    const char* key;
    const char* extra;
    const char* log;
  } cases[] = {
      {"TestModule.dll\aTm_EditRecord\aID\aFX", "K1", "", "K1\n12\nFX\n"},
      {"TestModule.dll\aTm_EditRecord\a \aFX", "K2", "CX", "K2\n12\nCX\n"},
      {"TestModule.dll\aTm_EditRecord\a3\a", "K3", "", "3\n12\n\n"},
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    std::filesystem::remove(log_);
    fakehost::On(kLookup12, Answer::Ok(c.answer));
    TShellResult result{77, "stale"};
    frame::CallShellFunction(kWnd, 12, "0012", "000001", c.key, c.extra, &result);
    EXPECT_EQ(result.Code, 1);
    EXPECT_STREQ(result.Text, "OK");
    EXPECT_EQ(Log(), c.log) << c.answer;
  }
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(DynamicCallTest, MissingLibraryOrEntryRaisesTheFixedTexts) {
  struct Case {
    const char* answer;
    const char* error;
  } cases[] = {
      {"NoSuchModule.dll\aTm_EditRecord", "LoadLibrary NoSuchModule.dll Fail"},
      {"TestModule.dll\aTm_Missing", "GetProcAddress Tm_Missing Fail"},
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    std::filesystem::remove(CacheFile());
    fakehost::On(kLookup12, Answer::Ok(c.answer));
    frame::LoadFunctionCache();
    TShellResult result{5, "x"};
    try {
      frame::CallShellFunction(kWnd, 12, "0012", "000001", "K", "", &result);
      ADD_FAILURE() << "no error for " << c.answer;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
    EXPECT_EQ(result.Code, 0);
    EXPECT_STREQ(result.Text, "");
    // The outer call keeps its cache whichever way the dynamic call ended.
    EXPECT_TRUE(frame::FunctionCacheLoaded());
    frame::SaveFunctionCache();
  }
}

TEST_F(DynamicCallTest, AnErrorInsideTheEntryIsReportedAndTheCallGoesOn) {
  fakehost::On(kLookup12, Answer::Ok("TestModule.dll\aTm_Raise"));
  frame::LoadFunctionCache();
  TShellResult result{5, "x"};
  EXPECT_NO_THROW(frame::CallShellFunction(kWnd, 12, "0012", "000001", "K", "", &result));
  EXPECT_EQ(MessageLines(),
            std::vector<std::string>{
                R"(message ok none "ManageEdit" "Error in function Tm_Raise" -> ok)"});
  EXPECT_EQ(result.Code, 0);
  EXPECT_TRUE(frame::FunctionCacheLoaded());
  // The cache was handed to its file before the foreign call.
  EXPECT_NE(ReadFile(CacheFile()).find(kLookup12 + "=TestModule.dll"), std::string::npos);
}

TEST_F(DynamicCallTest, AFunctionWithoutModuleOrEntryCallsNothing) {
  for (const char* answer : {"", " \aTm_EditRecord", "TestModule.dll\a  "}) {
    fakehost::Reset();
    fakehost::On(kLookup12, Answer::Ok(answer));
    TShellResult result{5, "x"};
    frame::CallShellFunction(kWnd, 12, "0012", "000001", "K", "", &result);
    EXPECT_EQ(result.Code, 0);
    EXPECT_FALSE(std::filesystem::exists(log_));
  }
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_FALSE(frame::FunctionCacheLoaded());  // not loaded by a call that had none
}

}  // namespace
