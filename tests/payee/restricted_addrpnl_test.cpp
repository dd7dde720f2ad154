// The bank address panel: its parts and layout, its text properties, the bank lookup
// behind Id, the ways the operator clears the reference, and the resize rule.
#include <gtest/gtest.h>

#include <string>

#include "payee/AddrPnl.h"
#include "restricted_support.h"
#include "ui/Controls.h"
#include "ui/Input.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;

class AddrPnlTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    Panel = ui::Create<payee::TAddrPnl>(&Form, &Form, "BankPnl");
    Other = ui::Create<ui::TEdit>(&Form, &Form, "OtherEdt");
    fakehost::On("ST_GetBankSimple 5",
                 Answer::Ok("5\aBank Five\aStreet 1\aStreet 2\aCity\aCountry\aBKFVCNSHXXX\r\n"));
  }

  // Captions of the six labels, top to bottom.
  std::vector<std::string> Shown() const {
    return {Panel->NameLbl->Caption,    Panel->AddrLbl[0]->Caption, Panel->AddrLbl[1]->Caption,
            Panel->AddrLbl[2]->Caption, Panel->AddrLbl[3]->Caption, Panel->SwfCodeLbl->Caption};
  }
  std::vector<std::string> Properties() const {
    return {Panel->BankName(),     Panel->BankAddress1(), Panel->BankAddress2(),
            Panel->BankAddress3(), Panel->BankAddress4(), Panel->BankSwfCode()};
  }

  ui::TForm Form{nullptr, "TestFrm"};
  payee::TAddrPnl* Panel = nullptr;
  ui::TEdit* Other = nullptr;
  const std::vector<std::string> kBankFive = {"Bank Five", "Street 1", "Street 2",
                                              "City",      "Country",  "BKFVCNSHXXX"};
  const std::vector<std::string> kBlank = std::vector<std::string>(6);
};

TEST_F(AddrPnlTest, CreationLayoutAndValues) {
  const auto bounds = [](const ui::TControl* c) {
    return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()};
  };
  EXPECT_EQ(bounds(Panel), (std::vector<int>{0, 0, 180, 100}));
  EXPECT_EQ(bounds(Panel->NameEdt), (std::vector<int>{3, 0, 350, 25}));
  EXPECT_EQ(bounds(Panel->FindBtn), (std::vector<int>{355, 0, 40, 25}));
  EXPECT_EQ(Panel->FindBtn->Caption, "Find");
  EXPECT_EQ(Panel->ComponentCount(), 8);
  EXPECT_EQ(Panel->NameLbl->Width(), 175);
  const ui::TLabel* labels[] = {Panel->NameLbl,    Panel->AddrLbl[0], Panel->AddrLbl[1],
                                Panel->AddrLbl[2], Panel->AddrLbl[3], Panel->SwfCodeLbl};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(labels[i]->Top(), 30 + 15 * i);
    EXPECT_FALSE(labels[i]->AutoSize);
  }
  EXPECT_EQ(Panel->Id(), 0);
  EXPECT_EQ(Properties(),
            (std::vector<std::string>{"Name", "Address1", "Address2", "Address3", "Address4", ""}));
  EXPECT_EQ(Shown(), kBlank);
}

// A text shows only when it differs from the stored one, cut to its capacity without
// splitting a Chinese character.
TEST_F(AddrPnlTest, TextPropertiesStoreCutAndShow) {
  Panel->SetBankName("Name");
  Panel->SetBankAddress3("Address3");
  EXPECT_EQ(Shown(), kBlank);

  Panel->SetBankName(std::string(60, 'N'));
  const std::string addr = std::string(18, 'A') + Gbk("中国银行上海分行");  // 18 + 16 bytes
  Panel->SetBankAddress1(addr + Gbk("行"));                                 // 36 bytes
  Panel->SetBankAddress4(std::string(40, 'D'));
  Panel->SetBankSwfCode("BKCHCNBJ300XYZ");
  EXPECT_EQ(Panel->BankName(), std::string(50, 'N'));
  EXPECT_EQ(Panel->BankAddress1(), addr);
  EXPECT_EQ(Panel->BankAddress4(), std::string(35, 'D'));
  EXPECT_EQ(Panel->BankSwfCode(), "BKCHCNBJ300X");
  EXPECT_EQ(Shown(), (std::vector<std::string>{std::string(50, 'N'), addr, "", "",
                                               std::string(35, 'D'), "BKCHCNBJ300X"}));
}

// Setting Id looks the bank up on the bank channel with the panel's own window; the
// operator's Find, Enter and emptying the name edit only clear the reference.
TEST_F(AddrPnlTest, IdLooksUpAndTheOperatorClearsIt) {
  restricted_test::WhileShown(Platform(), Form, [&] {
    Panel->SetId(5);
    const fakehost::Call& call = fakehost::LastCall();
    EXPECT_EQ(call.prefix, "A03");
    EXPECT_EQ(call.command, "ST_GetBankSimple 5");
    EXPECT_EQ(call.window, Panel->Handle());
    EXPECT_EQ(Panel->Id(), 5);
    EXPECT_EQ(Panel->NameEdt->Text(), "Bank Five");
    EXPECT_EQ(Properties(), kBankFive);
    EXPECT_EQ(Shown(), kBankFive);

    const std::size_t calls = fakehost::Calls().size();
    ASSERT_TRUE(Platform().Perform(Form, "click FindButton"));
    EXPECT_EQ(Panel->Id(), 0);
    EXPECT_EQ(Panel->NameEdt->Text(), "Bank Five");
    EXPECT_EQ(Shown(), kBankFive);

    Panel->SetId(5);
    ui::PressKey(*Panel->NameEdt, ui::vk::Return);
    EXPECT_EQ(Panel->Id(), 0);

    // Leaving the name edit with text in it keeps the bank; leaving it empty clears it.
    Panel->SetId(5);
    ASSERT_TRUE(Platform().Perform(Form, "type NameEdit \"!\""));
    ASSERT_TRUE(Platform().Perform(Form, "focus OtherEdt"));
    EXPECT_EQ(Panel->Id(), 5);
    ui::FocusByOperator(*Panel->NameEdt);
    Panel->NameEdt->SelectAll();
    ui::PressKey(*Panel->NameEdt, ui::vk::Back);
    ui::FocusByOperator(*Other);
    EXPECT_EQ(Panel->Id(), 0);
    EXPECT_EQ(Shown(), kBankFive);
    EXPECT_EQ(fakehost::Calls().size(), calls + 2);  // the two later SetId(5), nothing else
  });
}

// A failed lookup is reported once by the channel; the panel goes blank and keeps Id.
TEST_F(AddrPnlTest, FailedLookupShowsBlankTexts) {
  Panel->SetId(5);
  fakehost::On("ST_GetBankSimple 9", Answer::Fail(3, "no such bank"));
  Panel->SetId(9);
  EXPECT_EQ(Panel->Id(), 9);
  EXPECT_EQ(Panel->NameEdt->Text(), "");
  EXPECT_EQ(Properties(), kBlank);
  EXPECT_EQ(Shown(), kBlank);
  EXPECT_EQ(MessageLines(),
            std::vector<std::string>{R"(message ok none "ManageEdit" "Error:no such bank" -> ok)"});
}

TEST_F(AddrPnlTest, ResizeFollowsThePanelWidth) {
  restricted_test::WhileShown(Platform(), Form, [&] {
    const struct {
      int width, nameWidth, findLeft, labelWidth;
    } cases[] = {{323, 273, 278, 318}, {180, 130, 135, 175}};
    for (const auto& c : cases) {
      ASSERT_TRUE(Platform().Perform(Form, "resize BankPnl " + std::to_string(c.width) + " 120"));
      EXPECT_EQ(Panel->NameEdt->Width(), c.nameWidth);
      EXPECT_EQ(Panel->FindBtn->Left(), c.findLeft);
      for (const ui::TLabel* label :
           {Panel->NameLbl, Panel->AddrLbl[0], Panel->AddrLbl[3], Panel->SwfCodeLbl}) {
        EXPECT_EQ(label->Width(), c.labelWidth);
      }
    }
  });
}

}  // namespace
