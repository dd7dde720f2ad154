// The payee units driven by an operator against the recording fake host: the
// SWIFT-restricted edit and memo, the SWIFT bank search, and the record dialogs called
// as the shell calls them (the customer bank account with its rules, the CNY payee).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "frame/ManageEdit.h"
#include "payee/CustAcEdtFrm.h"
#include "payee/CustAcRules.h"
#include "payee/CustCNYAcEditFrm.h"
#include "payee/RuleEdit.h"
#include "payee/SwfSearchFrm.h"
#include "payee/swift/fixmemo.h"
#include "tests/support/DialogTest.h"

namespace {

using fakehost::Answer;
using payee::TCustAcEdtFrm;
using payee::TCustAcMissing;
using tavro_test::Box;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;
using tavro_test::Outcome;
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

// Each character into "" and "AB": a refusal keeps text and caret, listeners hear it.
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

// Deleting keys disarm; other keys arm, and a refusal restores the last accepted text.
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
      // The caret goes back past 65535 bytes, where a 16-bit position would wrap.
      const std::string longText(70000, 'A');
      EXPECT_EQ(TypeInto(*control, longText, 70000, "?"), longText);
      EXPECT_EQ(control->SelStart(), 70000);
    }
  });
}

// Four lines: Enter adds only the uncounted last line; a paste past the limit goes whole.
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
      {a34 + "BC\r\nX", "Y", false},  // another line is too long already
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

constexpr HWND_T kSearchShell = 0x5A;
const std::string kEmpty = Box("Search string is empty");
const std::string kBeijing = "BKCHCNBJA300 Bank of China / Beijing";
const std::string kDeutsche = "DEUTDEFFAXXX Deutsche Bank / Frankfurt";

class SwfSearchTest : public tavro_test::ModuleTest {
 protected:
  // Shows the dialog through ShowSwiftSearch; act plays the operator on it.
  std::string Run(const std::string& initialCode, std::function<void(TSwfSearchFrm&)> act) {
    Platform().SetOperator([&](ui::TForm& form) { act(dynamic_cast<TSwfSearchFrm&>(form)); });
    return payee::ShowSwiftSearch(kSearchShell, initialCode);
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
      EXPECT_EQ(fakehost::LastCall().window, kSearchShell);
    }
  }
}

// Ok hands back the selection; a failed search keeps the list; an unknown code shows alone.
TEST_F(SwfSearchTest, SelectionShowsTheBankAndOkReturnsItAfterAFailedSearch) {
  fakehost::On("MB_GetSwiftBankBySwfCode 'BKCH'",
               Answer::Ok(kBeijing + "\r\nUNKNOWN1A00" + Gbk("中") + "\r\n"));
  fakehost::On("MB_GetSwfAddress 'BKCHCNBJ300'",
               Answer::Ok("Bank of China\aNo 1 Fuxingmen Nei Dajie\aXicheng\aBeijing\aChina\r\n"));
  fakehost::On("MB_GetSwfAddress 'UNKNOWN1A00'", Answer::Ok(""));
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
    EXPECT_EQ(Details(f), bank);
    ui::ClickControl(*f.YesBtn);
  });
  EXPECT_EQ(chosen, "BKCHCNBJA300");
  EXPECT_EQ(fakehost::Calls()[1].window, kSearchShell);
  EXPECT_EQ(MessageLines(), Lines{Box("Error:timeout")});
}

// The caller's code is searched at once over the caller's window; closing hands back nothing.
TEST_F(SwfSearchTest, AnInitialCodeSearchesAtOnceUnderTheCallersOwner) {
  ui::CurrentPlatform().SetOwnerWindow(0x11);
  fakehost::On("MB_GetSwiftBankBySwfCode 'DEUTDEFF'", Answer::Ok(kDeutsche + "\r\n"));
  const std::string chosen = Run("DEUTDEFF", [](TSwfSearchFrm& f) {
    EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), kSearchShell);
    EXPECT_EQ(f.ActiveControl(), f.BankNameLbx);
    ui::SelectItem(*f.BankNameLbx, 0);
    ui::CloseByOperator(f);
  });
  EXPECT_EQ(chosen, "");
  EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), HWND_T{0x11});
  EXPECT_EQ(Commands(),
            (Lines{"MB_GetSwiftBankBySwfCode 'DEUTDEFF'", "MB_GetSwfAddress 'DEUTDEFFXXX'"}));
}

// --- The customer bank account.
TEST(CustAcRules, RightsAddressAndSwiftCode) {
  const struct {
    const char* key;
    std::int32_t id;
    const char* rights;
    bool allowed;
  } cases[] = {
      {"x9", 0, "01000000", true},
      {"17abc", 0, "01", true},  // no number: a new one
      {"99999999999", 0, "01", true},
      {"-5", -5, "00100000", true},
      {" 17 ", 17, "01000000", false},  // the add right saves account 0 only
      {"17", 17, "0110", true},
      {"17", 17, "1", false},
      {"0", 0, "", false},
  };
  for (const auto& c : cases) {
    const std::int32_t id = payee::CustAcIdOfKey(c.key);
    EXPECT_EQ(id, c.id) << c.key;
    EXPECT_EQ(payee::CustAcSaveAllowed(c.rights, id), c.allowed) << c.key << " " << c.rights;
  }
  // The bank memo is cut to 150 before encoding and after: each break in the raw text's
  // first 150 bytes becomes one byte; a double-byte character across the cut goes whole.
  std::string lines;
  for (int i = 0; i < 6; ++i) {
    lines += std::string(33, static_cast<char>('A' + i)) + "\r\n";
  }
  const std::string stored = payee::StoredBankNameAddress(lines);
  EXPECT_EQ(stored.size(), 146u);
  EXPECT_EQ(stored.substr(0, 34), std::string(33, 'A') + "\x0E");
  EXPECT_EQ(payee::StoredBankNameAddress(std::string(149, 'X') + Gbk("银行")),
            std::string(149, 'X'));
  // The SWIFT code is the memo's first line, trimmed and cut to 12.
  EXPECT_EQ(payee::SwiftCodeOfLines({"  AUADHKHHXXX  ", "AURORA"}), "AUADHKHHXXX");
  EXPECT_EQ(payee::SwiftCodeOfLines({"AUADHKHH1XYZW9"}), "AUADHKHH1XYZ");
  EXPECT_EQ(payee::SwiftCodeOfLines({"   ", "AUADHKHH"}), "");
  // The texts are read untrimmed.
  EXPECT_EQ(payee::FirstMissing({" ", " ", " ", "", " ", " "}), TCustAcMissing::None);
}

constexpr HWND_T kShell = 0x77;
constexpr char kUpdate[] = "MN_UpdateCustAcRec";

// The memo's lines travel joined by 0x0E (octal 016).
const std::string kAuroraSent =
    "AUADHKHHXXX\016AURORA BANK\01610 KING''S ROAD\016CENTRAL\016HONG KONG 10000";
const Lines kLists = {"MN_GetCustomerList '0012','000001'", "MN_GetCurrencyCodeList"};
const std::string kRights = "Sh_GetNodeRight '0012','000001',930";

std::string Leave(const char* answer) {
  return std::string("message yesno none \"\" \"The changes are not saved. Leave anyway?\" -> ") +
         answer;
}

class CustAcDialogTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Serve("11111000");
  }

  // Rights on node 930; account 17 is USD at an "A" bank with intermediary bank 2,
  // last saved by 000002.
  static void Serve(const std::string& rights) {
    fakehost::Reset();
    fakehost::On(kLists[0], Answer::Ok("C001\r\nC002\r\nC003\r\n"));
    fakehost::On(kLists[1], Answer::Ok("CNY\r\nUSD\r\nHKD\r\n"));
    fakehost::On(kRights, Answer::Ok(rights));
    fakehost::On("MB_GetSwfAddress 'AUADHKHH'",
                 Answer::Ok("AURORA BANK\a10 KING'S ROAD\aCENTRAL\aHONG KONG 10000\a"
                            "HONG KONG SAR CHINA"));
    fakehost::On("MN_GetPropOfCustAc 17",
                 Answer::Ok("17\aC001\a0012\aUSD\a88001234567\aYUANHANG\a\a2\aA\a400123\a"
                            "AUADHKHHXXX\x0EOLD NAME\x0EOLD STREET\a000002\a1"));
    fakehost::On("ST_GetBankSimple 2", Answer::Ok("2\aHARBOUR BANK\aA1\aA2\aA3\aA4\aHAHAUS33XXX"));
    fakehost::OnPrefix(kUpdate, Answer::Ok("1\a42"));
  }

  // Calls the entry point; fn, when given, plays the operator before the script.
  TShellResult Call(const char* key, const char* extra = "",
                    const std::function<void(TCustAcEdtFrm&)>& fn = nullptr) {
    if (fn) {
      Platform().SetOperator([&](ui::TForm& form) { fn(dynamic_cast<TCustAcEdtFrm&>(form)); });
    }
    TShellResult result{7, "stale"};
    Mn_CustAcEdit(&result, kShell, "0012", "000001", 930, key, extra);
    Platform().SetOperator(nullptr);
    return result;
  }
  // Performs the lines and clicks Save; the name of the control then focused.
  std::string SaveAfter(TCustAcEdtFrm& f, const Lines& lines) {
    for (const std::string& line : lines) {
      EXPECT_TRUE(Platform().Perform(f, line)) << line;
    }
    EXPECT_TRUE(Platform().Perform(f, "click UpdateBtn"));
    return f.ActiveControl() ? f.ActiveControl()->Name : "";
  }
};

// The directory is asked with the dialog's own window, everything else with the shell's.
TEST_F(CustAcDialogTest, NewForeignAccountTakesItsBankFromTheSwiftDirectory) {
  Platform().RunScript(
      "select CustIdCmb C002\nselect CurrencyCmb USD\nexpect GroupBox1 enabled false\n"
      "type AcNoEdt 88001234\nselect SelectIdCmb A\ntype BankAcNoEdt 400123\n"
      "type BankNameMmo AUADHKHHXXX\nfocus StatusCmb\nexpect BankNameMmo count 6\n"
      "expect OperatorShowLbl caption 000001\nclick UpdateBtn\n");
  EXPECT_EQ(Outcome(Call("0")), "1 42");
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(Commands(), (Lines{kLists[0], kLists[1], kRights, "MB_GetSwfAddress 'AUADHKHH'",
                               "MN_UpdateCustAcRec 930,0,'C002','0012','USD','88001234','',0,'A',"
                               "'400123','" +
                                   kAuroraSent + "\x0EHONG KONG SAR CHINA','000001',1"}));
  for (const fakehost::Call& call : fakehost::Calls()) {
    EXPECT_EQ(call.window == kShell, call.command.rfind("MB_", 0) != 0) << call.command;
    EXPECT_NE(call.window, 0u);
  }
}

// Six loaded lines stay until a chosen type cuts them; the loaded intermediary is saved.
TEST_F(CustAcDialogTest, LoadedSwiftAccountKeepsItsLimitsUntilATypeIsChosen) {
  Platform().RunScript(
      "expect OperatorShowLbl caption 000002\nexpect CustIdCmb enabled false\n"
      "type BankNameMmo X\nexpect BankNameMmo count 6\nexpect BankNameMmo item 0 AUADHKHHXXX\n"
      "select SelectIdCmb D\nexpect BankNameMmo count 4\nclick UpdateBtn\n");
  EXPECT_EQ(Outcome(Call("17")), "1 42");
  EXPECT_EQ(
      Commands(kUpdate),
      Lines{"MN_UpdateCustAcRec 930,17,'C001','0012','USD','88001234567','',2,'D','400123','" +
            kAuroraSent.substr(0, kAuroraSent.rfind('\x0E')) + "','000001',1"});
  EXPECT_EQ(fakehost::Calls()[3].prefix, "A03");
}

TEST_F(CustAcDialogTest, SaveChecksStopAtTheFirstGapAndFocusIt) {
  const Lines usd = {"select CustIdCmb C001", "select CurrencyCmb USD", "type AcNoEdt 1"};
  const struct {
    Lines lines;
    const char* message;
    const char* focus;
  } cases[] = {
      {{}, "请选择客户代码/Please select cust ID", "UpdateBtn"},
      {{usd[0]}, "请选择币种/Please select currency", "CurrencyCmb"},
      {{usd[0], usd[1]}, "请输入账号/Please input AcNo", "AcNoEdt"},
      {{usd[0], "select CurrencyCmb CNY", usd[2]},
       "请输入开户行名称/Please input bank name",
       "CBankEdt"},
      {usd, "请选择开户行类型/Please select bank type", "SelectIdCmb"},
      {{usd[0], usd[1], usd[2], "select SelectIdCmb D"},
       "请选择或输入开户行名称/Please input bank name",
       "BankNameMmo"},
  };
  for (const auto& c : cases) {
    std::string focus;
    const std::size_t before = MessageLines().size();
    Call("", "", [&](TCustAcEdtFrm& f) { focus = SaveAfter(f, c.lines); });
    EXPECT_EQ(MessagesSince(before), Lines{Box(c.message)});
    EXPECT_EQ(focus, c.focus) << c.message;
  }
  EXPECT_TRUE(Commands(kUpdate).empty());
}

TEST_F(CustAcDialogTest, RefusedSaveAsksBeforeLeavingAndNoKeepsTheInput) {
  fakehost::On("MN_UpdateCustAcRec 930,0,'C009','0012','CNY','6222','ICBC',0,'','','','000001',1",
               Answer::Ok("0\acustomer C009 does not exist"));
  Platform().RunScript(
      "type CustIdCmb C009\nselect CurrencyCmb CNY\ntype AcNoEdt 6222\ntype CBankEdt ICBC\n"
      "click UpdateBtn\nanswer no\nexpect CBankEdt text ICBC\nclick CancelBtn\nanswer yes\n");
  EXPECT_EQ(Outcome(Call("")), "0 ");
  EXPECT_EQ(MessageLines(), (Lines{Leave("no"), Leave("yes")}));
  EXPECT_EQ(Commands(kUpdate).size(), 1u);
}

// The caller's customer is fixed; a negative key is new, and the add right cannot save it.
TEST_F(CustAcDialogTest, ExtraFixesTheCustomerOfANewAccount) {
  Serve("01000000");
  Call("-5", "c002", [&](TCustAcEdtFrm& f) {
    EXPECT_EQ(f.CustIdCmb->Text(), "C002");
    EXPECT_FALSE(f.CustIdCmb->Enabled());
    EXPECT_EQ(f.StatusCmb->ItemIndex(), 1);
    EXPECT_FALSE(f.UpdateBtn->Enabled());
  });
  EXPECT_EQ(Commands(), (Lines{kLists[0], kLists[1], kRights}));
}

// The key is read to its 51st byte: cut at 50 it would name account 1, not 17.
TEST_F(CustAcDialogTest, AKeyOfFiftyOneBytesNamesItsWholeAccountId) {
  Call((std::string(49, '0') + "17").c_str());
  EXPECT_EQ(Commands("MN_GetPropOfCustAc"), Lines{"MN_GetPropOfCustAc 17"});
}

TEST_F(CustAcDialogTest, SwitchingToCnyDropsTheForeignBankButKeepsTheIntermediary) {
  Platform().RunScript(
      "select CurrencyCmb CNY\nexpect GroupBox2 enabled false\nexpect BankAcNoEdt text \"\"\n"
      "expect SelectIdCmb itemindex -1\nexpect BankNameMmo count 0\ntype CBankEdt ICBC\n"
      "select CurrencyCmb HKD\nexpect CBankEdt text \"\"\n"
      "select CurrencyCmb CNY\ntype CBankEdt 中国银行\nclick UpdateBtn\n");
  EXPECT_EQ(Outcome(Call("17")), "1 42");
  EXPECT_EQ(Commands(kUpdate),
            Lines{"MN_UpdateCustAcRec 930,17,'C001','0012','CNY','88001234567','" +
                  Gbk("中国银行") + "',2,'','','','000001',1"});
}

// The memo's lines follow the bank type; with type A only the code line takes keys.
TEST_F(CustAcDialogTest, MemoLinesFollowTheBankType) {
  fakehost::On("MB_GetSwiftBankBySwfCode 'AUADHKHH'",
               Answer::Ok("AUADHKHHXXX AURORA BANK HONG KONG\r\n"));
  Platform().RunScript(
      "select CurrencyCmb USD\ntype BankNameMmo \"W123456789W123456789W123456789W123456789"
      "\\rL2\\rL3\"\nselect SelectIdCmb B\n"
      "expect BankNameMmo text W123456789W123456789W123456789W123456789\n"
      "set BankNameMmo \"\"\nselect SelectIdCmb D\ntype BankNameMmo \"L1\\rL2\\rL3\\rL4\"\n"
      "expect BankNameMmo count 4\nselect SelectIdCmb B\nexpect BankNameMmo text L1\n"
      "key BankNameMmo F2\n"
      "select SelectIdCmb A\ncaret BankNameMmo end\ntype BankNameMmo \"\\rX\"\n"
      "key BankNameMmo Backspace\nexpect BankNameMmo text \"L1\\r\\n\"\n"
      "key BankNameMmo F2\ntype BankSwiftEdt AUADHKHH\nclick FindBtn\nselect BankNameLbx 0\n"
      "click YesBtn\nexpect BankNameMmo count 6\nexpect BankNameMmo item 1 \"AURORA BANK\"\n");
  Call("");
  EXPECT_EQ(MessageLines(), Lines{Box("To use swift code,Must select A")});
}

TEST_F(CustAcDialogTest, UnknownSwiftCodeKeepsTheOperatorInTheMemo) {
  std::string focus;
  Call("", "", [&](TCustAcEdtFrm& f) {
    focus = SaveAfter(f, {"select CustIdCmb C001", "select CurrencyCmb USD", "type AcNoEdt 1",
                          "select SelectIdCmb A", "type BankNameMmo ZZZZZZZZ"});
  });
  EXPECT_EQ(focus, "BankNameMmo");
  EXPECT_EQ(MessageLines(), Lines{Box("Invalid Swift Bank Code")});
  EXPECT_EQ(Commands().back(), "MB_GetSwfAddress 'ZZZZZZZZ'");
}

// --- The CNY payee, with names of its own.
namespace cny {

using namespace tavro_test;

constexpr HWND_T kShell = 0x55;
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',203";
constexpr char kExists[] = "MN_CustCNYAcExists 'P001','0012'";

std::string Leave(const char* answer) {
  return std::string("message yesno warning \"Warning\" ") +
         "\"The changes are not saved. Leave anyway?\" -> " + answer;
}

class CustCnyTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Serve(Answer::Ok("11110000"));
  }

  // A fresh host that knows the operator's rights and payee P001.
  static void Serve(const Answer& rights) {
    fakehost::Reset();
    fakehost::On(kRights, rights);
    fakehost::On("MN_GetPropOfCustCNYAc '0012','P001'",
                 Answer::Ok("P001\a0012\aMingda\a1202\aICBC\a000002\a1\aregular\a"
                            "pay@x.cn\x0E"
                            "bill@x.cn\a138"));
  }
  // Calls the entry point with key and the operator script; the record starts dirty.
  TShellResult Call(const char* key, const std::string& script) {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_CustCNYAcEdit(&result, kShell, "0012", "000001", 203, key, "unused");
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell) << call.command;
    }
    return result;
  }
  // A dialog loaded as the entry point would load it.
  static frame::EntryArgs Call() { return tavro_test::CallFor(kShell, "0012", "000001", 203); }
  static void Prepare(payee::TCustCNYAcEditFrm& form, const char* key) {
    *key != '\0' ? form.LoadRecord(key) : form.PrepareNewRecord();
    form.ApplyRights();
  }
};

// Name and e-mail are cut before a character across their lengths; the answer goes back.
TEST_F(CustCnyTest, ANewPayeeIsSavedAsTypedAndTheServersAnswerIsHandedBack) {
  const std::string name(79, 'n');
  const std::string mail = "a@x.cn\x0E" + std::string("b@x.cn") + std::string(86, 'c');
  const std::string update = "MN_UpdateCustCNYAcRec 203,'P009','0012','" + name +
                             "','6222','ICBC','000001',1,'O''Neil','" + mail + "','139'";
  fakehost::On("MN_CustCNYAcExists 'P009','0012'", Answer::Ok("0"));
  fakehost::On(update, Answer::Ok("1\aP009"));
  const TShellResult r =
      Call("",
           "expect OperatorShowLbl caption 000001\nexpect StatusCmb text Active\n"
           "type CustIdEdt P009\nset CustNameEdt " +
               name +
               "汉\ntype CustAcNoEdt 6222\ntype CustBankNameEdt ICBC\n"
               "type RefEdt \"O'Neil\"\ntype EMailMmo \"a@x.cn\\rb@x.cn" +
               std::string(86, 'c') + "汉\"\ntype SmsEdt 139\nclick UpdateBtn\n");
  EXPECT_EQ(Commands(), (Lines{kRights, "MN_CustCNYAcExists 'P009','0012'", update}));
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(Outcome(r), "1 P009");
}

// The existence question comes first, with the id as typed, even an empty one.
TEST_F(CustCnyTest, EmptyFieldsStopTheSaveInOrderWithTheFocusOnTheField) {
  const struct {
    const char* typed;
    const char* message;
    const char* field;
  } cases[] = {
      {"", "请输入收款人代码", "CustIdEdt"},
      {"type CustIdEdt P9\n", "请输入收款人名称（户名）", "CustNameEdt"},
      {"type CustIdEdt P9\ntype CustNameEdt N\n", "请输入收款人账号", "CustAcNoEdt"},
      {"type CustIdEdt P9\ntype CustNameEdt N\ntype CustAcNoEdt 1\n", "请输入收款人银行",
       "CustBankNameEdt"},
  };
  for (const auto& c : cases) {
    payee::TCustCNYAcEditFrm form(Call());
    Prepare(form, "");
    Platform().RunScript(std::string(c.typed) + "click UpdateBtn\n");
    form.ShowModal();
    EXPECT_EQ(MessageLines().back(), Box(c.message));
    EXPECT_EQ(form.ActiveControl()->Name, c.field);
    EXPECT_EQ(Commands().back(),
              "MN_CustCNYAcExists '" + std::string(*c.typed != '\0' ? "P9" : "") + "','0012'");
  }
}

// Saving needs the modify right, for a new payee too; deleting the delete right and an id.
TEST_F(CustCnyTest, SaveNeedsTheModifyRightAndDeleteTheDeleteRightAndAnId) {
  const struct {
    const char* key;
    Answer rights;
    bool update, del;
  } cases[] = {
      {"P001", Answer::Ok("0110"), true, false},       {"P001", Answer::Ok("0101"), false, true},
      {"", Answer::Ok("11111111"), true, false},       {"", Answer::Ok("0100"), false, false},
      {"P001", Answer::Fail(5, "down"), false, false},
  };
  for (const auto& c : cases) {
    Serve(c.rights);
    payee::TCustCNYAcEditFrm form(Call());
    Prepare(form, c.key);
    EXPECT_EQ(form.UpdateBtn->Enabled(), c.update) << c.key << c.rights.text;
    EXPECT_EQ(form.DeleteBtn->Enabled(), c.del) << c.key << c.rights.text;
  }
  EXPECT_EQ(MessageLines().back(), Box("Error:down"));
}

// Only an address without "@" holds the focus; Enter and arrows walk, never save.
TEST_F(CustCnyTest, AnEMailWithoutAtKeepsTheFocusAndEnterWalksTheFieldsWithoutSaving) {
  payee::TCustCNYAcEditFrm form(Call());
  Prepare(form, "");
  tavro_test::WhileShown(Platform(), form, [&] {
    for (const char* text : {"   ", "x@y", "abc"}) {
      form.EMailMmo->SetText(text);
      ui::FocusByOperator(*form.EMailMmo);
      ui::FocusByOperator(*form.RefEdt);
    }
    EXPECT_EQ(form.ActiveControl(), form.EMailMmo);
    form.EMailMmo->SetText("");
    const struct {
      ui::TWinControl* from;
      std::uint16_t key;
      ui::TWinControl* to;
    } moves[] = {{form.CustIdEdt, ui::vk::Return, form.CustNameEdt},
                 {form.CustAcNoEdt, ui::vk::Up, form.CustNameEdt},
                 {form.RefEdt, ui::vk::Down, form.EMailMmo},
                 {form.SmsEdt, ui::vk::Return, form.UpdateBtn}};
    for (const auto& m : moves) {
      ui::PressKey(*m.from, m.key);
      EXPECT_EQ(form.ActiveControl(), m.to) << m.from->Name;
    }
  });
  EXPECT_EQ(MessageLines(), Lines{LangBox("The e-mail address is not valid.")});
  EXPECT_EQ(Commands(), Lines{kRights});
}

// A refused save, Cancel and close ask before leaving, in the module's language.
TEST_F(CustCnyTest, LeavingAsksTheWarningQuestionAlsoAfterARefusedSave) {
  fakehost::On(kExists, Answer::Ok("1"));
  fakehost::OnPrefix("MN_UpdateCustCNYAcRec", Answer::Ok("-1\ano right to change"));
  const TShellResult r = Call("P001",
                              "click UpdateBtn\nanswer yes\nanswer no\nclick CancelBtn\n"
                              "answer no\nclose\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{LangQuestion(kOverwriteQuestion, "yes"), Leave("no"),
                                   Leave("no"), Leave("yes")}));
  EXPECT_EQ(LastLine(), "close TCustCNYAcEditFrm cancel");
  EXPECT_EQ(Outcome(r), "0 ");
  SetLanguage("CN");
  Call("", "click CancelBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines().back(),
            "message yesno warning \"警告\" \"数据尚未保存，确实要退出吗？\" -> yes");
}

}  // namespace cny

}  // namespace
