// The SWIFT bank search dialog driven by an operator against the recording fake host.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "payee/SwfSearchFrm.h"
#include "tests/support/DialogTest.h"

namespace {

using fakehost::Answer;
using payee::TSwfSearchFrm;
using tavro_test::Box;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;

constexpr HWND_T kShell = 0x5A;
const std::string kEmpty = Box("Search string is empty");
const std::string kBeijing = "BKCHCNBJA300 Bank of China / Beijing";
const std::string kDeutsche = "DEUTDEFFAXXX Deutsche Bank / Frankfurt";

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
      {" ", "  ", "", "   ", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    fakehost::Reset();
    fakehost::SetFallback(Answer::Ok(kBeijing + "\r\n"));
    const std::size_t before = MessageLines().size();
    Run("", [&](TSwfSearchFrm& f) {
      EXPECT_FALSE(f.BankDetailsPnl->Visible());
      Search(f, c.left, c.any, c.city, c.code);
      // Either way the panel opens with the focus on the list.
      EXPECT_TRUE(f.BankDetailsPnl->Visible());
      EXPECT_EQ(f.ActiveControl(), f.BankNameLbx);
      EXPECT_EQ(f.BankNameLbx->Items().size(), c.command.empty() ? 0u : 1u);
    });
    EXPECT_EQ(Commands(), c.command.empty() ? Lines{} : Lines{c.command});
    EXPECT_EQ(MessageLines().size(), before + (c.command.empty() ? 1 : 0));
    if (c.command.empty()) {
      EXPECT_EQ(MessageLines().back(), kEmpty);
    } else {
      EXPECT_TRUE(fakehost::LastCall().file);
      EXPECT_EQ(fakehost::LastCall().prefix, "A01");
      EXPECT_EQ(fakehost::LastCall().window, kShell);
    }
  }
}

// Ok hands back the line last selected, also after a new search left the new list
// without a highlight.
TEST_F(SwfSearchTest, SelectionShowsTheBankAndOkReturnsItsAddressAcrossANewSearch) {
  fakehost::On("MB_GetSwiftBankBySwfCode 'BKCH'",
               Answer::Ok(kBeijing + "\r\nBKCHCNBJA400 Bank of China / Shanghai\r\n"));
  fakehost::On("MB_GetSwfAddress 'BKCHCNBJ300'",
               Answer::Ok("Bank of China\aNo 1 Fuxingmen Nei Dajie\aXicheng\aBeijing\aChina\r\n"));
  fakehost::On("MB_GetSwiftBankByAny 'Deutsche',''", Answer::Ok(kDeutsche + "\r\n"));
  const std::string chosen = Run("", [](TSwfSearchFrm& f) {
    Search(f, "", "", "", "BKCH");
    ASSERT_EQ(f.BankNameLbx->Items().size(), 2u);
    ui::SelectItem(*f.BankNameLbx, 0);
    EXPECT_EQ(fakehost::LastCall().window, kShell);
    const Lines bank = {"Bank of China", "No 1 Fuxingmen Nei Dajie", "Xicheng", "Beijing", "China",
                        "BKCHCNBJA300"};
    EXPECT_EQ(Details(f), bank);

    ui::ClickControl(*f.BankNameAnyEdt);
    EXPECT_FALSE(f.YesBtn->IsShowing());
    ui::TypeText(*f.BankNameAnyEdt, "Deutsche");
    ui::ClickControl(*f.FindBtn);
    EXPECT_EQ(f.BankNameLbx->Items(), Lines{kDeutsche});
    EXPECT_EQ(f.BankNameLbx->ItemIndex(), -1);
    EXPECT_EQ(Details(f), bank);
    ui::ClickControl(*f.YesBtn);
  });
  EXPECT_EQ(chosen, "BKCHCNBJA300");
  EXPECT_EQ(Commands("MB_GetSwfAddress"), Lines{"MB_GetSwfAddress 'BKCHCNBJ300'"});
  EXPECT_TRUE(MessageLines().empty());
}

// A failed search keeps the list; a code the directory lacks shows only the code, cut
// before a double-byte character that would not fit whole.
TEST_F(SwfSearchTest, FailuresKeepTheListAndEmptyTheDetails) {
  fakehost::On("MB_GetSwiftBankByLeft 'Bank',''",
               Answer::Ok(kBeijing + "\r\nUNKNOWN1A00" + Gbk("中") + "\r\n"));
  fakehost::On("MB_GetSwfAddress 'BKCHCNBJ300'", Answer::Ok("Bank of China\aA1\aA2\aA3\aA4\r\n"));
  fakehost::On("MB_GetSwfAddress 'UNKNOWN1A00'", Answer::Ok(""));
  fakehost::On("MB_GetSwiftBankByLeft 'Broken',''", Answer::Fail(5, "timeout"));
  const std::string chosen = Run("", [](TSwfSearchFrm& f) {
    Search(f, "Bank", "", "", "");
    ui::SelectItem(*f.BankNameLbx, 0);
    ui::PressKey(*f.BankNameLbx, ui::vk::Down);
    EXPECT_EQ(Details(f), (Lines{"", "", "", "", "", "UNKNOWN1A00"}));

    ui::ClickControl(*f.BankNameLeftEdt);
    f.BankNameLeftEdt->SetText("Broken");
    ui::PressKey(*f.BankNameLeftEdt, ui::vk::Return);
    EXPECT_EQ(f.BankNameLbx->Items().size(), 2u);
    ui::ClickControl(*f.YesBtn);
  });
  EXPECT_EQ(chosen, "UNKNOWN1A00");
  EXPECT_EQ(MessageLines(), Lines{Box("Error:timeout")});
}

// The caller's code is searched at once under the caller's owner window, given back
// after; the close box and Ok before a selection hand back nothing; a blank code searches
// for nothing.
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
    // Up and Down walk the search fields, past the hidden panel.
    ui::PressKey(*f.BankNameLeftEdt, ui::vk::Down);
    EXPECT_EQ(f.ActiveControl(), f.BankNameAnyEdt);
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
