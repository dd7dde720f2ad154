// The SWIFT bank search dialog driven as an operator drives it, against the recording
// fake host: which search goes out, what the list and the details show, what comes back.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "payee/SwfSearchFrm.h"
#include "tests/support/ModuleTest.h"
#include "ui/Input.h"

namespace {

using fakehost::Answer;
using payee::TSwfSearchFrm;
using tavro_test::Gbk;

constexpr HWND_T kShell = 0x5A;

const char kEmptyMessage[] = R"(message ok none "ManageEdit" "Search string is empty" -> ok)";

class SwfSearchTest : public tavro_test::ModuleTest {
 protected:
  // Shows the dialog through ShowSwiftSearch; act plays the operator on it.
  std::string Run(const std::string& initialCode, std::function<void(TSwfSearchFrm&)> act) {
    Platform().SetOperator([&](ui::TForm& form) {
      auto* dialog = dynamic_cast<TSwfSearchFrm*>(&form);
      ASSERT_NE(dialog, nullptr);
      act(*dialog);
    });
    return payee::ShowSwiftSearch(kShell, initialCode);
  }

  // The commands sent, without their channel prefix.
  static std::vector<std::string> Sent() {
    std::vector<std::string> commands;
    for (const fakehost::Call& call : fakehost::Calls()) {
      commands.push_back(call.command);
    }
    return commands;
  }
};

// Types into the four search fields (empty texts left alone) and presses Enter in the
// last one typed into.
void Search(TSwfSearchFrm& f, const std::string& left, const std::string& any,
            const std::string& city, const std::string& code) {
  ui::TEdit* last = f.BankNameLeftEdt;
  const std::pair<ui::TEdit*, const std::string*> fields[] = {{f.BankNameLeftEdt, &left},
                                                              {f.BankNameAnyEdt, &any},
                                                              {f.CityEdt, &city},
                                                              {f.BankSwiftEdt, &code}};
  for (const auto& [edit, text] : fields) {
    if (!text->empty()) {
      ui::TypeText(*edit, *text);
      last = edit;
    }
  }
  ui::PressKey(*last, ui::vk::Return);
}

TEST_F(SwfSearchTest, TheFirstFilledKeywordFieldChoosesTheSearch) {
  const std::string longName = std::string(254, 'B') + Gbk("中") + "tail";
  struct Case {
    std::string left, any, city, code;
    std::string command;  // empty: no search, the message instead
  } cases[] = {
      {"Bank of", "China", "Shang'hai", "BKCH", "MB_GetSwiftBankByLeft 'Bank of','Shang''hai'"},
      {"  ", " China", "", "BKCH", "MB_GetSwiftBankByAny ' China',''"},
      {"", "  ", "Paris", "bnpa", "MB_GetSwiftBankBySwfCode 'bnpa'"},
      // Keywords are cut to 255 bytes, never inside a double-byte character.
      {longName, "", "", "", "MB_GetSwiftBankByLeft '" + std::string(254, 'B') + "',''"},
      {"", "", "Paris", "", ""},
      {" ", "  ", "", "   ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    fakehost::Reset();
    fakehost::SetFallback(Answer::Ok("BKCHCNBJA300 Bank of China / Beijing\r\n"));
    const std::size_t messagesBefore = MessageLines().size();
    Run("", [&](TSwfSearchFrm& f) {
      EXPECT_FALSE(f.BankDetailsPnl->Visible);
      Search(f, c.left, c.any, c.city, c.code);
      // Either way the panel opens with the focus on the list.
      EXPECT_TRUE(f.BankDetailsPnl->Visible);
      EXPECT_EQ(f.ActiveControl(), f.BankNameLbx);
      EXPECT_EQ(f.BankNameLbx->Items.size(), c.command.empty() ? 0u : 1u);
    });
    const std::vector<std::string> messages = MessageLines();
    if (c.command.empty()) {
      EXPECT_TRUE(fakehost::Calls().empty());
      ASSERT_EQ(messages.size(), messagesBefore + 1);
      EXPECT_EQ(messages.back(), kEmptyMessage);
    } else {
      ASSERT_EQ(fakehost::Calls().size(), 1u);
      const fakehost::Call& call = fakehost::LastCall();
      EXPECT_EQ(call.command, c.command);
      EXPECT_TRUE(call.file);
      EXPECT_EQ(call.prefix, "A01");
      EXPECT_EQ(call.window, kShell);
      EXPECT_EQ(messages.size(), messagesBefore);
    }
  }
}

TEST_F(SwfSearchTest, SelectionShowsTheBankAndOkReturnsItsAddressAcrossANewSearch) {
  fakehost::On("MB_GetSwiftBankBySwfCode 'BKCH'",
               Answer::Ok("BKCHCNBJA300 Bank of China / Beijing\r\n"
                          "BKCHCNBJA400 Bank of China / Shanghai\r\n"));
  fakehost::On("MB_GetSwfAddress 'BKCHCNBJ300'",
               Answer::Ok("Bank of China\aNo 1 Fuxingmen Nei Dajie\aXicheng\aBeijing\aChina\r\n"));
  fakehost::On("MB_GetSwiftBankByAny 'Deutsche',''",
               Answer::Ok("DEUTDEFFAXXX Deutsche Bank / Frankfurt\r\n"));
  const std::string chosen = Run("", [](TSwfSearchFrm& f) {
    Search(f, "", "", "", "BKCH");
    ASSERT_EQ(f.BankNameLbx->Items.size(), 2u);
    EXPECT_EQ(f.BankNameLbx->Items[1], "BKCHCNBJA400 Bank of China / Shanghai");
    EXPECT_EQ(f.NameLbl->Caption, "");

    ui::SelectItem(*f.BankNameLbx, 0);
    EXPECT_EQ(fakehost::LastCall().command, "MB_GetSwfAddress 'BKCHCNBJ300'");
    EXPECT_EQ(fakehost::LastCall().window, kShell);
    const std::vector<std::string> shown = {f.NameLbl->Caption,  f.Addr1Lbl->Caption,
                                            f.Addr2Lbl->Caption, f.Addr3Lbl->Caption,
                                            f.Addr4Lbl->Caption, f.SwiftLbl->Caption};
    EXPECT_EQ(shown, (std::vector<std::string>{"Bank of China", "No 1 Fuxingmen Nei Dajie",
                                               "Xicheng", "Beijing", "China", "BKCHCNBJA300"}));

    // Back in a search field the panel hides; Ok is out of reach until the next Find.
    ui::ClickControl(*f.BankNameAnyEdt);
    EXPECT_FALSE(f.BankDetailsPnl->Visible);
    EXPECT_FALSE(f.YesBtn->IsShowing());
    ui::TypeText(*f.BankNameAnyEdt, "Deutsche");
    ui::ClickControl(*f.FindBtn);
    EXPECT_EQ(f.BankNameLbx->Items,
              (std::vector<std::string>{"DEUTDEFFAXXX Deutsche Bank / Frankfurt"}));
    // The new list highlights nothing; the earlier choice stays in the details.
    EXPECT_EQ(f.BankNameLbx->ItemIndex(), -1);
    EXPECT_EQ(f.SwiftLbl->Caption, "BKCHCNBJA300");
    EXPECT_EQ(f.NameLbl->Caption, "Bank of China");
    ui::ClickControl(*f.YesBtn);
  });
  EXPECT_EQ(chosen, "BKCHCNBJA300");
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(SwfSearchTest, FailuresKeepTheListAndEmptyTheDetails) {
  fakehost::On(
      "MB_GetSwiftBankByLeft 'Bank',''",
      Answer::Ok("BKCHCNBJA300 Bank of China / Beijing\r\nUNKNOWN1A00" + Gbk("中") + "\r\n"));
  fakehost::On("MB_GetSwfAddress 'BKCHCNBJ300'", Answer::Ok("Bank of China\aA1\aA2\aA3\aA4\r\n"));
  fakehost::On("MB_GetSwfAddress 'UNKNOWN1A00'", Answer::Ok(""));
  fakehost::On("MB_GetSwiftBankByLeft 'Broken',''", Answer::Fail(5, "timeout"));
  const std::string chosen = Run("", [](TSwfSearchFrm& f) {
    Search(f, "Bank", "", "", "");
    ui::SelectItem(*f.BankNameLbx, 0);
    EXPECT_EQ(f.NameLbl->Caption, "Bank of China");
    // A code the directory does not know leaves only the address itself, which is
    // cut before a double-byte character that would not fit whole.
    ui::PressKey(*f.BankNameLbx, ui::vk::Down);
    EXPECT_EQ(fakehost::LastCall().command, "MB_GetSwfAddress 'UNKNOWN1A00'");
    EXPECT_EQ(f.NameLbl->Caption, "");
    EXPECT_EQ(f.Addr4Lbl->Caption, "");
    EXPECT_EQ(f.SwiftLbl->Caption, "UNKNOWN1A00");

    ui::ClickControl(*f.BankNameLeftEdt);
    f.BankNameLeftEdt->SetText("Broken");
    ui::PressKey(*f.BankNameLeftEdt, ui::vk::Return);
    EXPECT_EQ(f.BankNameLbx->Items.size(), 2u);
    EXPECT_TRUE(f.BankDetailsPnl->Visible);
    ui::ClickControl(*f.YesBtn);
  });
  EXPECT_EQ(chosen, "UNKNOWN1A00");
  EXPECT_EQ(MessageLines(),
            std::vector<std::string>{R"(message ok none "ManageEdit" "Error:timeout" -> ok)"});
}

TEST_F(SwfSearchTest, AnInitialCodeSearchesAtOnceUnderTheCallersOwner) {
  ui::CurrentPlatform().SetOwnerWindow(0x11);
  fakehost::On("MB_GetSwiftBankBySwfCode 'DEUTDEFF'",
               Answer::Ok("DEUTDEFFAXXX Deutsche Bank / Frankfurt\r\n"));
  const std::string chosen = Run("DEUTDEFF", [](TSwfSearchFrm& f) {
    EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), kShell);
    EXPECT_EQ(f.BankSwiftEdt->Text(), "DEUTDEFF");
    EXPECT_TRUE(f.BankDetailsPnl->Visible);
    EXPECT_EQ(f.ActiveControl(), f.BankNameLbx);
    ui::SelectItem(*f.BankNameLbx, 0);
    ui::CloseByOperator(f);  // the close box hands nothing back, whatever was selected
  });
  EXPECT_EQ(chosen, "");
  EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), HWND_T{0x11});
  EXPECT_EQ(Sent(), (std::vector<std::string>{"MB_GetSwiftBankBySwfCode 'DEUTDEFF'",
                                              "MB_GetSwfAddress 'DEUTDEFFXXX'"}));

  // A blank code searches for nothing and says nothing; Ok before any selection is
  // nothing chosen.
  fakehost::Reset();
  const std::string none = Run("   ", [](TSwfSearchFrm& f) {
    EXPECT_FALSE(f.BankDetailsPnl->Visible);
    EXPECT_EQ(f.ActiveControl(), f.BankNameLeftEdt);
    ui::PressKey(*f.BankSwiftEdt, ui::vk::Return);
    ui::ClickControl(*f.YesBtn);
  });
  EXPECT_EQ(none, "");
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_EQ(MessageLines(), std::vector<std::string>{kEmptyMessage});
}

TEST_F(SwfSearchTest, UpAndDownWalkTheTabOrderAndAreConsumed) {
  Run("", [](TSwfSearchFrm& f) {
    struct Step {
      ui::TEdit* from;
      std::uint16_t key;
      ui::TWinControl* to;
    } steps[] = {
        {f.BankNameLeftEdt, ui::vk::Down, f.BankNameAnyEdt},
        {f.BankNameAnyEdt, ui::vk::Down, f.CityEdt},
        {f.CityEdt, ui::vk::Down, f.BankSwiftEdt},
        // The hidden panel is passed over.
        {f.BankSwiftEdt, ui::vk::Down, f.FindBtn},
        {f.BankSwiftEdt, ui::vk::Up, f.CityEdt},
        {f.BankNameLeftEdt, ui::vk::Up, f.FindBtn},
    };
    for (const Step& s : steps) {
      ui::PressKey(*s.from, s.key);
      EXPECT_EQ(f.ActiveControl(), s.to) << s.from->Name << " key " << s.key;
      EXPECT_EQ(s.from->Text(), "");
    }
    // Up and Down in the list move the selection, not the focus.
    f.BankNameLbx->Items = {"AAAAAAAAAAAA a", "BBBBBBBBBBBB b"};
    f.BankDetailsPnl->Visible = true;
    ui::SelectItem(*f.BankNameLbx, 0);
    ui::PressKey(*f.BankNameLbx, ui::vk::Down);
    EXPECT_EQ(f.ActiveControl(), f.BankNameLbx);
    EXPECT_EQ(f.SelectedSwift(), "BBBBBBBBBBBB");
  });
}

}  // namespace
