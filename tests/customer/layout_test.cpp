// The designed layouts of the customer dialogs, checked as the shell opens them in CN,
// EN and JP with the shipped language file, the real fonts and data of full length (the
// account list's row excepted, see Answers): the
// customer dialog with the import and export it opens, the account list, the account
// order and the processing status; and the status dialog as the operator resizes it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "customer/StatusFolderFrm.h"
#include "frame/ManageEdit.h"
#include "tests/support/DialogTest.h"
#include "tests/support/LayoutProbe.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;
using Texts = std::vector<std::string>;

constexpr HWND_T kShell = 0x63;

const std::vector<std::pair<std::string, std::string>>& Answers() {
  static const std::vector<std::pair<std::string, std::string>> answers = {
      {"Sh_GetNodeRight", "11111000"},
      {"MN_GetPropOfCustomer",
       "C0012345678901234567890X\a0012\a" + Gbk("上海浦东新区演示国际贸易集团股份有限公司") +
           "\aSHANGHAI PUDONG DEMO INTERNATIONAL\x0ETRADING GROUP CO LTD\x0E"
           "88 CENTURY AVENUE PUDONG NEW AREA\x0ESHANGHAI 200120 CHINA\a" +
           Gbk("货款及其他") + "\afinance@example.cn\x0Eops@example.cn\a000002\a1"},
      // The account list shows its row in the columns of the designed 800 pixels: a
      // payee id of 10, a card number of 19, a bank name of 18 characters; longer ones are
      // elided, the operator widens a column to read them.
      {"MN_GetCustAcFolder", Gbk("930:外币收款人账户\a17\aC001234567\aUSD\a6222020001234567890\a"
                                 "HSBC HONG KONG LTD\a使用\r\n")},
      {"MN_GetAcNoList", Gbk("310012000100001:CNY 人民币基本户\r\n310012000200002:USD 美元户\r\n")},
      {"MN_GetAuthoriseFolder", "B2026120100345\a000003\a2026-12-01 10:31:05\aOK\r\n"},
      {"MN_GetSignFolder", "B2026120100345\a000003\a2026-12-01 10:31:05\aSigned\r\n"},
      {"MN_GetAuditFolder", "B2026120100345\a000002\a2026-12-01 10:05:00\aEntry\aOK\r\n"},
  };
  return answers;
}

class CustomerLayoutTest : public tavro_test::DialogTest,
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

TEST_P(CustomerLayoutTest, CustomerDialogWithItsImportAndExport) {
  probe_->Install([this](ui::TForm& form) {
    if (std::string(form.ClassName()) == "TCustomerEdtFrm") {
      EXPECT_TRUE(Platform().Perform(form, "click ImportBtn"));
      EXPECT_TRUE(Platform().Perform(form, "click ExportBtn"));
    }
  });
  Mn_CustomerEdit(&result_, kShell, "0012", "000001", 201, "C001", "");
  EXPECT_EQ(probe_->FormsSeen(), (Texts{"TCustomerEdtFrm", "TCustSnapInFrm", "TCustExportFrm"}));
  EXPECT_EQ(probe_->Problems(), Texts{});
}

TEST_P(CustomerLayoutTest, AccountListAccountOrderAndStatus) {
  probe_->Install();
  Mn_CustAcNoList(&result_, kShell, "0012", "000001", 202, "C001", "");
  Mn_AcOrderEdit(&result_, kShell, "0012", "000001", 103, "", "");
  Mn_StatusFolderList(&result_, kShell, "0012", "000001", 407, "B2026120100345", "");
  EXPECT_EQ(probe_->FormsSeen(), (Texts{"TCustAcListFrm", "TAcOrderEditFrm", "TStatusFolderFrm"}));
  EXPECT_EQ(probe_->Problems(), Texts{});
}

INSTANTIATE_TEST_SUITE_P(Languages, CustomerLayoutTest, ::testing::Values("CN", "EN", "JP"));

// The status dialog is the operator's to resize: the trails keep their height, the
// operation log takes what the form gains, every list fills its group.
class StatusResizeTest : public tavro_test::DialogTest {};

TEST_F(StatusResizeTest, TheOperationLogTakesWhatTheFormGains) {
  tavro_test::LayoutProbe probe(Platform());
  probe.Install([&](ui::TForm& form) {
    auto& f = dynamic_cast<customer::TStatusFolderFrm&>(form);
    EXPECT_EQ(f.BorderStyle(), ui::bsSizeable);
    const ui::TRect trail = f.GroupBox2->BoundsRect();
    const ui::TRect log = f.GroupBox3->BoundsRect();
    EXPECT_TRUE(Platform().Perform(f, "resize form " + std::to_string(f.Width() + 100) + " " +
                                          std::to_string(f.Height() + 200)));
    EXPECT_EQ(f.GroupBox2->BoundsRect(),
              (ui::TRect{trail.Left, trail.Top, trail.Right + 100, trail.Bottom}));
    EXPECT_EQ(f.GroupBox3->BoundsRect(),
              (ui::TRect{log.Left, log.Top, log.Right + 100, log.Bottom + 200}));
    const ui::TRect room = f.GroupBox3->ClientRect();
    EXPECT_EQ(f.AuditFolderLsv->BoundsRect(), room);
    probe.Check(f, "grown");
  });
  TShellResult result{};
  Mn_StatusFolderList(&result, kShell, "0012", "000001", 407, "B2026120100345", "");
  EXPECT_EQ(probe.FormsSeen(), Texts{"TStatusFolderFrm"});
  EXPECT_EQ(probe.Problems(), Texts{});
}

}  // namespace
