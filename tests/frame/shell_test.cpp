// Shell lookups, the function cache and its file, the dynamic calls into the test
// module, and the entry-point frame with the review lists and the record check.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "customer/Mn_CheckFunc.h"
#include "frame/ManageEdit.h"
#include "frame/ShellFunc.h"
#include "tests/frame/FrameTest.h"
#include "tests/support/DialogTest.h"
#include "ui/Forms.h"

namespace {

using namespace frame_test;
namespace fs = std::filesystem;

const std::string kLookup12 = "Sh_GetFunctionName  12,0";

class ShellFuncTest : public FrameTest {
 protected:
  // Calls function 12 served by answer; the error text it raised, if any.
  std::string Call12(const std::string& answer, TShellResult& result, const char* key = "K",
                     const char* extra = "") {
    fakehost::Reset();
    fakehost::On(kLookup12, Answer::Ok(answer));
    try {
      frame::CallShellFunction(kWnd, 12, "0012", "000001", key, extra, &result);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "";
  }
  // Library, entry, parameter and extra of function id's lookup, at '|'.
  static std::string Lookup(int id) {
    const TShellFunction f = frame::LookupFunction(kWnd, id, 0);
    return std::string(f.LibraryName) + "|" + f.EntryName + "|" + f.Param + "|" + f.Extra;
  }
};

TEST_F(ShellFuncTest, ViewNodesAndRights) {
  fakehost::SetFallback(Answer::Ok("tree"));
  std::string buffer;
  EXPECT_EQ(frame::LookupViewNodes(kWnd, "CN", "0012", buffer, 10240, "ALL"), 0);
  EXPECT_EQ(fakehost::LastCall().command, "Sh_GetViewNodeList 'CN','',''");
  EXPECT_EQ(fakehost::LastCall().capacity, 10239);
  EXPECT_EQ(frame::LookupViewNodes(kWnd, "CN", "0012", buffer, 10240, "X'1"), 0);
  EXPECT_EQ(fakehost::LastCall().command, "Sh_GetViewNodeList 'CN','0012','X''1'");
  fakehost::On("Sh_GetNodeRight '0012','000001',301", Answer::Ok("0110"));
  const std::string rights = frame::LookupNodeRights(kWnd, "0012", "000001", 301);
  EXPECT_EQ(rights, "0110");
  EXPECT_EQ(fakehost::LastCall().capacity, 63);
  EXPECT_TRUE(frame::RightGranted(rights, frame::kRightAdd));
  EXPECT_FALSE(frame::RightGranted(rights, frame::kRightQuery));
  EXPECT_FALSE(frame::RightGranted(rights, 5));  // past the end of the short text
  fakehost::On("Sh_GetNodeRight '0012','000001',302", Answer::Ok("1111111111\r\n"));
  EXPECT_EQ(frame::LookupNodeRights(kWnd, "0012", "000001", 302), "11111111");
  fakehost::On("Sh_GetNodeRight '0012','000001',303", Answer::Fail(5, "timeout"));
  EXPECT_EQ(frame::LookupNodeRights(kWnd, "0012", "000001", 303), "00000000");
}

TEST_F(ShellFuncTest, LookupSplitsTheFirstRowAndOnlyALoadedCacheKeepsSuccesses) {
  fakehost::On(kLookup12, Answer::Ok("TestModule.dll\aTm_EditRecord\aID\aX 1\r\nmore"));
  EXPECT_EQ(Lookup(12), "TestModule.dll|Tm_EditRecord|ID|X 1");
  EXPECT_EQ(fakehost::LastCall().capacity, 1023);
  Lookup(12);
  EXPECT_EQ(LookupCalls(), 2);  // no cache loaded
  fakehost::Reset();
  fakehost::On(kLookup12, Answer::Ok("A.dll\aE\a\ax\r\ny"));
  fakehost::On("Sh_GetFunctionName  13,0", Answer::Fail(3, "busy"));
  frame::LoadFunctionCache();
  EXPECT_EQ(Lookup(13), "|||");
  Lookup(13);
  Lookup(12);
  Lookup(12);
  EXPECT_EQ(LookupCalls(), 3);
  frame::SaveFunctionCache();
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  // The row end inside the answer is stored as a mark and comes back byte for byte.
  const std::string stored = kLookup12 + "=A.dll\aE\a\ax\016y\r\n";
  EXPECT_EQ(ReadFile(CacheFile()), stored);
  fakehost::Reset();  // a later entry-point call finds the answer in the file
  frame::LoadFunctionCache();
  EXPECT_EQ(Lookup(12), "A.dll|E||x");
  EXPECT_EQ(LookupCalls(), 0);
  frame::SaveFunctionCache();
  EXPECT_EQ(ReadFile(CacheFile()), stored);
}

TEST_F(ShellFuncTest, DamagedCacheFilesAreIgnored) {
  std::string damaged = "no equals sign here\r\n=no name\r\n";
  damaged += std::string("Sh_GetFunctionName  1,0=zero\0byte\r\n", 35);
  damaged += "Sh_GetFunctionName  2,0=" + std::string(10000, 'x') + "\r\n";
  damaged += kLookup12 + "=Good.dll\aE\r\n";
  WriteFile(CacheFile(), damaged);
  frame::LoadFunctionCache();
  EXPECT_EQ(Lookup(12), "Good.dll|E||");
  EXPECT_EQ(LookupCalls(), 0);
  fakehost::On("Sh_GetFunctionName  2,0", Answer::Ok("Two.dll\aE"));
  EXPECT_EQ(Lookup(2), "Two.dll|E||");
  EXPECT_EQ(LookupCalls(), 1);
  frame::SaveFunctionCache();
  // A file too large to be a cache is none.
  WriteFile(CacheFile(), kLookup12 + "=Big.dll\aE\r\n" + std::string(5 << 20, 'z'));
  frame::LoadFunctionCache();
  Lookup(12);
  EXPECT_EQ(LookupCalls(), 2);
}

// The entry gets the caller's key unless the lookup names its own, and the caller's extra
// unless empty; without a module or entry nothing is called.
TEST_F(ShellFuncTest, CallsTheServingEntryOrFailsLeavingTheResultClear) {
  const std::string log = UseModuleLog();
  const struct {
    const char* answer;
    const char* key;
    const char* extra;
    bool cached;
    const char* error;
    const char* logged;
  } cases[] = {
      {"TestModule.dll\aTm_EditRecord\aID\aFX", "K1", "", false, "", "K1\n12\nFX\n"},
      {"TestModule.dll\aTm_EditRecord\a \aFX", "K2", "CX", false, "", "K2\n12\nCX\n"},
      {"TestModule.dll\aTm_EditRecord\a3\a", "K3", "", false, "", "3\n12\n\n"},
      {" \aTm_EditRecord", "K", "", false, "", ""},
      {"TestModule.dll\a  ", "K", "", false, "", ""},
      {"NoSuchModule.dll\aTm_EditRecord", "K", "", true, "LoadLibrary NoSuchModule.dll Fail", ""},
      {"TestModule.dll\aTm_Missing", "K", "", true, "GetProcAddress Tm_Missing Fail", ""},
      {"TestModule.dll\aTm_Raise", "K", "", true, "", ""},  // reported, the call goes on
  };
  for (const auto& c : cases) {
    fs::remove(log);
    if (c.cached) {
      frame::SaveFunctionCache();
      fs::remove(CacheFile());
      frame::LoadFunctionCache();
    }
    TShellResult result{77, "stale"};
    EXPECT_EQ(Call12(c.answer, result, c.key, c.extra), c.error) << c.answer;
    const bool called = *c.logged != 0;
    EXPECT_EQ(tavro_test::Outcome(result), called ? "1 OK" : "0 ") << c.answer;
    EXPECT_EQ(ReadFile(log), c.logged) << c.answer;
    EXPECT_EQ(frame::FunctionCacheLoaded(), c.cached) << c.answer;  // a call loads none
  }
  EXPECT_EQ(MessageLines(), Lines{Box("Error in function Tm_Raise")});
}

class EntryFrameTest : public FrameTest {
 protected:
  static constexpr HWND_T kBefore = 0x1234;
  void SetUp() override {
    FrameTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
  }
  static bool AllZero(const TShellResult& r) {
    static const TShellResult zero{};
    return std::memcmp(&r, &zero, sizeof r) == 0;
  }
  // A dialog entry point's steps: a lookup (so the cache has something to save), a form
  // closed with modalResult, and what a save would report.
  frame::DialogOutcome ShowForm(int modalResult) {
    fakehost::On("Sh_GetFunctionName  7,0", Answer::Ok("A.dll\aE"));
    frame::LookupFunction(kWnd, 7, 0);
    ownerDuringCall = Platform().OwnerWindow();
    Platform().SetOperator([modalResult](ui::TForm& f) { f.SetModalResult(modalResult); });
    ui::TForm form(nullptr, "TestFrm");
    TShellResult dialogResult{3, {}};
    std::memset(dialogResult.Text, 'k', sizeof dialogResult.Text);  // no zero byte
    return frame::OutcomeOf(form.ShowModal(), dialogResult);
  }
  void Run(const frame::DialogEntrySpec& shape, TShellResult* result, int modalResult) {
    frame::RunDialogEntry(shape, result, kWnd, "0012", "000001", 7, "K", "",
                          [&](frame::DialogEntryCall& call) {
                            EXPECT_EQ(call.Args().Key, "K");
                            EXPECT_EQ(frame::FunctionCacheLoaded(), shape.UseFunctionCache);
                            return ShowForm(modalResult);
                          });
  }
  HWND_T ownerDuringCall = 0;
};

TEST_F(EntryFrameTest, ParametersAreReadWithinTheirBytes) {
  const char corp[] = {'0', '0', '1', '2', 'X', 'Y'};  // no zero in the first 4 bytes
  const char user[] = {'0', '0', '0', '0', '0', '1', '9'};
  const std::string gbkKey = std::string(49, 'k') + Gbk("中") + "zz";  // a character at 49-50
  const frame::EntryArgs args =
      frame::ReadEntryArgs({}, kWnd, corp, user, 42, gbkKey.c_str(), nullptr);
  EXPECT_EQ(std::tie(args.CorpNo, args.UserNo, args.FunctionId, args.Key, args.Extra),
            std::make_tuple("0012", "000001", 42, std::string(49, 'k'), ""));
  frame::DialogEntrySpec shortKey;
  shortKey.KeyLen = 24;
  const std::string longKey(40, 'c');
  EXPECT_EQ(frame::ReadEntryArgs(shortKey, 0, nullptr, nullptr, 0, longKey.c_str(), "e").Key,
            std::string(24, 'c'));
  // The lead byte of a cut character is dropped.
  EXPECT_EQ(frame::ReadTextParam("abc\xD6\xD0", 4), "abc");
  EXPECT_EQ(frame::ReadTextParam("ab\xD6\xD0", 4), "ab\xD6\xD0");
}

TEST_F(EntryFrameTest, OkCopiesTheResultCancelClearsItAndEverythingIsGivenBack) {
  TShellResult result{99, "old"};
  frame::RunDialogEntry({}, &result, kWnd, "0012", "000001", 7, "K", "",
                        [&](frame::DialogEntryCall&) {
                          EXPECT_TRUE(AllZero(result)) << "cleared before the dialog";
                          return ShowForm(ui::mrOk);
                        });
  EXPECT_EQ(ownerDuringCall, kWnd);
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  EXPECT_EQ(result.Code, 3);
  EXPECT_EQ(std::string(result.Text), std::string(50, 'k'));  // bounded and terminated
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  EXPECT_EQ(ReadFile(CacheFile()), "Sh_GetFunctionName  7,0=A.dll\aE\r\n");
  Run({}, &result, ui::mrCancel);
  EXPECT_TRUE(AllZero(result));
  Run({}, nullptr, ui::mrOk);  // a null result is never written
  // An entry without the cache neither loads nor writes the file.
  fs::remove(CacheFile());
  frame::DialogEntrySpec noCache;
  noCache.UseFunctionCache = false;
  Run(noCache, &result, ui::mrOk);
  EXPECT_FALSE(fs::exists(CacheFile()));
  EXPECT_EQ(result.Code, 3);
}

TEST_F(EntryFrameTest, AnErrorInsideKeepsTheFrameSound) {
  TShellResult result{99, "old"};
  EXPECT_THROW(frame::RunDialogEntry({}, &result, kWnd, "0012", "000001", 7, "K", "",
                                     [&](frame::DialogEntryCall&) -> frame::DialogOutcome {
                                       ShowForm(ui::mrOk);
                                       throw std::runtime_error("dialog failed");
                                     }),
               std::runtime_error);
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  EXPECT_TRUE(fs::exists(CacheFile()));
  EXPECT_TRUE(AllZero(result));
}

class ReviewEntryTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    cwd_ = std::make_unique<ScopedCwd>(TempDir());
    WriteFile(TempDir() + "Tavro2007.ini", "[Settings]\r\nLangId=EN\r\n");
    log_ = UseModuleLog();
  }
  void TearDown() override {
    cwd_.reset();
    FrameTest::TearDown();
  }
  std::string log_;

 private:
  std::unique_ptr<ScopedCwd> cwd_;
};

TEST_F(ReviewEntryTest, BadParametersAreReadSafelyAndAFailedListKeepsItsLayout) {
  const char corp[] = {'0', '0', '1', '2', '3', '4'};  // unterminated
  TFolderList list;
  Mn_GetCheckList(&list, kWnd, corp, nullptr, 0, nullptr);
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetCheckList 'EN','0012',''");
  fs::remove(list.FileName);
  fakehost::SetFallback(Answer::Fail(5, "timeout"));
  Mn_GetSendList(&list, kWnd, "0012", "000001", 0, nullptr);
  EXPECT_STREQ(list.FileName, "");
  EXPECT_NE(std::strlen(list.ColumnLayout), 0u);
}

// Every kind of entry point tells the platform the language of its call: a box speaks it.
TEST_F(ReviewEntryTest, EveryEntryPointSpeaksTheModulesLanguage) {
  fakehost::SetFallback(Answer::Ok(""));
  for (const auto& [langId, locale] : {std::pair{"CN", "zh_CN"}, std::pair{"JP", "ja"}}) {
    WriteFile(TempDir() + "Tavro2007.ini", std::string("[Settings]\r\nLangId=") + langId);
    TFolderList list;
    TShellResult result{};
    const std::function<void()> entries[] = {
        [&] { Mn_GetRejectedList(&list, kWnd, "0012", "000001", 0, nullptr); },
        [&] { Mn_CheckRecord(&result, kWnd, "0012", "000001", 0, "A0001", nullptr); },
        [&] {
          frame::RunDialogEntry(
              {}, &result, kWnd, "0012", "000001", 0, "", "",
              [](frame::DialogEntryCall&) -> frame::DialogOutcome { return std::nullopt; });
        }};
    for (const auto& entry : entries) {
      Platform().SetLanguage("");
      entry();
      EXPECT_EQ(Platform().Language(), locale) << langId;
    }
    fs::remove(list.FileName);
  }
}

TEST_F(ReviewEntryTest, CheckRecordCallsTheRegisteredEntryWithTheKeyPart) {
  const std::tuple<const char*, const char*, const char*, int> keys[] = {
      {"12 payment:A0001", "12 payment", "A0001", 12},
      {"12 pay:A:B", "12 pay", "A:B", 12},
      {"x9 y:K", "x9 y", "K", 0},
      {"12:K", "12", "K", 0},  // no blank, no function
  };
  for (const auto& [key, prefix, recordKey, functionId] : keys) {
    const customer::TCheckKey parts = customer::SplitCheckKey(key);
    EXPECT_EQ(std::tie(parts.Prefix, parts.RecordKey, parts.FunctionId),
              std::make_tuple(prefix, recordKey, functionId))
        << key;
  }
  fakehost::On("Sh_GetFunctionName  12,0", Answer::Ok("TestModule.dll\aTm_EditRecord\aP\aX"));
  TShellResult result{5, "stale"};
  Mn_CheckRecord(&result, kWnd, "0012", "000001", 99, "12 payment:A0001", "extra");
  EXPECT_EQ(tavro_test::Outcome(result), "1 12 payment:OK");
  // The key part, the function id from the key, the extra received: not the function's.
  EXPECT_EQ(ReadFile(log_), "A0001\n12\nextra\n");
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  EXPECT_FALSE(fs::exists(CacheFile()));
  // The prefixed text is bounded to the record's 50 bytes.
  const std::string longKey = "12 " + std::string(46, 'p') + ":K";
  Mn_CheckRecord(&result, kWnd, "0012", "000001", 0, longKey.c_str(), nullptr);
  EXPECT_EQ(std::string(result.Text), "12 " + std::string(46, 'p') + ":");
  // A key without a function looks up function 0, which names no module here.
  Mn_CheckRecord(&result, kWnd, "0012", "000001", 0, "A0001", nullptr);
  EXPECT_EQ(fakehost::LastCall().command, "Sh_GetFunctionName  0,0");
  EXPECT_EQ(tavro_test::Outcome(result), "0 ");
}

}  // namespace
