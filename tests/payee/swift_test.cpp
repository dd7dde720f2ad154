// The SWIFT-restricted edit and memo, the bank address panel and the SWIFT bank search
// driven by an operator against the recording fake host.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "payee/RuleEdit.h"
#include "payee/SwfSearchFrm.h"
#include "payee/swift/fixmemo.h"
#include "tests/support/DialogTest.h"

namespace {

using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;
using tavro_test::ScopedEnv;
using tavro_test::WhileShown;

constexpr const char* kDoubleByteLocale = "zh_CN.GBK";

// One restricted edit and one restricted memo whose listeners record every change.
class RestrictedTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    Edit = ui::Create<payee::TRuleEdit>(&Form, &Form, "RuleEdt");
    Memo = ui::Create<payee::TFixedMemo>(&Form, &Form, "FixMmo");
    for (ui::TCustomEdit* control : Controls()) {
      control->OnChange = [this](ui::TComponent* sender) {
        Heard.push_back(static_cast<ui::TCustomEdit*>(sender)->Text());
      };
    }
  }
  std::vector<ui::TCustomEdit*> Controls() { return {Edit, Memo}; }

  // Sets text from code while disarmed (Delete at the end disarms), caret at caret.
  void Prepare(ui::TCustomEdit& control, const std::string& text, int caret) {
    control.SetSelStart(static_cast<int>(control.Text().size()));
    ui::PressKey(control, ui::vk::Delete);
    control.SetText(text);
    control.SetSelStart(caret);
    Heard.clear();
  }
  // The text after typing typed into control holding before, caret at caret.
  std::string TypeInto(ui::TCustomEdit& control, const std::string& before, int caret,
                       const std::string& typed) {
    Prepare(control, before, caret);
    ui::TypeText(control, typed);
    return control.Text();
  }

  ui::TForm Form{nullptr, "TestFrm"};
  payee::TRuleEdit* Edit = nullptr;
  payee::TFixedMemo* Memo = nullptr;
  Lines Heard;
};

class RestrictedLocaleTest : public RestrictedTest,
                             public ::testing::WithParamInterface<const char*> {};

// Each character typed into "" and into "AB": a refusal keeps text and caret, and the
// listeners hear the restored text. Chinese passes where the code page is double-byte.
TEST_P(RestrictedLocaleTest, TypingFollowsTheSwiftSetsAndTheCodePage) {
  ScopedEnv locale("LC_ALL", GetParam());
  const bool dbcs = std::string(GetParam()) == kDoubleByteLocale;
  const std::string head = "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz0123456789.()/,+'";
  const std::string bank = Gbk("中国银行 A-1");
  for (ui::TCustomEdit* control : Controls()) {
    for (char c : head + "-:?&_@\"!#$%*;=<>[]{}|\\~`") {
      const std::string typed(1, c);
      const bool atHead = head.find(c) != std::string::npos;
      const bool inside = atHead || c == '-' || c == ':';
      SCOPED_TRACE(control->Name + " '" + typed + "'");
      EXPECT_EQ(TypeInto(*control, "", 0, typed), atHead ? typed : "");
      const std::string within = inside ? "A" + typed + "B" : "AB";
      EXPECT_EQ(TypeInto(*control, "AB", 1, typed), within);
      EXPECT_EQ(control->SelStart(), inside ? 2 : 1);
      EXPECT_EQ(Heard, Lines{within});
    }
    SCOPED_TRACE(control->Name);
    EXPECT_EQ(TypeInto(*control, "AB", 1, Gbk("中")), dbcs ? "A" + Gbk("中") + "B" : "AB");
    EXPECT_EQ(TypeInto(*control, "", 0, bank), dbcs ? bank : " A-1");
    EXPECT_EQ(TypeInto(*control, "", 0, "  -:XYZ"), "  XYZ");
    EXPECT_EQ(TypeInto(*control, "", 0, "     "), "     ");
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, RestrictedLocaleTest,
                         ::testing::Values(kDoubleByteLocale, "en_US.UTF-8"));

class RestrictedGuardTest : public RestrictedTest {
 protected:
  ScopedEnv locale_{"LC_ALL", kDoubleByteLocale};
};

// Backspace and Delete disarm unchecked, and what code sets next passes, as on a new
// control. Any other key arms: a refusal goes back to the last accepted text, caret at
// the selection's start, and disarms.
TEST_F(RestrictedGuardTest, ArmingAndRefusal) {
  WhileShown(Platform(), Form, [&] {
    for (ui::TCustomEdit* control : Controls()) {
      SCOPED_TRACE(control->Name);
      control->SetText("?&");
      EXPECT_EQ(control->Text(), "?&");
      Prepare(*control, "A-B", 1);
      ui::PressKey(*control, ui::vk::Back);
      control->SetText("?");
      EXPECT_EQ(control->Text(), "?");

      Prepare(*control, "", 0);
      ui::TypeText(*control, "AB");
      ASSERT_TRUE(Platform().Perform(Form, "set " + control->Name + " \"A?\""));
      EXPECT_EQ(control->Text(), "AB");
      EXPECT_EQ(control->SelStart(), 2);
      control->SetText("A?");
      EXPECT_EQ(control->Text(), "A?");

      Prepare(*control, "ABCD", 0);
      control->Select(1, 2);
      ui::PasteText(*control, "long text with an @ inside");
      EXPECT_EQ(control->Text(), "ABCD");
      EXPECT_EQ(control->SelStart(), 1);
      EXPECT_EQ(control->SelLength(), 0);
      // The caret goes back past 65535 bytes, where a 16-bit position would wrap.
      const std::string longText(70000, 'A');
      EXPECT_EQ(TypeInto(*control, longText, 70000, "?"), longText);
      EXPECT_EQ(control->SelStart(), 70000);
    }
  });
}

// With four lines Enter inside a line is refused; at the very end it adds only the
// uncounted empty last line, where typing is refused. A paste past the limit goes whole.
TEST_F(RestrictedGuardTest, MemoLineLimit) {
  const std::string four = "L1\r\nL2\r\nL3\r\nL4";
  Memo->SetMaxline(4);
  EXPECT_EQ(TypeInto(*Memo, four, 5, "\r"), four);
  EXPECT_EQ(TypeInto(*Memo, four, 14, "\r"), four + "\r\n");
  ui::TypeText(*Memo, "X");
  EXPECT_EQ(Memo->Text(), four + "\r\n");
  Prepare(*Memo, "L1\r\nL2", 6);
  ui::PasteText(*Memo, "\r\nA\r\nB\r\nC");
  EXPECT_EQ(Memo->Text(), "L1\r\nL2");
  ui::PasteText(*Memo, "\r\nA\r\nB");
  EXPECT_EQ(Memo->LineCount(), 4);

  // Lowering the limit deletes the lines past it; 0 and below delete nothing.
  Prepare(*Memo, "L1\r\nL2\r\nL3", 0);
  Memo->SetMaxline(0);
  Memo->SetMaxline(-2);
  EXPECT_EQ(Memo->LineCount(), 3);
  Memo->SetMaxline(1);
  EXPECT_EQ(Memo->Lines(), ui::TStrings{"L1"});
  // A deletion refused because a line set by code breaks the rules still deletes all.
  Prepare(*Memo, "?\r\nL2\r\nL3\r\nL4", 0);
  ui::PressKey(*Memo, ui::vk::Right);
  Memo->SetMaxline(1);
  EXPECT_EQ(Memo->Lines(), ui::TStrings{"?"});
}

// Lines are measured in bytes; every line is held to the width, not only the typed one.
TEST_F(RestrictedGuardTest, MemoLinesEachCheckedOnTheirOwn) {
  Memo->SetCharPerLine(35);
  const std::string a34(34, 'A');
  const struct {
    std::string before, typed;
    bool accepted;
  } cases[] = {
      {a34, "B", true},
      {a34 + "B", "C", false},
      {a34, Gbk("中"), false},
      {"X\r\n" + a34 + "BC", "Y", false},
  };
  for (const auto& c : cases) {
    const auto caret = static_cast<int>(c.before.size());
    EXPECT_EQ(TypeInto(*Memo, c.before, caret, c.typed), c.accepted ? c.before + c.typed : c.before)
        << c.before;
  }
  Memo->SetCharPerLine(0);
  EXPECT_EQ(TypeInto(*Memo, "", 0, std::string(100, 'A')), std::string(100, 'A'));
  EXPECT_EQ(TypeInto(*Memo, "", 0, "A-B\r-C\r  :D\rE:F"), "A-B\r\nC\r\n  D\r\nE:F");
}

// --- The SWIFT bank search.
using payee::TSwfSearchFrm;

constexpr HWND_T kShell = 0x5A;
const std::string kEmpty = Box("Search string is empty");
const std::string kBeijing = "BKCHCNBJA300 Bank of China / Beijing";
const std::string kDeutsche = "DEUTDEFFAXXX Deutsche Bank / Frankfurt";

class SwfSearchTest : public tavro_test::ModuleTest {
 protected:
  // Shows the dialog through ShowSwiftSearch; act plays the operator on it.
  std::string Run(const std::string& initialCode, std::function<void(TSwfSearchFrm&)> act) {
    Platform().SetOperator([&](ui::TForm& form) { act(dynamic_cast<TSwfSearchFrm&>(form)); });
    return payee::ShowSwiftSearch(kShell, initialCode);
  }
};

// Details column captions, top to bottom.
Lines Details(const TSwfSearchFrm& f) {
  return {f.NameLbl->Caption(),  f.Addr1Lbl->Caption(), f.Addr2Lbl->Caption(),
          f.Addr3Lbl->Caption(), f.Addr4Lbl->Caption(), f.SwiftLbl->Caption()};
}

// Types into the four search fields (empty texts left alone), Enter in the last one.
void Search(TSwfSearchFrm& f, const std::string& left, const std::string& any,
            const std::string& city, const std::string& code) {
  ui::TEdit* last = f.BankNameLeftEdt;
  const std::pair<ui::TEdit*, const std::string*> fields[] = {{f.BankNameLeftEdt, &left},
                                                              {f.BankNameAnyEdt, &any},
                                                              {f.CityEdt, &city},
                                                              {f.BankSwiftEdt, &code}};
  for (const auto& field : fields) {
    if (!field.second->empty()) {
      ui::TypeText(*field.first, *field.second);
      last = field.first;
    }
  }
  ui::PressKey(*last, ui::vk::Return);
}

// Either way the panel opens with the focus on the list.
TEST_F(SwfSearchTest, TheFirstFilledKeywordFieldChoosesTheSearch) {
  const std::string longName = std::string(254, 'B') + Gbk("中") + "tail";
  const struct {
    std::string left, any, city, code;
    std::string command;  // empty: no search, the message instead
  } cases[] = {
      {"Bank of", "China", "Shang'hai", "BKCH", "MB_GetSwiftBankByLeft 'Bank of','Shang''hai'"},
      {"  ", " China", "", "BKCH", "MB_GetSwiftBankByAny ' China',''"},
      {"", "  ", "Paris", "bnpa", "MB_GetSwiftBankBySwfCode 'bnpa'"},
      // Keywords are cut to 255 bytes, never inside a double-byte character.
      {longName, "", "", "", "MB_GetSwiftBankByLeft '" + std::string(254, 'B') + "',''"},
      {"", "", "Paris", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    fakehost::Reset();
    fakehost::SetFallback(Answer::Ok(kBeijing + "\r\n"));
    const std::size_t before = MessageLines().size();
    Run("", [&](TSwfSearchFrm& f) {
      EXPECT_FALSE(f.BankDetailsPnl->Visible());
      Search(f, c.left, c.any, c.city, c.code);
      EXPECT_TRUE(f.BankDetailsPnl->Visible());
      EXPECT_EQ(f.ActiveControl(), f.BankNameLbx);
    });
    EXPECT_EQ(Commands(), c.command.empty() ? Lines{} : Lines{c.command});
    const Lines boxes = MessageLines();
    EXPECT_EQ(Lines(boxes.begin() + static_cast<std::ptrdiff_t>(before), boxes.end()),
              c.command.empty() ? Lines{kEmpty} : Lines{});
    if (!c.command.empty()) {
      EXPECT_TRUE(fakehost::LastCall().file);
      EXPECT_EQ(fakehost::LastCall().prefix, "A01");
      EXPECT_EQ(fakehost::LastCall().window, kShell);
    }
  }
}

// Ok hands back the line last selected, also after a new search left the new list
// without a highlight; a failed search keeps the list; a code the directory lacks shows
// only the code, cut before a double-byte character that would not fit whole.
TEST_F(SwfSearchTest, SelectionShowsTheBankAndOkReturnsItAcrossANewOrFailedSearch) {
  fakehost::On("MB_GetSwiftBankBySwfCode 'BKCH'",
               Answer::Ok(kBeijing + "\r\nUNKNOWN1A00" + Gbk("中") + "\r\n"));
  fakehost::On("MB_GetSwfAddress 'BKCHCNBJ300'",
               Answer::Ok("Bank of China\aNo 1 Fuxingmen Nei Dajie\aXicheng\aBeijing\aChina\r\n"));
  fakehost::On("MB_GetSwfAddress 'UNKNOWN1A00'", Answer::Ok(""));
  fakehost::On("MB_GetSwiftBankByAny 'Deutsche',''", Answer::Ok(kDeutsche + "\r\n"));
  fakehost::On("MB_GetSwiftBankByLeft 'Broken',''", Answer::Fail(5, "timeout"));
  const Lines bank = {"Bank of China", "No 1 Fuxingmen Nei Dajie", "Xicheng", "Beijing", "China",
                      "BKCHCNBJA300"};
  const std::string chosen = Run("", [&](TSwfSearchFrm& f) {
    Search(f, "", "", "", "BKCH");
    ui::SelectItem(*f.BankNameLbx, 1);
    EXPECT_EQ(Details(f), (Lines{"", "", "", "", "", "UNKNOWN1A00"}));
    ui::PressKey(*f.BankNameLbx, ui::vk::Up);
    EXPECT_EQ(Details(f), bank);
    Search(f, "Broken", "", "", "");
    EXPECT_EQ(f.BankNameLbx->Items().size(), 2u);
    ui::ClickControl(*f.BankNameAnyEdt);
    EXPECT_FALSE(f.YesBtn->IsShowing());
    f.BankNameLeftEdt->SetText("");
    ui::TypeText(*f.BankNameAnyEdt, "Deutsche");
    ui::ClickControl(*f.FindBtn);
    EXPECT_EQ(f.BankNameLbx->Items(), Lines{kDeutsche});
    EXPECT_EQ(f.BankNameLbx->ItemIndex(), -1);
    EXPECT_EQ(Details(f), bank);
    ui::ClickControl(*f.YesBtn);
  });
  EXPECT_EQ(chosen, "BKCHCNBJA300");
  EXPECT_EQ(fakehost::Calls()[1].window, kShell);
  EXPECT_EQ(MessageLines(), Lines{Box("Error:timeout")});
}

// The caller's code is searched at once under the caller's owner window, given back
// after; the close box hands back nothing; a blank code searches for nothing, and Up
// and Down walk the search fields past the hidden panel.
TEST_F(SwfSearchTest, AnInitialCodeSearchesAtOnceUnderTheCallersOwner) {
  ui::CurrentPlatform().SetOwnerWindow(0x11);
  fakehost::On("MB_GetSwiftBankBySwfCode 'DEUTDEFF'", Answer::Ok(kDeutsche + "\r\n"));
  const std::string chosen = Run("DEUTDEFF", [](TSwfSearchFrm& f) {
    EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), kShell);
    EXPECT_EQ(f.ActiveControl(), f.BankNameLbx);
    ui::SelectItem(*f.BankNameLbx, 0);
    ui::CloseByOperator(f);
  });
  EXPECT_EQ(chosen, "");
  EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), HWND_T{0x11});
  EXPECT_EQ(Commands(),
            (Lines{"MB_GetSwiftBankBySwfCode 'DEUTDEFF'", "MB_GetSwfAddress 'DEUTDEFFXXX'"}));

  fakehost::Reset();
  const std::string none = Run("   ", [](TSwfSearchFrm& f) {
    EXPECT_FALSE(f.BankDetailsPnl->Visible());
    ui::PressKey(*f.BankSwiftEdt, ui::vk::Down);
    EXPECT_EQ(f.ActiveControl(), f.FindBtn);
    ui::PressKey(*f.BankSwiftEdt, ui::vk::Up);
    EXPECT_EQ(f.ActiveControl(), f.CityEdt);
    ui::PressKey(*f.BankSwiftEdt, ui::vk::Return);
    ui::ClickControl(*f.YesBtn);
  });
  EXPECT_EQ(none, "");
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(MessageLines(), Lines{kEmpty});
}

}  // namespace
