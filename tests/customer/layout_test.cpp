// The designed layouts of the customer and payee dialogs as the shell opens them in CN,
// EN and JP with the shipped language file, the real fonts and data of full length (the
// account list's row excepted, see Answers).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frame/ManageEdit.h"
#include "payee/CustAcEdtFrm.h"
#include "payee/SwfSearchFrm.h"
#include "tests/support/DialogTest.h"
#include "tests/support/LayoutProbe.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;
using Texts = std::vector<std::string>;

constexpr HWND_T kShell = 0x63;
// A bank name of 50 capitals and address lines of 35, as long as the records hold.
constexpr char kBankName[] = "THE HONGKONG AND SHANGHAI BANKING CORPORATION LIMI";
constexpr char kAddress[] = "1 QUEEN S ROAD CENTRAL HONG KONG SA";

const std::vector<std::pair<std::string, std::string>>& Answers() {
  static const std::string address4 =
      std::string(kAddress) + "\a" + kAddress + "\a" + kAddress + "\a" + kAddress;
  static const std::string name = Gbk("上海浦东新区演示国际贸易集团股份有限公司");
  static const std::vector<std::pair<std::string, std::string>> answers = {
      {"Sh_GetNodeRight", "11111000"},
      {"MN_GetPropOfCustomer",
       "C0012345678901234567890X\a0012\a" + name +
           "\aSHANGHAI PUDONG DEMO INTERNATIONAL\x0ETRADING GROUP CO LTD\x0E"
           "88 CENTURY AVENUE PUDONG NEW AREA\x0ESHANGHAI 200120 CHINA\a" +
           Gbk("货款及其他") + "\afinance@example.cn\x0Eops@example.cn\a000002\a1"},
      // The list's row fits the designed 800 pixels: a payee id of 10, a card number of
      // 19, a bank name of 18 characters; longer ones are elided.
      {"MN_GetCustAcFolder", Gbk("930:外币收款人账户\a17\aC001234567\aUSD\a6222020001234567890\a"
                                 "HSBC HONG KONG LTD\a使用\r\n")},
      {"MN_GetAcNoList", Gbk("310012000100001:CNY 人民币基本户\r\n310012000200002:USD 美元户\r\n")},
      {"MN_GetAuthoriseFolder", "B2026120100345\a000003\a2026-12-01 10:31:05\aOK\r\n"},
      {"MN_GetSignFolder", "B2026120100345\a000003\a2026-12-01 10:31:05\aSigned\r\n"},
      {"MN_GetAuditFolder", "B2026120100345\a000002\a2026-12-01 10:05:00\aEntry\aOK\r\n"},
      {"MN_GetCustomerList", "C001\r\nC0012345678901234567890X\r\n"},
      {"MN_GetCurrencyCodeList", "CNY\r\nUSD\r\nHKD\r\n"},
      {"MN_GetPropOfCustAc 17", "17\aC0012345678901234567890X\a0012\aUSD\a" + std::string(36, '8') +
                                    "\a\a\a2\aA\a" + std::string(34, '4') + "\aHSBCHKHHXXX\x0E" +
                                    kBankName + "\x0E" + kAddress + "\a000002\a1"},
      {"ST_GetBankSimple 2", "2\a" + std::string(kBankName) + "\a" + address4 + "\aHSBCHKHHXXX"},
      {"MB_GetSwiftBankBySwfCode",
       "HSBCHKHHHKH HONGKONG AND SHANGHAI BANKING CORPORATION / HONG KONG\r\n"
       "HSBCHKHHXXX HONGKONG AND SHANGHAI BANKING CORPORATION\r\n"},
      {"MB_GetSwfAddress", std::string(kBankName) + "\a" + address4},
      {"MN_GetPropOfCustCNYAc",
       "P0012345678901234567890X\a0012\a" + name + "\a" + std::string(36, '6') + "\a" +
           Gbk("上海浦东发展银行股份有限公司外滩支行营业部") + "\a000002\a1\a" + Gbk("货款及其他") +
           "\apay@example.cn\x0E" + "bill@example.cn\a13800138000"},
  };
  return answers;
}

class LayoutTest : public tavro_test::DialogTest,
                   public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SetLanguage(GetParam());
    probe_.emplace(Platform());
    for (const auto& [start, text] : Answers()) {
      fakehost::OnPrefix(start, Answer::Ok(text));
    }
  }
  std::optional<tavro_test::LayoutProbe> probe_;
  TShellResult result_{};
};

// Nested dialogs are measured too, the SWIFT search before and after a search.
TEST_P(LayoutTest, EveryDialogFitsItsTexts) {
  probe_->Install([this](ui::TForm& form) {
    if (std::string(form.ClassName()) == "TCustomerEdtFrm") {
      EXPECT_TRUE(Platform().Perform(form, "click ImportBtn"));
      EXPECT_TRUE(Platform().Perform(form, "click ExportBtn"));
    } else if (auto* search = dynamic_cast<payee::TSwfSearchFrm*>(&form)) {
      for (const char* line :
           {"type BankSwiftEdt HSBCHKHH", "click FindBtn", "select BankNameLbx 0"}) {
        EXPECT_TRUE(Platform().Perform(form, line)) << line;
      }
      EXPECT_EQ(search->NameLbl->Caption(), kBankName);
      probe_->Check(form, "with a bank found");
      EXPECT_TRUE(Platform().Perform(form, "click NoBtn"));
    } else if (auto* f = dynamic_cast<payee::TCustAcEdtFrm*>(&form)) {
      EXPECT_EQ(f->IntBankPnl->BankName(), kBankName);
      // A bank found by its SWIFT code fills six lines of the memo: all of them show.
      ASSERT_EQ(f->BankNameMmo->LineCount(), 6);
      EXPECT_LE(Platform().TextExtent(f->BankNameMmo->Font(), f->BankNameMmo->Text()).Height + 4,
                f->BankNameMmo->Height());
      EXPECT_TRUE(Platform().Perform(form, "key BankNameMmo F2"));
    }
  });
  Mn_CustomerEdit(&result_, kShell, "0012", "000001", 201, "C001", "");
  Mn_CustAcNoList(&result_, kShell, "0012", "000001", 202, "C001", "");
  Mn_AcOrderEdit(&result_, kShell, "0012", "000001", 103, "", "");
  Mn_StatusFolderList(&result_, kShell, "0012", "000001", 407, "B2026120100345", "");
  Mn_CustCNYAcEdit(&result_, kShell, "0012", "000001", 203, "P001", "");
  Mn_CustAcEdit(&result_, kShell, "0012", "000001", 930, "17", "");
  EXPECT_EQ(probe_->FormsSeen(), (Texts{"TCustomerEdtFrm", "TCustSnapInFrm", "TCustExportFrm",
                                        "TCustAcListFrm", "TAcOrderEditFrm", "TStatusFolderFrm",
                                        "TCustCNYAcEditFrm", "TCustAcEdtFrm", "TSwfSearchFrm"}));
  EXPECT_EQ(probe_->Problems(), Texts{});
}

INSTANTIATE_TEST_SUITE_P(Languages, LayoutTest, ::testing::Values("CN", "EN", "JP"));

}  // namespace
