// Record reads, folder lists and the list views they fill, and the localisation of
// dialogs from the language file. Record updates are checked through the account dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "frame/FolderList.h"
#include "frame/ListViewFill.h"
#include "frame/Localisation.h"
#include "frame/RecordCmd.h"
#include "sys/Files.h"
#include "sys/ProcessPaths.h"
#include "tests/frame/FrameTest.h"
#include "ui/Controls.h"

namespace {

using namespace frame_test;
namespace fs = std::filesystem;

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
  // A failed read leaves the record empty: status 0, not unknown.
  fakehost::SetFallback(Answer::Fail(2, "gone"));
  EXPECT_EQ(frame::GetUserRec(kWnd, "u").Status, 0);
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
  // Rows without a layout are not shown, and their file is not left behind.
  WriteFile(file, "x\r\n");
  ui::TListView folder{nullptr, "FolderLsv"};
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
