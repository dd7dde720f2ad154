// Shell lookups, the function cache and its file, the dynamic calls into the test
// module, and the entry-point frame with the review lists and the record check; record
// reads, folder lists and the list views they fill, and the localisation of dialogs.
// Record updates are checked through the account dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "customer/Mn_CheckFunc.h"
#include "frame/FolderList.h"
#include "frame/ListViewFill.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "frame/RecordCmd.h"
#include "frame/ShellFunc.h"
#include "sys/Files.h"
#include "sys/ProcessPaths.h"
#include "tests/frame/FrameTest.h"
#include "tests/support/DialogTest.h"
#include "ui/Controls.h"
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
  // A folder where the file should be: lookups go to the host, the save fails quietly.
  fs::remove(CacheFile());
  fs::create_directory(CacheFile());
  frame::LoadFunctionCache();
  Lookup(2);
  EXPECT_EQ(LookupCalls(), 2);
  frame::SaveFunctionCache();
  fs::remove(CacheFile());
  // A file too large to be a cache is none.
  WriteFile(CacheFile(), kLookup12 + "=Big.dll\aE\r\n" + std::string(5 << 20, 'z'));
  frame::LoadFunctionCache();
  Lookup(12);
  EXPECT_EQ(LookupCalls(), 3);
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
  // The cache, still loaded, was handed to its file before the foreign call.
  EXPECT_NE(ReadFile(CacheFile()).find(kLookup12 + "=TestModule.dll"), std::string::npos);
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
  EXPECT_EQ(frame::ReadTextParam(nullptr, 4), "");
  EXPECT_EQ(frame::ReadTextParam("ab\xD6\xD0", 4), "ab\xD6\xD0");
}

TEST_F(EntryFrameTest, OkCopiesTheResultCancelClearsItAndEverythingIsGivenBack) {
  TShellResult result{99, "old"};
  Run({}, &result, ui::mrOk);
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

TEST_F(ReviewEntryTest, ParametersAreReadWithinTheirBytesAndAFailedListKeepsItsLayout) {
  const char corp[] = {'0', '0', '1', '2', '3', '4'};  // unterminated
  TFolderList list;
  Mn_GetCheckList(&list, kWnd, corp, nullptr, 0, nullptr);
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetCheckList 'EN','0012',''");
  fs::remove(list.FileName);
  const std::size_t before = fakehost::Calls().size();
  Mn_GetCheckList(nullptr, kWnd, "0012", "000001", 0, nullptr);
  EXPECT_EQ(fakehost::Calls().size(), before);  // nothing to hand a file to
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
      {"A0001", "", "A0001", 0},
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
  // A null result: the entry still gets a record of its own.
  fs::remove(log_);
  Mn_CheckRecord(nullptr, kWnd, nullptr, nullptr, 0, "12 p:K", nullptr);
  EXPECT_EQ(ReadFile(log_), "K\n12\n\n");
  // A key without a function looks up function 0, which names no module here.
  Mn_CheckRecord(&result, kWnd, "0012", "000001", 0, "A0001", nullptr);
  EXPECT_EQ(fakehost::LastCall().command, "Sh_GetFunctionName  0,0");
  EXPECT_EQ(tavro_test::Outcome(result), "0 ");
}

class RecordCmdTest : public FrameTest {};

TEST_F(RecordCmdTest, ReadsFillFieldsCutDecodedAndRepeatTheLastField) {
  fakehost::On("MN_GetPropOfCustomer '0012','C''1'",
               Answer::Ok("C1\a0012\aName\aL1\016L2\016L3\aRem\aa@b\016c@d"));
  const frame::TCustomerRec c = frame::GetCustomerRec(kWnd, "0012", "C'1");
  EXPECT_EQ(fakehost::LastCall().capacity, 1023);
  // Fewer fields than the record has: the last one fills the rest, cut to its field.
  EXPECT_EQ(Lines({c.CustId, c.NameAddress, c.EMail, c.Operator, std::to_string(c.Status)}),
            (Lines{"C1", "L1\r\nL2\r\nL3", "a@b\r\nc@d", "a@b\016c@", "0"}));
  // A user name of 16 bytes ending inside a double-byte character loses that character;
  // a status that is no number matches no status.
  fakehost::On("MN_GetPropOfUser '000001'",
               Answer::Ok("000001\a0012\aA\a" + std::string(15, 'n') + Gbk("中") + "\aCorp\a2x"));
  const frame::TUserRec u = frame::GetUserRec(kWnd, "000001");
  EXPECT_EQ(u.UserName, std::string(15, 'n'));
  EXPECT_EQ(u.Status, frame::kUnknownUserStatus);
  fakehost::On("MN_GetPropOfCustAc 17",
               Answer::Ok("17\aC1\a0012\aUSD\aAC\au\aB\ax9\aS\aBA\aN\016A\a000001\a1"));
  const frame::TCustAcRec a = frame::GetCustAcRec(kWnd, 17);
  EXPECT_EQ(std::make_tuple(a.AcId, a.IntBankId, a.BankNameAddress, a.Status),
            std::make_tuple(17, 0, "N\r\nA", 1));  // a bank id "x9" is no number
  fakehost::On("MN_GetPropOfAccount '0012','62'", Answer::Ok("62\a0012\aC\aUSD\at\aN\as"));
  const frame::TAccountRec acc = frame::GetAccountRec(kWnd, "0012", "62");
  EXPECT_EQ(std::make_pair(acc.AcType, acc.Status), std::make_pair(0, 0));
  // A failed read leaves the record empty: status 0, not unknown.
  fakehost::SetFallback(Answer::Fail(2, "gone"));
  EXPECT_EQ(frame::GetUserRec(kWnd, "u").Status, 0);
  EXPECT_EQ(frame::GetCustCNYAcRec(kWnd, "0012", "P1").PayeeId, "");
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetPropOfCustCNYAc '0012','P1'");
}

TEST_F(RecordCmdTest, FolderListsSendTheirCommandIntoANewFileOrLeaveNone) {
  fakehost::SetFallback(Answer::Ok("B1\au\r\n"));
  const TFolderList audit = frame::GetAuditFolder(kWnd, "XX", 301, "0012", "000001", "B0001");
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetAuditFolder 301,'0012','000001','B0001'");
  EXPECT_STREQ(audit.FileName, fakehost::LastCall().fileName.c_str());
  // No section "XX" in the shipped language file: the default five columns.
  EXPECT_EQ(
      std::string(audit.ColumnLayout),
      Gbk("业务编号\a15\r\n操作用户\a15\r\n操作时间\a15\r\n操作类型\a15\r\n操作结果\a15\r\n"));
  frame::GetCustAcFolder(kWnd, "EN", "0012", "000001", std::string(30, 'c'));
  EXPECT_EQ(fakehost::LastCall().command,
            "MN_GetCustAcFolder 'EN','0012','000001','" + std::string(24, 'c') + "'");
  frame::GetAuthoriseFolder(kWnd, "EN", 7, "0012", "000001", "B1");
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetAuthoriseFolder 7,'0012','000001','B1'");
  // A failed command that still wrote part of its file: no name, no file, the layout.
  fakehost::OnAny([](const fakehost::Call& call) {
    WriteFile(call.fileName, "half");
    return Answer::Fail(4, "no rows");
  });
  const TFolderList failed = frame::GetSignFolder(kWnd, "EN", 1, "0012", "000001", "B1");
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetSignFolder 1,'0012','000001','B1'");
  EXPECT_STREQ(failed.FileName, "");
  EXPECT_FALSE(fs::exists(fakehost::LastCall().fileName));
  EXPECT_NE(std::string(failed.ColumnLayout), "");
}

TEST_F(RecordCmdTest, ListViewsTakeColumnsAndRowsAndNeverKeepTheFile) {
  ui::TListView view{nullptr, "FolderLsv"};
  view.AddColumn({"Kept", 30, ui::taCenter});
  frame::SetupListViewColumns(view,
                              Gbk("金额") + "^20\r\nTitle\r\nWide\a1001\r\nAMOUNTS due\a1000");
  const std::tuple<std::string, int, ui::TAlignment> expected[] = {
      {"Kept", 30, ui::taCenter},
      {Gbk("金额"), 200, ui::taRightJustify},
      {"Title", 100, ui::taLeftJustify},
      {"Wide", 100, ui::taLeftJustify},
      {"AMOUNTS due", 10000, ui::taRightJustify}};
  ASSERT_EQ(view.Columns().size(), std::size(expected));
  for (std::size_t i = 0; i < view.Columns().size(); ++i) {
    const auto& column = view.Columns()[i];
    EXPECT_EQ(std::tie(column.Caption, column.Width, column.Alignment), expected[i]) << i;
  }
  const std::string file = TempDir() + "rows";
  WriteFile(file, "a\ab\ac\r\n\r\nd\a\r\n e \a f ");
  frame::LoadListViewRows(view, file);
  Lines rows;  // caption and subitems at '|', untrimmed
  for (const auto& item : view.Items()) {
    rows.push_back(item.Caption);
    for (const std::string& sub : item.SubItems) {
      rows.back() += "|" + sub;
    }
  }
  EXPECT_EQ(rows, (Lines{"a|b|c", "", "d|", " e | f "}));
  EXPECT_FALSE(fs::exists(file));
  // A folder without a file shows its columns and no rows.
  ui::TListView folder{nullptr, "FolderLsv"};
  TFolderList list{};
  std::snprintf(list.ColumnLayout, sizeof list.ColumnLayout, "A\a10\r\n");
  frame::FillFolderListView(folder, list);
  EXPECT_EQ(folder.Columns().size(), 1u);
  EXPECT_TRUE(folder.Items().empty());
  // Rows without a layout are not shown, and their file is not left behind.
  WriteFile(file, "x\r\n");
  TFolderList noLayout{};
  std::snprintf(noLayout.FileName, sizeof noLayout.FileName, "%s", file.c_str());
  frame::FillFolderListView(folder, noLayout);
  EXPECT_TRUE(folder.Items().empty());
  EXPECT_FALSE(fs::exists(file));
}

class LangTest : public FrameTest {
 protected:
  // A dialog of the kinds of control the walker looks at, and some it must not touch.
  class TTestFrm : public ui::TForm {
   public:
    TTestFrm() : TForm(nullptr, "TestFrm") {
      SetCaption("Designed");
      StatusCmb->SetItems({"designed"});
    }
    class TMyLabel : public ui::TLabel {
     public:
      using TLabel::TLabel;
      const char* ClassName() const override { return "TMyLabel"; }
    };
    template <class T>
    T* Make(const char* name, const char* caption) {
      T* c = ui::Create<T>(this, this, name);
      c->SetCaption(caption);
      return c;
    }
    ui::TLabel* CustIdLbl = Make<ui::TLabel>("CustIdLbl", "Id");
    ui::TComboBox* StatusCmb = Make<ui::TComboBox>("StatusCmb", "");
    ui::TButton* SaveBtn = Make<ui::TButton>("SaveBtn", "Save");
    ui::TBitBtn* DelBtn = Make<ui::TBitBtn>("DelBtn", "Del");
    ui::TTabSheet* MainTab = Make<ui::TTabSheet>("MainTab", "Main");
    ui::TLabel* TipLbl = Make<ui::TLabel>("TipLbl", "Tip");
    ui::TButton* WrongKind = Make<ui::TButton>("NameLbl", "kept");
    ui::TPanel* Panel = Make<ui::TPanel>("InfoLbl", "kept");
    TMyLabel* Derived = Make<TMyLabel>("NoteLbl", "kept");
  };
  sys::IniFile LangFile(const std::string& text) {
    WriteFile(TempDir() + "TavroLang.ini", text);
    return sys::IniFile(TempDir() + "TavroLang.ini");
  }
};

TEST_F(LangTest, TheLanguageIdAndTheFileBesideTheProgram) {
  const sys::LocaleInfo en = sys::LocaleFromName("en_US.UTF-8");
  const sys::LocaleInfo cn = sys::LocaleFromName("zh_CN.UTF-8");
  const sys::LocaleInfo jp = sys::LocaleFromName("ja_JP.UTF-8");
  const std::tuple<const char*, sys::LocaleInfo, const char*> cases[] = {
      {"CN", en, "CN"}, {"JP", cn, "JP"}, {"EN", jp, "EN"},
      {"en", cn, "CN"}, {"", jp, "JP"},   {"FR", en, "EN"}};
  for (const auto& [value, locale, id] : cases) {
    EXPECT_EQ(frame::LangIdFrom(value, locale), id) << value;
  }
  ScopedCwd cwd(TempDir());
  SetEnv("LC_ALL", nullptr);
  SetEnv("LC_MESSAGES", nullptr);
  SetEnv("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(frame::GetLangId(), "JP");  // no settings file
  WriteFile(TempDir() + "Tavro2007.ini", "[Settings]\r\nLangId=EN\r\n");
  EXPECT_EQ(frame::GetLangId(), "EN");
  const std::string expected = sys::FolderOf(sys::ExecutablePath()) + "/TavroLang.ini";
  EXPECT_EQ(frame::GetLangFilePath(), expected);
  EXPECT_EQ(frame::GetLangText("CN", "Btn_Common_Cancel_Name", "x"), Gbk("放弃"));
  EXPECT_EQ(frame::GetLangText("CN", "No_Such_Key", "fallback"), "fallback");
  // Without a language file a text is empty, not the default.
  const sys::IniFile missing(TempDir() + "TavroLang.ini");
  EXPECT_EQ(frame::GetLangTextOpen(missing, "CN", "Any_Key", "default"), "");
}

TEST_F(LangTest, OwnKeysFirstThenCommonOnesAndOnlyMatchingClasses) {
  const sys::IniFile file = LangFile(
      "[EN]\r\nFrm_UsageEdt_Name=Usage\r\n"
      "Lbl_Usage_CustId_Text=Payee Id\r\nLbl_Common_CustId_Text=not used\r\n"
      "Mnu_Common_Status_List=0:Deleted,\"1:In use\"\r\n"
      "Btn_Usage_Save_Name=Store\r\nBtn_Common_Del_Name=Remove\r\n"
      "Tab_Usage_Main_Text=General\r\n"
      "Lbl_Usage_Tip_Text=\r\nLbl_Common_Tip_Text=Hint\r\n"
      "Lbl_Usage_Name_Text=wrong kind\r\n"
      "Lbl_Usage_Info_Text=wrong kind\r\nLbl_Usage_Note_Text=derived\r\n");
  TTestFrm form;
  frame::ApplyFormLanguage(form, "Usage", file, "EN");
  EXPECT_EQ(form.StatusCmb->Items(), (ui::TStrings{"0:Deleted", "1:In use"}));
  // An empty own value falls to Common; a name of another kind of control is kept.
  EXPECT_EQ(
      Lines({form.Caption(), form.CustIdLbl->Caption(), form.SaveBtn->Caption(),
             form.DelBtn->Caption(), form.MainTab->Caption(), form.TipLbl->Caption(),
             form.WrongKind->Caption(), form.Panel->Caption(), form.Derived->Caption()}),
      (Lines{"Usage", "Payee Id", "Store", "Remove", "General", "Hint", "kept", "kept", "kept"}));
  // A missing section blanks the caption and keeps the controls; no file touches nothing.
  TTestFrm other;
  frame::ApplyFormLanguage(other, "Usage", LangFile("[CN]\r\nFrm_UsageEdt_Name=x\r\n"), "EN");
  EXPECT_EQ(Lines({other.Caption(), other.CustIdLbl->Caption()}), (Lines{"", "Id"}));
  TTestFrm untouched;
  frame::ApplyFormLanguage(untouched, "Usage", sys::IniFile(TempDir() + "none.ini"), "EN");
  EXPECT_EQ(untouched.Caption(), "Designed");
  // Chinese and Japanese keep the designed font (English takes SimSun: the admin dialogs).
  const ui::TFont designed = form.Font();
  frame::ApplyFontRule(form, "CN");
  frame::ApplyFontRule(form, "JP");
  EXPECT_EQ(form.Font(), designed);
}

}  // namespace
