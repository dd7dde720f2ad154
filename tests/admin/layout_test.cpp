// The designed layouts of the admin dialogs, checked as the shell opens each of them in
// CN, EN and JP with the shipped language file, the real fonts and data of full length;
// and the user report as the operator resizes it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "admin/UserEditFrm.h"
#include "admin/UserListPrnFrm.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "tests/admin/AdminTest.h"
#include "tests/support/LayoutProbe.h"
#include "ui/Input.h"
#include "ui/LayoutCheck.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;
using Texts = std::vector<std::string>;

constexpr HWND_T kShell = 0x61;

// What the bank answers, by the start of the command: names and lists as long as the
// records allow, so that what fits here fits the bank's data.
const std::vector<std::pair<std::string, std::string>>& Answers() {
  static const std::vector<std::pair<std::string, std::string>> answers = {
      {"MN_GetPropOfUser '000001'", Gbk("000001\a0012\aD\a王建国\a演示贸易有限公司\a2")},
      {"MN_GetPropOfUser '000002'",
       Gbk("000002\a0012\aO\a欧阳明月东方红日\a上海浦东新区演示国际贸易集团股份有限公司\a9")},
      {"MN_GetUserCorpList",
       Gbk("0012上海浦东新区演示国际贸易集团股份有限公司\r\n0013演示物流有限公司\r\n")},
      {"Sh_GetNodeRight", "11111000"},
      {"MN_GetUserList", "000001\r\n000002\r\n000003\r\n000004\r\n"},
      {"MN_GetCheckUserList", "000003\r\n"},
      {"Sh_GetViewNodeList", Gbk("1:系统管理\r\n\t101:用户设置\r\n\t104:用途设置\r\n"
                                 "2:收款人管理\r\n\t930:外币收款人账户\r\n")},
      {"MN_GetNodeRightList", "[Right]\r\n101=11110000\r\n"},
      {"MN_GetAcNoList", Gbk("310012000100001:CNY 人民币基本户\r\n310012000200002:USD 美元户\r\n")},
      {"MN_GetUserCheckAcList", "310012000100001:CNY\r\n"},
      {"MN_GetPropOfAccount", "310012000100001\a0012\a" +
                                  Gbk("上海浦东新区演示国际贸易集团股份有限公司") + "\aCNY\a1\a" +
                                  Gbk("人民币基本户（工资代发及日常结算）") + "\a2\r\n"},
      {"MN_GetUsageList", Gbk("货款\r\n工资\r\n差旅费报销及其他日常费用\r\n")},
      {"MN_GetCorpName", Gbk("上海浦东新区演示国际贸易集团股份有限公司")},
      {"select UserId", Gbk("000001\a王建国\aD\a启用\a2026-01-01\a2028-01-01\a2026-01-01\r\n"
                            "000002\a欧阳明月\aO\a待激活\a2026-02-01\a2028-02-01\a2026-02-01\r\n")},
  };
  return answers;
}

class AdminLayoutTest : public admin_test::AdminTest,
                        public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    AdminTest::SetUp();
    SetLanguage(GetParam());
    probe_.emplace(Platform());
    for (const auto& [start, text] : Answers()) {
      fakehost::OnPrefix(start, Answer::Ok(text));
    }
  }
  void ExpectTidy(const Texts& forms) {
    EXPECT_EQ(probe_->FormsSeen(), forms);
    EXPECT_EQ(probe_->Problems(), Texts{});
  }
  std::optional<tavro_test::LayoutProbe> probe_;
  TShellResult result_{};
};

TEST_P(AdminLayoutTest, UserDialogWithEveryRightsAreaOn) {
  probe_->Install([this](ui::TForm& form) {
    auto& f = dynamic_cast<admin::TUserEditFrm&>(form);
    for (const char* line : {"select BelongCorpCmb 0", "check CheckRightCkb on",
                             "check UserViewNodeCkb on", "check AcRightCkb on"}) {
      EXPECT_TRUE(Platform().Perform(f, line)) << line;
    }
    EXPECT_TRUE(Platform().Perform(f, "select MainDirTrv 1"));
    probe_->Check(f, "with every area on");
    for (const char* key : {"Msg_UserEdt_UpdateStep1_Hint", "Msg_UserEdt_UpdateStep2_Hint",
                            "Msg_UserEdt_UpdateStep3_Hint", "Msg_UserEdt_UpdateStep5_Hint"}) {
      f.StatusShowLbl->SetCaption(frame::GetLangText(GetParam(), key, "missing"));
      probe_->Check(f, key);  // each hint of the save in its turn
    }
  });
  Mn_UserEdit(&result_, kShell, "0012", "000001", 101, "000002", "");
  ExpectTidy({"TUserEditFrm"});
}

TEST_P(AdminLayoutTest, AccountUsageAndReportDialogs) {
  probe_->Install();
  Mn_AcEdit(&result_, kShell, "0012", "000001", 102, "310012000100001", "");
  Mn_UsageEdit(&result_, kShell, "0012", "000001", 104, "", "");
  Mn_UserListPrint(&result_, kShell, "0012", "000001", 105, "", "");
  ExpectTidy({"TAccountEditFrm", "TUsageEdtFrm", "TUserListPrnFrm"});
}

INSTANTIATE_TEST_SUITE_P(Languages, AdminLayoutTest, ::testing::Values("CN", "EN", "JP"));

// The report is the operator's to resize: the list takes what the form gains, the
// buttons keep to the bottom right corner, and the form never gets smaller than designed.
class UserReportResizeTest : public admin_test::AdminTest {};

TEST_F(UserReportResizeTest, GrowsItsListAndKeepsItsButtonsInTheCorner) {
  fakehost::OnAny([](const fakehost::Call& call) {
    return Answer::Ok(call.command.rfind("select", 0) == 0 ? "000001\aA\aD\a\a\a\a\r\n" : "");
  });
  tavro_test::LayoutProbe probe(Platform());
  probe.Install([&](ui::TForm& form) {
    auto& f = dynamic_cast<admin::TUserListPrnFrm&>(form);
    EXPECT_EQ(f.BorderStyle(), ui::bsSizeable);
    const int width = f.Width(), height = f.Height();
    const ui::TRect list = f.UserLv->BoundsRect();
    const int right = width - f.CancelBtn->BoundsRect().Right;
    const int bottom = height - f.CancelBtn->BoundsRect().Bottom;
    const int gap = f.CancelBtn->Left() - f.PrnBtn->BoundsRect().Right;
    EXPECT_TRUE(Platform().Perform(
        f, "resize form " + std::to_string(width + 200) + " " + std::to_string(height + 150)));
    EXPECT_EQ(f.UserLv->BoundsRect(),
              (ui::TRect{list.Left, list.Top, list.Right + 200, list.Bottom + 150}));
    EXPECT_EQ(f.Width() - f.CancelBtn->BoundsRect().Right, right);
    EXPECT_EQ(f.Height() - f.CancelBtn->BoundsRect().Bottom, bottom);
    EXPECT_EQ(f.CancelBtn->Left() - f.PrnBtn->BoundsRect().Right, gap);
    EXPECT_TRUE(Platform().Perform(f, "resize form 100 100"));
    EXPECT_EQ(std::make_pair(f.Width(), f.Height()), std::make_pair(width, height));
  });
  TShellResult result{};
  Mn_UserListPrint(&result, kShell, "0012", "000001", 105, "", "");
  EXPECT_EQ(probe.FormsSeen(), Texts{"TUserListPrnFrm"});
}

}  // namespace
