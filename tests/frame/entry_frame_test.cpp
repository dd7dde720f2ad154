// The frame of the dialog entry points: parameters read within their bounds, the owner
// window and the function cache given back on every path, the result cleared and
// copied only on OK.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "frame/ManageEdit.h"
#include "tests/support/ModuleTest.h"
#include "ui/Forms.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;

constexpr HWND_T kShell = 0x5150;
constexpr HWND_T kBefore = 0x1234;

class EntryFrameTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
  }
  void TearDown() override {
    frame::SaveFunctionCache();
    ModuleTest::TearDown();
  }
  std::string CacheFile() const { return TempDir() + frame::kFunctionCacheFile; }
  static bool AllZero(const TShellResult& r) {
    static const TShellResult zero{};
    return std::memcmp(&r, &zero, sizeof r) == 0;
  }

  // The steps of a dialog entry point: look a function up (so the cache has something
  // to save), show a form, close it with modalResult, report what a save would.
  frame::DialogOutcome ShowForm(int modalResult) {
    fakehost::On("Sh_GetFunctionName  7,0", Answer::Ok("A.dll\aE"));
    frame::LookupFunction(kShell, 7, 0);
    ownerDuringCall = Platform().OwnerWindow();
    Platform().SetOperator([modalResult](ui::TForm& f) { f.ModalResult = modalResult; });
    ui::TForm form(nullptr, "TestFrm");
    TShellResult dialogResult{3, {}};
    std::memset(dialogResult.Text, 'k', sizeof dialogResult.Text);  // no zero byte
    return frame::OutcomeOf(form.ShowModal(), dialogResult);
  }

  HWND_T ownerDuringCall = 0;
};

TEST_F(EntryFrameTest, ParametersAreReadWithinTheirBytes) {
  const char corp[] = {'0', '0', '1', '2', 'X', 'Y'};  // no zero in the first 4 bytes
  const char user[] = {'0', '0', '0', '0', '0', '1', '9'};
  const std::string gbkKey = std::string(49, 'k') + Gbk("中") + "zz";  // a character at 49-50
  const frame::EntryArgs args =
      frame::ReadEntryArgs({}, kShell, corp, user, 42, gbkKey.c_str(), nullptr);
  EXPECT_EQ(args.CorpNo, "0012");
  EXPECT_EQ(args.UserNo, "000001");
  EXPECT_EQ(args.FunctionId, 42);
  EXPECT_EQ(args.Key, std::string(49, 'k'));
  EXPECT_EQ(args.Extra, "");

  frame::DialogEntrySpec shortKey;
  shortKey.KeyLen = 24;
  EXPECT_EQ(
      frame::ReadEntryArgs(shortKey, 0, nullptr, nullptr, 0, std::string(40, 'c').c_str(), "e").Key,
      std::string(24, 'c'));

  struct Case {
    const char* text;
    std::size_t max;
    std::string expected;
  } cases[] = {
      {nullptr, 6, ""},
      {"", 6, ""},
      {"abc", 6, "abc"},
      {"abcdefgh", 6, "abcdef"},
      {"abc\xD6\xD0", 4, "abc"},  // the lead byte of a cut character is dropped
      {"ab\xD6\xD0", 4, "ab\xD6\xD0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(frame::ReadTextParam(c.text, c.max), c.expected) << (c.text ? c.text : "null");
  }
}

TEST_F(EntryFrameTest, OkCopiesTheDialogsResultAndEverythingIsGivenBack) {
  TShellResult result{99, "old"};
  frame::RunDialogEntry({}, &result, kShell, "0012", "000001", 7, "K", "",
                        [&](frame::DialogEntryCall& call) {
                          EXPECT_TRUE(AllZero(result)) << "cleared before the dialog";
                          EXPECT_EQ(call.Args().Key, "K");
                          return ShowForm(ui::mrOk);
                        });
  EXPECT_EQ(ownerDuringCall, kShell);
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  EXPECT_EQ(result.Code, 3);
  EXPECT_EQ(std::string(result.Text), std::string(50, 'k'));  // bounded and terminated
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  EXPECT_EQ(tavro_test::ReadFile(CacheFile()), "Sh_GetFunctionName  7,0=A.dll\aE\r\n");
}

TEST_F(EntryFrameTest, AnErrorInsideStillSavesTheCacheAndRestoresTheOwner) {
  TShellResult result{99, "old"};
  EXPECT_THROW(frame::RunDialogEntry({}, &result, kShell, "0012", "000001", 7, "K", "",
                                     [&](frame::DialogEntryCall&) -> frame::DialogOutcome {
                                       ShowForm(ui::mrOk);
                                       throw std::runtime_error("dialog failed");
                                     }),
               std::runtime_error);
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  EXPECT_FALSE(frame::FunctionCacheLoaded());
  EXPECT_TRUE(std::filesystem::exists(CacheFile()));
  EXPECT_TRUE(AllZero(result));
}

TEST_F(EntryFrameTest, EntryPointsMayClearLateOrWorkWithoutTheCache) {
  // A key check that refuses before clearing leaves the caller's record untouched.
  TShellResult result{99, "old"};
  frame::DialogEntrySpec late;
  late.ClearResultFirst = false;
  frame::RunDialogEntry(late, &result, kShell, "0012", "000001", 7, "", "",
                        [](frame::DialogEntryCall& call) -> frame::DialogOutcome {
                          if (call.Args().Key.empty()) {
                            return std::nullopt;
                          }
                          call.ClearResult();
                          return std::nullopt;
                        });
  EXPECT_EQ(result.Code, 99);
  EXPECT_STREQ(result.Text, "old");

  std::filesystem::remove(CacheFile());
  frame::DialogEntrySpec noCache;
  noCache.UseFunctionCache = false;
  frame::RunDialogEntry(noCache, &result, kShell, "0012", "000001", 7, "K", "",
                        [&](frame::DialogEntryCall&) {
                          EXPECT_FALSE(frame::FunctionCacheLoaded());
                          return ShowForm(ui::mrOk);
                        });
  EXPECT_FALSE(std::filesystem::exists(CacheFile()));
  EXPECT_EQ(result.Code, 3);
}

TEST_F(EntryFrameTest, CancelLeavesTheResultAllZeroAndANullResultIsNeverWritten) {
  TShellResult result{99, "old"};
  frame::RunDialogEntry({}, &result, kShell, "0012", "000001", 7, "K", "",
                        [&](frame::DialogEntryCall&) { return ShowForm(ui::mrCancel); });
  EXPECT_TRUE(AllZero(result));
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);

  bool ran = false;
  frame::RunDialogEntry({}, nullptr, kShell, nullptr, nullptr, 7, nullptr, nullptr,
                        [&](frame::DialogEntryCall& call) {
                          ran = true;
                          EXPECT_EQ(call.Args().CorpNo, "");
                          call.ClearResult();
                          return ShowForm(ui::mrOk);
                        });
  EXPECT_TRUE(ran);
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);
}

}  // namespace
