// The server driven as the module drives it: GBK command texts and batches of the
// dialogs through the interpreter, answers framed for the wire.
#include <gtest/gtest.h>

#include "host/Interpreter.h"
#include "proc_TestBank.h"
#include "sys/CodePage.h"

namespace {

using proctest::BankTest;

class ProcModule : public BankTest {
 protected:
  // Runs a UTF-8 command text as GBK on the wire; the answer comes back in UTF-8.
  host::Outcome Send(const std::string& utf8, std::string* answer = nullptr,
                     host::Channel channel = host::Channel::Main) {
    std::string gbk = sys::Utf8ToGbk(utf8);
    return host::RunCommand(*db_, host::BankServer(), channel, gbk,
                            [answer](std::string_view text, std::string&) {
                              if (answer != nullptr) {
                                *answer = sys::GbkToUtf8(text);
                              }
                              return host::Status::Ok;
                            });
  }
  std::string Answer(const std::string& utf8, host::Channel channel = host::Channel::Main) {
    std::string text;
    host::Outcome o = Send(utf8, &text, channel);
    EXPECT_TRUE(o.ok()) << utf8 << ": " << o.error;
    return text;
  }
};

TEST_F(ProcModule, MultiLineFieldsTravelAs0x0EAndComeBackUnchanged) {
  EXPECT_EQ(Answer("MN_UpdateCustomerRec 201,'C900','0012','新客户','ACME LTD\x0E"
                   "1 MAIN ST\x0E"
                   "LONDON','','x@y.example','000001',1"),
            "1\x07"
            "C900\r\n");
  EXPECT_EQ(Scalar("SELECT name_addr FROM customer WHERE cust_id = 'C900'"),
            "ACME LTD\r\n1 MAIN ST\r\nLONDON");
  EXPECT_EQ(Answer("MN_GetPropOfCustomer '0012','C900'"),
            "C900\x07"
            "0012\x07新客户\x07"
            "ACME LTD\x0E"
            "1 MAIN ST\x0E"
            "LONDON\x07\x07x@y.example\x07"
            "000001\x07"
            "1\r\n");
}

// The review-rights batch, ended by 0x1E, is run by the entry point's own tests.
TEST_F(ProcModule, UserDialogBatchesStoreAccountAndNodeRights) {
  ASSERT_TRUE(Send("exec MN_DeleteUserAcList '0012','000003'\r\n"
                   "exec MN_InsertAcRightList '0012','000003','310012000300001'\r\n")
                  .ok());
  EXPECT_EQ(Answer("MN_GetUserCheckAcList '0012','000003'"), "310012000300001:HKD 港币结算户\r\n");

  // Node rights: keys unquoted, two blanks before each line end.
  ASSERT_TRUE(Send("exec MN_DeleteUserRightList '0012','000003',401  \r\n"
                   "exec MN_UpdateRightItem '0012','000003',101,'11000000'  \r\n")
                  .ok());
  EXPECT_EQ(Answer("Sh_GetNodeRight '0012','000003',401"), "00000000\r\n");
  EXPECT_EQ(Answer("Sh_GetNodeRight '0012','000003',101"), "11000000\r\n");

  // A statement that fails undoes the statements before it.
  host::Outcome o = Send(
      "exec MN_DeleteUserAcList '0012','000003'\r\n"
      "exec MN_InsertAcRightList '0012','000003','310012000100001'\r\n"
      "exec MN_InsertAcRightList '0012','000003','NOSUCHACCOUNT'\r\n");
  EXPECT_FALSE(o.ok());
  EXPECT_NE(o.error.find("NOSUCHACCOUNT"), std::string::npos) << o.error;
  EXPECT_EQ(Answer("MN_GetUserCheckAcList '0012','000003'"), "310012000300001:HKD 港币结算户\r\n");
}

TEST_F(ProcModule, UsageAndAccountOrderBatchesReplaceTheStoredOrder) {
  ASSERT_TRUE(Send("set nocount on\r\nexec MN_UsageDelete '0012'\r\n"
                   "exec MN_UsageInsert '0012','000001','运费',0\r\n"
                   "exec MN_UsageInsert '0012','000001','It''s 货款',1\r\n")
                  .ok());
  EXPECT_EQ(Answer("MN_GetUsageList '0012','000001'"), "运费\r\nIt's 货款\r\n");

  std::string list = Answer("MN_GetAcNoList 99,'','0012','000002'");
  std::string first = list.substr(0, list.find("\r\n"));
  std::string rest = list.substr(list.find("\r\n") + 2);
  std::string second = rest.substr(0, rest.find("\r\n"));
  ASSERT_TRUE(Send("exec MN_UpdateAcOrder '" + second + "','0012','000002',0\r\n" +
                   "exec MN_UpdateAcOrder '" + first + "','0012','000002',1\r\n")
                  .ok());
  EXPECT_EQ(
      Answer("MN_GetAcNoList 99,'','0012','000002'").substr(0, second.size() + first.size() + 4),
      second + "\r\n" + first + "\r\n");
}

TEST_F(ProcModule, ReportSelectAndBankChannel) {
  std::string select =
      "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' else "
      "'停用' end) Status,convert(char(10),CardDate,120) FromDate,convert(char(10),ExpiryDate,120) "
      "ExpiryDate,convert(char(10),CardDate,120) CardDate from tb_mn_login where CorpId=";
  std::string report = Answer(select + "'0020'");
  EXPECT_EQ(report.substr(0, report.find("\r\n")),
            "200001\x07孙伟\x07"
            "D\x07启用\x07"
            "2025-09-01\x07"
            "2028-09-01\x07"
            "2025-09-01");
  EXPECT_FALSE(Send(select + "'0020' or 1=1").ok());
  EXPECT_EQ(Answer("ST_GetBankSimple 1", host::Channel::Bank).substr(0, 14),
            "1\x07"
            "AURORA BANK\x07");
}

}  // namespace
