// The language id, the language file beside the program, text lookups, the walker and
// the font rule.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "frame/Localisation.h"
#include "sys/Files.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"
#include "ui/Controls.h"

namespace {

using tavro_test::Gbk;
using tavro_test::ScopedEnv;
using tavro_test::WriteFile;

// Runs a scope in another working folder.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& folder) : old_(sys::CurrentFolder()) {
    EXPECT_EQ(::chdir(folder.c_str()), 0);
  }
  ~ScopedCwd() { EXPECT_EQ(::chdir(old_.c_str()), 0); }
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  std::string old_;
};

class LangTest : public tavro_test::ModuleTest {};

TEST_F(LangTest, SettingsValueMustBeExactElseTheLocaleDecides) {
  const sys::LocaleInfo english = sys::LocaleFromName("en_US.UTF-8");
  const sys::LocaleInfo simplified = sys::LocaleFromName("zh_CN.UTF-8");
  const sys::LocaleInfo traditional = sys::LocaleFromName("zh_TW.UTF-8");
  const sys::LocaleInfo japanese = sys::LocaleFromName("ja_JP.UTF-8");
  struct Case {
    const char* value;
    const sys::LocaleInfo& locale;
    const char* id;
  } cases[] = {
      {"CN", english, "CN"},   {"JP", simplified, "JP"}, {"EN", japanese, "EN"},
      {"en", english, "EN"},   {"en", simplified, "CN"}, {"cn", japanese, "JP"},
      {"", traditional, "CN"}, {"", japanese, "JP"},     {"FR", english, "EN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(frame::LangIdFrom(c.value, c.locale), c.id) << c.value;
  }
}

TEST_F(LangTest, LangIdIsReadFromTheSettingsFileInTheCurrentFolder) {
  ScopedCwd cwd(TempDir());
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv messages("LC_MESSAGES", nullptr);
  ScopedEnv lang("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(frame::GetLangId(), "JP");  // no settings file
  WriteFile(TempDir() + "Tavro2007.ini", "[Settings]\r\nLangId=EN\r\n");
  EXPECT_EQ(frame::GetLangId(), "EN");
  WriteFile(TempDir() + "Tavro2007.ini", "[settings]\nlangid=en\n");
  EXPECT_EQ(frame::GetLangId(), "JP");
}

TEST_F(LangTest, TheLanguageFileIsBesideTheProgram) {
  const std::string expected = sys::FolderOf(sys::ExecutablePath()) + "/TavroLang.ini";
  ASSERT_TRUE(sys::FileExists(expected)) << "the build writes it beside the programs";
  EXPECT_EQ(frame::GetLangFilePath(), expected);
  // The shipped file, in GBK.
  EXPECT_EQ(frame::GetLangText("CN", "Btn_Common_Cancel_Name", "x"), Gbk("放弃"));
  EXPECT_EQ(frame::GetLangText("EN", "Lbl_Common_Status_Text", "x"), "Status");
  EXPECT_EQ(frame::GetLangText("JP", "Frm_StatusFolder_Name", "x"), Gbk("処理状況"));
  EXPECT_EQ(frame::GetLangText("CN", "No_Such_Key", "fallback"), "fallback");
  // Without a language file a text is empty, not the default.
  const sys::IniFile missing(TempDir() + "TavroLang.ini");
  EXPECT_EQ(frame::GetLangTextOpen(missing, "CN", "Any_Key", "default"), "");
}

class WalkerTest : public LangTest {
 protected:
  // A dialog of the kinds of control the walker looks at, and some it must not touch.
  class TTestFrm : public ui::TForm {
   public:
    TTestFrm() : TForm(nullptr, "TestFrm") {
      Caption = "Designed";
      StatusCmb->Items = {"designed"};
    }
    const char* ClassName() const override { return "TTestFrm"; }

    class TMyLabel : public ui::TLabel {
     public:
      using TLabel::TLabel;
      const char* ClassName() const override { return "TMyLabel"; }
    };

    template <class T>
    T* Make(const char* name, const char* caption) {
      T* c = ui::Create<T>(this, this, name);
      c->Caption = caption;
      return c;
    }

    // Created in this order, after the form itself.
    ui::TLabel* CustIdLbl = Make<ui::TLabel>("CustIdLbl", "Id");
    ui::TComboBox* StatusCmb = Make<ui::TComboBox>("StatusCmb", "");
    ui::TButton* SaveBtn = Make<ui::TButton>("SaveBtn", "Save");
    ui::TBitBtn* DelBtn = Make<ui::TBitBtn>("DelBtn", "Del");
    ui::TTabSheet* MainTab = Make<ui::TTabSheet>("MainTab", "Main");
    ui::TLabel* TipLbl = Make<ui::TLabel>("TipLbl", "Tip");
    ui::TButton* Ok = Make<ui::TButton>("OK", "OK");
    ui::TButton* WrongKind = Make<ui::TButton>("NameLbl", "kept");
    ui::TPanel* Panel = Make<ui::TPanel>("InfoLbl", "kept");
    TMyLabel* Derived = Make<TMyLabel>("NoteLbl", "kept");
  };

  sys::IniFile LangFile(const std::string& text) {
    const std::string path = TempDir() + "TavroLang.ini";
    WriteFile(path, text);
    return sys::IniFile(path);
  }
};

TEST_F(WalkerTest, OwnKeysFirstThenCommonOnesAndOnlyMatchingClasses) {
  const sys::IniFile file = LangFile(
      "[EN]\r\n"
      "broken line without equals\r\n"
      "=no key\r\n"
      "Lbl_Usage_Big_Text=" +
      std::string(5000, 'v') +
      "\r\n"
      "Frm_UsageEdt_Name=Usage\r\n"
      "Lbl_Usage_CustId_Text=Payee Id\r\n"
      "Lbl_Common_CustId_Text=not used\r\n"
      "Mnu_Common_Status_List=0:Deleted,\"1:In use\"\r\n"
      "Btn_Usage_Save_Name=Store\r\n"
      "Btn_Common_Del_Name=Remove\r\n"
      "Tab_Usage_Main_Text=General\r\n"
      "Lbl_Usage_Tip_Text=\r\n"
      "Lbl_Common_Tip_Text=Hint\r\n"
      "Btn_Usage__Name=nobody\r\n"
      "Lbl_Usage_Name_Text=wrong kind\r\n"
      "Lbl_Usage_Info_Text=wrong kind\r\n"
      "Lbl_Usage_Note_Text=derived\r\n"
      "[unterminated section\r\n"
      "Lbl_Usage_CustId_Text=after the broken section\r\n");
  TTestFrm form;
  frame::ApplyFormLanguage(form, "Usage", file, "EN");
  EXPECT_EQ(form.Caption, "Usage");
  EXPECT_EQ(form.CustIdLbl->Caption, "Payee Id");
  EXPECT_EQ(form.StatusCmb->Items, (ui::TStrings{"0:Deleted", "1:In use"}));
  EXPECT_EQ(form.SaveBtn->Caption, "Store");
  EXPECT_EQ(form.DelBtn->Caption, "Remove");
  EXPECT_EQ(form.MainTab->Caption, "General");
  EXPECT_EQ(form.TipLbl->Caption, "Hint");  // an empty own value falls to Common
  EXPECT_EQ(form.Ok->Caption, "OK");
  EXPECT_EQ(form.WrongKind->Caption, "kept");
  EXPECT_EQ(form.Panel->Caption, "kept");
  EXPECT_EQ(form.Derived->Caption, "kept");
}

TEST_F(WalkerTest, AMissingSectionBlanksTheCaptionAndKeepsTheControls) {
  const sys::IniFile file = LangFile("[CN]\r\nFrm_UsageEdt_Name=x\r\nLbl_Usage_CustId_Text=y\r\n");
  TTestFrm form;
  frame::ApplyFormLanguage(form, "Usage", file, "EN");
  EXPECT_EQ(form.Caption, "");
  EXPECT_EQ(form.CustIdLbl->Caption, "Id");
  EXPECT_EQ(form.StatusCmb->Items, ui::TStrings{"designed"});

  // No language file at all: nothing is touched, not even the caption.
  TTestFrm untouched;
  frame::ApplyFormLanguage(untouched, "Usage", sys::IniFile(TempDir() + "none.ini"), "EN");
  EXPECT_EQ(untouched.Caption, "Designed");
}

TEST_F(WalkerTest, EnglishTakesTheChineseSystemFontOthersKeepTheDesignedOne) {
  TTestFrm form;
  const ui::TFont designed = form.Font();
  frame::ApplyFontRule(form, "CN");
  frame::ApplyFontRule(form, "JP");
  EXPECT_EQ(form.Font(), designed);
  frame::ApplyFontRule(form, "EN");
  EXPECT_EQ(form.Font().Name, Gbk("宋体"));
  EXPECT_EQ(form.Font().Size, 10);
  EXPECT_EQ(form.Font().Charset, 134);
  // Controls that follow the form's font follow it.
  EXPECT_EQ(form.SaveBtn->Font().Name, Gbk("宋体"));
}

}  // namespace
