// Who may do what: each rights rule once, on the command that carries the operator.
// Rights follow the record: a function counts only when the function table says its
// entry point edits (or shows) that kind of record.
#include <gtest/gtest.h>

#include <string>

#include "HostTestSupport.h"

namespace {

class ProcRights : public hosttest::BankTest {
 protected:
  // Operators who may not work hold every right, so that only their state refuses them.
  void SetUp() override {
    db_->Exec(
        "INSERT INTO node_right(corp_id, user_id, node_id, rights)"
        " SELECT '0012', u.user_id, n.node_id, '11111000' FROM view_node n,"
        " (SELECT '000005' AS user_id UNION SELECT '000006') u WHERE 1 = 1"
        " ON CONFLICT (corp_id, user_id, node_id) DO UPDATE SET rights = excluded.rights");
  }

  // Whether the command was served, else its reason: updates answer code and reason,
  // the import "1 ..." or "0 reason", other commands raise.
  std::pair<bool, std::string> Try(const std::string& command) {
    host::Answer answer;
    try {
      answer = Call(command);
    } catch (const host::ProcedureError& e) {
      return {false, e.what()};
    }
    const std::string first = answer.rows.empty() ? "" : answer.rows[0].at(0);
    if (command.rfind("MN_CustSnapIn", 0) == 0) {
      return {first.rfind("1 ", 0) == 0, first};
    }
    if (command.rfind("MN_Update", 0) == 0 && command.rfind("MN_UpdateAcOrder", 0) != 0) {
      return {first == "1", answer.rows[0].at(1)};
    }
    return {true, ""};
  }

  // Each command served (refusal nullptr) or refused with a reason holding refusal.
  void Check(const std::vector<std::pair<const char*, const char*>>& cases) {
    for (const auto& [command, refusal] : cases) {
      const auto [allowed, text] = Try(command);
      EXPECT_EQ(allowed, refusal == nullptr) << command << "\n  " << text;
      if (refusal != nullptr) {
        EXPECT_NE(text.find(refusal), std::string::npos) << command << "\n  reason: " << text;
      }
    }
  }
};

// Operators of 0012: 000001 every right; 000002 edits customers, accounts, payees and
// usage texts; 000003 queries customers and reviews; 000004 queries everything; 000005
// awaits activation; 000006 is deleted; 000007 awaits review. Functions: 201
// customers, 930 customer accounts, 203 CNY payees, 102 accounts, 104 usage texts, 12
// and 13 the processing status, 2 a folder.
TEST_F(ProcRights, UpdatesAreAcceptedOnlyThroughFunctionsThatEditTheRecordsKind) {
  Check({
      {"MN_UpdateCustomerRec 201,'R01','0012','甲','','','','000002',1", nullptr},
      {"MN_UpdateCustomerRec 12,'R03','0012','甲','','','','000003',1",
       "function 12 (Mn_StatusFolderList) does not edit customers"},
      {"MN_UpdateCustomerRec 930,'C001','0012','甲','','','','000002',1",
       "(Mn_CustAcEdit) does not edit customers"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','000003',1",
       "user 000003 has no right to add the record (function 201)"},
      {"MN_UpdateCustomerRec 2,'R03','0012','甲','','','','000001',1",
       "function 2 does not edit customers"},
      {"MN_UpdateCustomerRec 77,'R03','0012','甲','','','','000001',1",
       "function 77 does not exist"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','000005',1",
       "user 000005 awaits activation and may not work yet"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','000006',1", "user 000006 is deleted"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','000007',1",
       "user 000007 awaits review and may not work yet"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','200001',1",
       "user 200001 does not belong to corporation 0012"},
      {"MN_UpdateCustAcRec 930,0,'C003','0012','CNY','A1','某银行',0,'','','','000002',1", nullptr},
      {"MN_UpdateCustAcRec 201,0,'C003','0012','CNY','A2','某银行',0,'','','','000001',1",
       "(Mn_CustomerEdit) does not edit customer bank accounts"},
      {"MN_UpdateCustCNYAcRec 203,'Q01','0012','户名','6222','银行','000002',1,'','',''", nullptr},
      {"MN_UpdateCustCNYAcRec 13,'Q02','0012','户名','6222','银行','000003',1,'','',''",
       "(Mn_StatusFolderList) does not edit CNY payees"},
      {"MN_UpdateCustCNYAcRec 203,'Q02','0012','户名','6222','银行','000003',1,'','',''",
       "no right to add the payee (function 203)"},
      {"MN_CustSnapIn 201,'0012','000001','S01','6222','名称','银行'", nullptr},
      {"MN_CustSnapIn 930,'0012','000002','S02','6222','名称','银行'", "does not edit customers"},
      {"MN_CustSnapIn 201,'0012','000006','S02','6222','名称','银行'", "000006 is deleted"},
      // The command names no operator, but its function counts.
      {"MN_UpdateAccountRec 102,'310012000100001','0012','x',-1", nullptr},
      {"MN_UpdateAccountRec 12,'310012000100001','0012','x',-1",
       "does not edit corporate accounts"},
      {"MN_UsageInsert '0012','000002','新用途',9", nullptr},
      {"MN_UsageInsert '0012','000004','新用途',8",
       "user 000004 has no right to change the usage texts (no function that edits payment usage "
       "texts grants it)"},
      {"MN_UsageInsert '0012','000006','新用途',8", "000006 is deleted"},
      {"MN_UpdateAcOrder '310012000100001','0012','000001',0", nullptr},
      {"MN_UpdateAcOrder '310012000100001','0012','000002',0",
       "no right to save the account order"},
      {"MN_UpdateAcOrder '310012000100001','0012','000005',0", "awaits activation"},
  });
  // Nothing refused was stored.
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id IN ('R03', 'S02')"), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM cny_payee WHERE payee_id = 'Q02'"), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE ac_no = 'A2'"), 0);
  EXPECT_EQ(Scalar("SELECT cust_name FROM customer WHERE cust_id = 'C001'"),
            "上海远航贸易有限公司");
  EXPECT_EQ(Count("SELECT count(*) FROM usage_text WHERE position = 8"), 0);
}

// Each read that carries the operator checks him; a query right is enough.
TEST_F(ProcRights, ReadsThatCarryTheOperatorNeedAnActiveOperatorWithTheQueryRight) {
  Check({
      {"MN_GetCustomerList '0012','000003'", nullptr},
      {"MN_GetCustomerList '0012','000006'", "user 000006 is deleted"},
      {"MN_GetCustomerList '0012','999999'", "user 999999 does not exist"},
      {"MN_GetCustAcFolder 'CN','0012','000006','C001'", "000006 is deleted"},
      {"MN_GetSendList 'CN','0012','000006'", "000006 is deleted"},
      {"MN_GetCheckList 'CN','0012','000003'", nullptr},
      {"MN_GetCheckList 'CN','0012','000002'",
       "user 000002 may not read the records to check (no query right on a function that shows "
       "them)"},
      {"MN_GetDeletedList 'CN','0012','000002'", "may not read the deleted records"},
      {"MN_GetAuthoriseList 'CN','0012','000005'", "awaits activation"},
      {"MN_GetUsageList '0012','000007'", "awaits review"},
      {"MN_GetAuditFolder 12,'0012','000006','B20261130001'", "000006 is deleted"},
      {"MN_GetSignFolder 401,'0012','000007','B20261130001'", "awaits review"},
  });
}

// The function table decides: a new node served by the customer dialog edits
// customers, an editor's query right reads them, and a right taken away is refused.
TEST_F(ProcRights, TheFunctionTableDecidesWhichNodesCount) {
  const char* save = "MN_UpdateCustomerRec 250,'R10','0012','甲','','','','000003',1";
  Check({{save, "function 250 does not exist"}});
  db_->Exec(
      "INSERT INTO view_node(node_id, parent_id, position, name_cn, name_en, library, entry)"
      " VALUES (250, 2, 9, '客户（分行）', 'Customers (branch)', 'ManageEdit.dll',"
      " 'Mn_CustomerEdit')");
  db_->Exec(
      "INSERT INTO node_right(corp_id, user_id, node_id, rights)"
      " VALUES ('0012', '000003', 250, '11100000'), ('0012', '000002', 250, '10000000')");
  db_->Exec("DELETE FROM node_right WHERE user_id = '000002' AND node_id <> 250");
  Check({{save, nullptr},
         {"MN_GetCustomerList '0012','000002'", nullptr},
         {"MN_GetSendList 'CN','0012','000002'", "may not read the records to send"},
         {"MN_GetUsageList '0012','000002'", "may not read"}});
  EXPECT_EQ(Scalar("SELECT operator FROM customer WHERE cust_id = 'R10'"), "000003");
}

}  // namespace
