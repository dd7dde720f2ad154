// Who may do what: every command that carries an operator, tried by operators of every
// state and rights, through functions that edit the record's kind and functions that
// do not. Rights follow the record: the function id a command names counts only when
// the function table says its entry point edits that kind of record.
#include <gtest/gtest.h>

#include <string>

#include "HostTestSupport.h"

namespace {

using hosttest::BankTest;

class ProcRights : public BankTest {
 protected:
  void SetUp() override {
    // Operators who may not work hold every right, so that only their state refuses them.
    db_->Exec(
        "INSERT INTO node_right(corp_id, user_id, node_id, rights)"
        " SELECT '0012', u.user_id, n.node_id, '11111000' FROM view_node n,"
        " (SELECT '000005' AS user_id UNION SELECT '000006') u WHERE 1 = 1"
        " ON CONFLICT (corp_id, user_id, node_id) DO UPDATE SET rights = excluded.rights");
  }

  struct Outcome {
    bool allowed;
    std::string text;  // the refusal's reason
  };

  // Runs a command and reads its outcome in the form it answers in: an update answer
  // (code, reason), the import's "1 ..." / "0 reason", or rows versus a failure.
  Outcome Try(const std::string& command) {
    host::Answer answer;
    try {
      answer = Call(command);
    } catch (const host::ProcedureError& e) {
      return {false, e.what()};
    }
    if (command.rfind("MN_CustSnapIn", 0) == 0) {
      const std::string line = answer.rows.at(0).at(0);
      return {line.rfind("1 ", 0) == 0, line};
    }
    if (command.rfind("MN_Update", 0) == 0 && command.rfind("MN_UpdateAcOrder", 0) != 0) {
      const auto& row = answer.rows.at(0);
      return {row.at(0) == "1", row.at(1)};
    }
    return {true, ""};
  }

  struct Case {
    const char* command;
    const char* refusal;  // nullptr: served; else a part of the reason
  };
  template <std::size_t N>
  void Check(const Case (&cases)[N]) {
    for (const Case& c : cases) {
      const Outcome o = Try(c.command);
      if (c.refusal == nullptr) {
        EXPECT_TRUE(o.allowed) << c.command << "\n  refused: " << o.text;
      } else {
        EXPECT_FALSE(o.allowed) << c.command << "\n  was served";
        EXPECT_NE(o.text.find(c.refusal), std::string::npos)
            << c.command << "\n  reason: " << o.text;
      }
    }
  }
};

// Demonstration operators of corporation 0012: 000001 every right; 000002 edits
// customers, accounts, payees and usage texts (query only on the send list);
// 000003 queries customers and works the review lists and remittances (12, 13);
// 000004 queries everything; 000005 awaits activation; 000006 is deleted; 000007
// awaits review. Functions: 201 customers, 930 customer accounts, 203 CNY payees,
// 102 accounts, 104 usage texts, 12 and 13 the processing status, 401 and 402 review
// lists, 2 a folder of the tree.
TEST_F(ProcRights, UpdatesAreAcceptedOnlyThroughFunctionsThatEditTheRecordsKind) {
  const Case cases[] = {
      // Customers.
      {"MN_UpdateCustomerRec 201,'R01','0012','甲','','','','000001',1", nullptr},
      {"MN_UpdateCustomerRec 201,'R02','0012','甲','','','','000002',1", nullptr},
      {"MN_UpdateCustomerRec 12,'R03','0012','甲','','','','000003',1",
       "function 12 (Mn_StatusFolderList) does not edit customers"},
      {"MN_UpdateCustomerRec 401,'R03','0012','甲','','','','000003',1", "does not edit customers"},
      {"MN_UpdateCustomerRec 402,'C001','0012','甲','','','','000003',1",
       "does not edit customers"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','000003',1",
       "user 000003 has no right to add the record (function 201)"},
      {"MN_UpdateCustomerRec 104,'R03','0012','甲','','','','000002',1",
       "(Mn_UsageEdit) does not edit customers"},
      {"MN_UpdateCustomerRec 930,'C001','0012','甲','','','','000002',1",
       "(Mn_CustAcEdit) does not edit customers"},
      {"MN_UpdateCustomerRec 2,'R03','0012','甲','','','','000001',1",
       "function 2 does not edit customers"},
      {"MN_UpdateCustomerRec 77,'R03','0012','甲','','','','000001',1",
       "function 77 does not exist"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','000005',1", "awaits activation"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','000006',1", "000006 is deleted"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','000007',1", "awaits review"},
      {"MN_UpdateCustomerRec 201,'R03','0012','甲','','','','200001',1",
       "does not belong to corporation 0012"},
      // Customer bank accounts.
      {"MN_UpdateCustAcRec 930,0,'C003','0012','CNY','A1','某银行',0,'','','','000002',1", nullptr},
      {"MN_UpdateCustAcRec 201,0,'C003','0012','CNY','A2','某银行',0,'','','','000001',1",
       "(Mn_CustomerEdit) does not edit customer bank accounts"},
      {"MN_UpdateCustAcRec 13,1,'C001','0012','CNY','A2','某银行',0,'','','','000003',1",
       "does not edit customer bank accounts"},
      {"MN_UpdateCustAcRec 104,0,'C003','0012','CNY','A2','某银行',0,'','','','000002',1",
       "does not edit customer bank accounts"},
      // CNY payees.
      {"MN_UpdateCustCNYAcRec 203,'Q01','0012','户名','6222','银行','000002',1,'','',''", nullptr},
      {"MN_UpdateCustCNYAcRec 13,'Q02','0012','户名','6222','银行','000003',1,'','',''",
       "(Mn_StatusFolderList) does not edit CNY payees"},
      {"MN_UpdateCustCNYAcRec 104,'P001','0012','户名','6222','银行','000002',1,'','',''",
       "does not edit CNY payees"},
      {"MN_UpdateCustCNYAcRec 203,'Q02','0012','户名','6222','银行','000003',1,'','',''",
       "no right to add the payee (function 203)"},
      // The customer import.
      {"MN_CustSnapIn 201,'0012','000001','S01','6222','名称','银行'", nullptr},
      {"MN_CustSnapIn 12,'0012','000003','S02','6222','名称','银行'", "does not edit customers"},
      {"MN_CustSnapIn 930,'0012','000002','S02','6222','名称','银行'", "does not edit customers"},
      {"MN_CustSnapIn 201,'0012','000006','S02','6222','名称','银行'", "000006 is deleted"},
      // Corporate accounts: the command names no operator, but its function counts.
      {"MN_UpdateAccountRec 102,'310012000100001','0012','x',-1", nullptr},
      {"MN_UpdateAccountRec 12,'310012000100001','0012','x',-1",
       "does not edit corporate accounts"},
      // Batch statements that carry the operator.
      {"MN_UsageInsert '0012','000002','新用途',9", nullptr},
      {"MN_UsageInsert '0012','000004','新用途',8", "no right to change the usage texts"},
      {"MN_UsageInsert '0012','000006','新用途',8", "000006 is deleted"},
      {"MN_UpdateAcOrder '310012000100001','0012','000001',0", nullptr},
      {"MN_UpdateAcOrder '310012000100001','0012','000002',0",
       "no right to save the account order"},
      {"MN_UpdateAcOrder '310012000100001','0012','000005',0", "awaits activation"},
  };
  Check(cases);
  // Nothing refused was stored.
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id IN ('R03', 'S02')"), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM cny_payee WHERE payee_id = 'Q02'"), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE ac_no = 'A2'"), 0);
  EXPECT_EQ(Scalar("SELECT cust_name FROM customer WHERE cust_id = 'C001'"),
            "上海远航贸易有限公司");
  EXPECT_EQ(Count("SELECT count(*) FROM usage_text WHERE position = 8"), 0);
}

TEST_F(ProcRights, ReadsThatCarryTheOperatorNeedAnActiveOperatorWithTheQueryRight) {
  const Case cases[] = {
      {"MN_GetCustomerList '0012','000004'", nullptr},
      {"MN_GetCustomerList '0012','000003'", nullptr},
      {"MN_GetCustomerList '0012','000006'", "user 000006 is deleted"},
      {"MN_GetCustomerList '0012','000005'", "awaits activation"},
      {"MN_GetCustomerList '0012','000007'", "awaits review"},
      {"MN_GetCustomerList '0012','200001'", "does not belong to corporation 0012"},
      {"MN_GetCustomerList '0012','999999'", "user 999999 does not exist"},
      {"MN_GetCustAcFolder 'CN','0012','000002','C001'", nullptr},
      {"MN_GetCustAcFolder 'CN','0012','000006','C001'", "000006 is deleted"},
      {"MN_GetSendList 'CN','0012','000002'", nullptr},
      {"MN_GetSendList 'CN','0012','000006'", "000006 is deleted"},
      {"MN_GetCheckList 'CN','0012','000003'", nullptr},
      {"MN_GetCheckList 'CN','0012','000002'",
       "user 000002 may not read the records to check (no query right"},
      {"MN_GetDeletedList 'CN','0012','000002'", "may not read the deleted records"},
      {"MN_GetRejectedList 'CN','0012','000004'", nullptr},
      {"MN_GetAuthoriseList 'CN','0012','000005'", "awaits activation"},
      {"MN_GetUsageList '0012','000002'", nullptr},
      {"MN_GetUsageList '0012','000007'", "awaits review"},
      {"MN_GetAuditFolder 12,'0012','000002','B20261130001'", nullptr},
      {"MN_GetAuditFolder 12,'0012','000006','B20261130001'", "000006 is deleted"},
      {"MN_GetSignFolder 401,'0012','000007','B20261130001'", "awaits review"},
  };
  Check(cases);
}

// The nodes that count are found by their entry point, so the bank's own function
// table decides: a new node served by the customer dialog edits customers, and a
// right taken away is a read refused.
TEST_F(ProcRights, TheFunctionTableDecidesWhichNodesCount) {
  const char* save = "MN_UpdateCustomerRec 250,'R10','0012','甲','','','','000003',1";
  EXPECT_NE(Try(save).text.find("function 250 does not exist"), std::string::npos);
  db_->Exec(
      "INSERT INTO view_node(node_id, parent_id, position, name_cn, name_en, library, entry)"
      " VALUES (250, 2, 9, '客户（分行）', 'Customers (branch)', 'ManageEdit.dll',"
      " 'Mn_CustomerEdit')");
  db_->Exec(
      "INSERT INTO node_right(corp_id, user_id, node_id, rights)"
      " VALUES ('0012', '000003', 250, '11100000'), ('0012', '000002', 250, '10000000')");
  EXPECT_TRUE(Try(save).allowed) << Try(save).text;
  EXPECT_EQ(Scalar("SELECT operator FROM customer WHERE cust_id = 'R10'"), "000003");

  // A query right on a node that shows customers is enough to read them.
  db_->Exec("DELETE FROM node_right WHERE user_id = '000002' AND node_id <> 250");
  EXPECT_TRUE(Try("MN_GetCustomerList '0012','000002'").allowed);
  EXPECT_FALSE(Try("MN_GetSendList 'CN','0012','000002'").allowed);
  EXPECT_FALSE(Try("MN_GetUsageList '0012','000002'").allowed);
}

}  // namespace
