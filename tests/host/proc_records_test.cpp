// Records: property reads, updates (answers, effect, refusals that leave nothing
// behind), existence counts, deletes and changes of id, import and export.
#include <gtest/gtest.h>

#include "HostTestSupport.h"

namespace {

using hosttest::BankTest;
using hosttest::I;
using hosttest::T;
using Row = std::vector<std::string>;

using ProcRecords = BankTest;

TEST_F(ProcRecords, PropertyReadsAnswerTheFieldsInTheModulesOrder) {
  struct Case {
    const char* command;
    Row row;
  };
  const Case cases[] = {
      {"MN_GetPropOfUser '000001'", {"000001", "0012", "D", "王建国", "演示贸易有限公司", "2"}},
      {"MN_GetPropOfAccount '0012','310012000400001'",
       {"310012000400001", "0012", "演示贸易有限公司", "EUR", "0", "欧元结算户", "2"}},
      {"MN_GetPropOfCustomer '0012 ','C002'",
       {"C002", "0012", "香港恒昌贸易公司",
        "HANG CHEONG TRADING CO\r\n18 QUEEN'S ROAD CENTRAL\r\nHONG KONG", "",
        "hc@hangcheong.example", "000002", "1"}},
      {"MN_GetPropOfCustCNYAc '0012','P001'",
       {"P001", "0012", "杭州明达电子有限公司", "1202020209000012345", "中国工商银行杭州分行",
        "000001", "1", "", "pay@mingda.example", "13800000001"}},
      {"MN_GetCorpName '0020'", {"华东机电进出口公司"}},
      {"ST_GetBankSimple 3",
       {"3", "LOTUS SAVINGS BANK", "36 BRIDGE AVENUE", "CITY OF LONDON", "LONDON 13712",
        "UNITED KINGDOM", "LOLCGB2LXXX"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Call(c.command).rows, std::vector<Row>{c.row}) << c.command;
  }
  host::Answer ac = Call("MN_GetPropOfCustAc 2");
  ASSERT_EQ(ac.rows.size(), 1u);
  ASSERT_EQ(ac.rows[0].size(), 13u);
  EXPECT_EQ(ac.rows[0][1], "C001");
  EXPECT_EQ(ac.rows[0][3], "USD");
  EXPECT_EQ(ac.rows[0][7], "2");  // intermediary bank
  EXPECT_EQ(ac.rows[0][8], "A");
  EXPECT_EQ(ac.rows[0][10].substr(0, 13), "AUADHKHHXXX\r\n");
  EXPECT_EQ(Call("MN_GetPropOfCustAc 1").rows[0][7], "0");  // no intermediary bank
}

TEST_F(ProcRecords, UnknownRecordsAndBadKeysAreRefusedNamingTheProblem) {
  struct Case {
    const char* command;
    const char* says;
  };
  const Case cases[] = {
      {"MN_GetPropOfUser '999999'", "user 999999"},
      {"MN_GetPropOfUser '1234567'", "longer than 6"},
      {"MN_GetPropOfAccount '0020','310012000100001'", "account 310012000100001"},
      {"MN_GetPropOfCustomer '0020','C001'", "customer C001"},
      {"MN_GetPropOfCustomer '','C001'", "corporation id is empty"},
      {"MN_GetPropOfCustAc 999", "customer account 999"},
      {"MN_GetPropOfCustCNYAc '0012','P999'", "payee P999"},
      {"ST_GetBankSimple 0", "bank 0"},
      {"MN_GetCorpName '12345'", "longer than 4"},
      {"MN_CustomerUpdate 'C003','nnnnnnnnnnnnnnnnnnnnnnnnn','0012'", "longer than 24"},
      {"MN_CustExport '0012',2", "export type 2"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(Fail(c.command).find(c.says), std::string::npos) << c.command;
  }
}

TEST_F(ProcRecords, AccountUpdateChangesTheNameAndKeepsAnUnmatchedStatus) {
  EXPECT_EQ(Call("MN_UpdateAccountRec 102,'310012000400001','0012','O''Neil 户',-1").rows,
            (std::vector<Row>{{"1", "310012000400001"}}));
  const char* sql =
      "SELECT ac_name || '/' || status FROM corp_account WHERE ac_no = '310012000400001'";
  EXPECT_EQ(Scalar(sql), "O'Neil 户/2");
  EXPECT_EQ(First("MN_UpdateAccountRec 102,'310012000400001','0012','x',1"), "1");
  EXPECT_EQ(Scalar(sql), "x/1");

  // Refusals answer 0 with the reason and change nothing.
  const std::string refused[] = {"'0012','y',7", "'0020','y',1",
                                 "'0012','一二三四五六七八九十一二三四五六七八九十一二三四五六',1",
                                 "'0012','a\ab',1"};
  for (const std::string& tail : refused) {
    host::Answer a = Call("MN_UpdateAccountRec 102,'310012000400001'," + tail);
    ASSERT_EQ(a.rows.size(), 1u);
    EXPECT_EQ(a.rows[0][0], "0");
    EXPECT_FALSE(a.rows[0][1].empty());
  }
  EXPECT_EQ(Scalar(sql), "x/1");
  // Fifty bytes of GBK (25 Chinese characters) fit.
  EXPECT_EQ(
      First("MN_UpdateAccountRec "
            "102,'310012000400001','0012','一二三四五六七八九十一二三四五六七八九十一二三四五',1"),
      "1");
}

// The customer record of an update: function, id, corp, name, name and address,
// remark, e-mail, operator, status.
host::Args Customer(const std::string& id, const std::string& op, std::int64_t function = 201,
                    const std::string& nameAddr =
                        "ACME\x0E"
                        "1 MAIN ST") {
  return {I(function),      T(id), T("0012"), T("新客户"), T(nameAddr), T("r"),
          T("a@b.example"), T(op), I(1)};
}

TEST_F(ProcRecords, CustomerUpdateStoresLineBreaksAsCrLfAndChecksTheOperatorsRights) {
  EXPECT_EQ(Call("MN_UpdateCustomerRec", Customer("C900", "000002")).rows,
            (std::vector<Row>{{"1", "C900"}}));
  EXPECT_EQ(Scalar("SELECT name_addr FROM customer WHERE cust_id = 'C900'"), "ACME\r\n1 MAIN ST");
  EXPECT_EQ(Call("MN_GetPropOfCustomer '0012','C900'").rows[0][3], "ACME\r\n1 MAIN ST");

  // 000002 may add but no longer modify customers.
  Call("MN_UpdateRightItem '0012','000002',201,'11'");
  EXPECT_EQ(First("MN_UpdateCustomerRec", Customer("C900", "000002", 201, "CHANGED")), "-1");
  EXPECT_EQ(First("MN_UpdateCustomerRec", Customer("C901", "000002")), "1");
  // No right on another function, a deleted user, a user of another corporation.
  EXPECT_EQ(First("MN_UpdateCustomerRec", Customer("C902", "000002", 105)), "-1");
  EXPECT_EQ(First("MN_UpdateCustomerRec", Customer("C902", "000006")), "-1");
  EXPECT_EQ(First("MN_UpdateCustomerRec", Customer("C902", "200001")), "-1");
  EXPECT_EQ(First("MN_UpdateCustomerRec", Customer("C900", "000001", 201, "CHANGED")), "1");
  EXPECT_EQ(Scalar("SELECT name_addr || operator FROM customer WHERE cust_id = 'C900'"),
            "CHANGED000001");

  host::Args tooLong = Customer("C903", "000001", 201, std::string(141, 'a'));
  EXPECT_EQ(First("MN_UpdateCustomerRec", tooLong), "0");
  host::Args badStatus = Customer("C903", "000001");
  badStatus[8] = I(2);
  EXPECT_EQ(First("MN_UpdateCustomerRec", badStatus), "0");
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id IN ('C902', 'C903')"), 0);

  // Quotes and SQL in a text are stored literally and touch no other row.
  std::string evil = "');DELETE FROM customer";
  EXPECT_EQ(First("MN_UpdateCustomerRec", Customer(evil, "000001")), "1");
  EXPECT_EQ(Call("MN_GetPropOfCustomer", {T("0012"), T(evil)}).rows[0][0], evil);
  EXPECT_EQ(Count("SELECT count(*) FROM customer"), 9);
}

// The customer account record: function, id, customer, corp, currency, number, CNY
// bank, intermediary bank, type, account at the bank, bank name and address,
// operator, status.
host::Args CustAc(std::int64_t id, const std::string& currency, const std::string& type,
                  const std::string& bank, std::int64_t intBank = 0,
                  const std::string& cust = "C003", const std::string& cnyBank = "某银行") {
  return {I(930),     I(id),   T(cust), T("0012"), T(currency), T("AC-1"), T(cnyBank),
          I(intBank), T(type), T(""),   T(bank),   T("000001"), I(1)};
}

TEST_F(ProcRecords, CustomerAccountUpdateAddsChangesAndRefusesInconsistentBanks) {
  host::Answer added = Call("MN_UpdateCustAcRec", CustAc(0, "CNY", "", ""));
  ASSERT_EQ(added.rows[0][0], "1");
  std::int64_t id = std::stoll(added.rows[0][1]);
  EXPECT_EQ(Scalar("SELECT cust_id || currency || coalesce(CAST(int_bank_id AS TEXT), 'none') FROM "
                   "cust_account "
                   "WHERE ac_id = ?",
                   {std::to_string(id)}),
            "C003CNYnone");

  // Type A needs a code the directory knows in its first line; any of its forms will do.
  EXPECT_EQ(First("MN_UpdateCustAcRec", CustAc(id, "USD", "A", "lolcgb2l\x0ELOTUS", 3)), "1");
  EXPECT_EQ(Scalar("SELECT bank_name_addr FROM cust_account WHERE ac_id = ?", {std::to_string(id)}),
            "lolcgb2l\r\nLOTUS");
  struct Refusal {
    host::Args args;
    const char* says;
  };
  const Refusal refusals[] = {
      {CustAc(id, "USD", "A", "ZZZZZZZZXXX\x0EUNKNOWN"), "not in the directory"},
      {CustAc(id, "USD", "X", "SOME BANK"), "bank type"},
      {CustAc(id, "USD", "D", "  "), "name and address are empty"},
      {CustAc(id, "CNY", "", "", 0, "C003", " "), "needs its bank name"},
      {CustAc(id, "XYZ", "D", "B"), "currency XYZ"},
      {CustAc(id, "USD", "D", "B", 99), "intermediary bank 99"},
      {CustAc(id, "USD", "D", "B", 0, "C001"), "belongs to customer C003"},
      {CustAc(id, "USD", "D", "B", 0, "C999"), "customer C999"},
      {CustAc(999, "USD", "D", "B"), "account 999"},
  };
  for (const Refusal& r : refusals) {
    host::Answer a = Call("MN_UpdateCustAcRec", r.args);
    EXPECT_EQ(a.rows[0][0], "0") << r.says;
    EXPECT_NE(a.rows[0][1].find(r.says), std::string::npos) << a.rows[0][1];
  }
  host::Args noRight = CustAc(0, "CNY", "", "");
  noRight[11] = T("000004");
  EXPECT_EQ(First("MN_UpdateCustAcRec", noRight), "-1");
  EXPECT_EQ(Scalar("SELECT currency || int_bank_id FROM cust_account WHERE ac_id = ?",
                   {std::to_string(id)}),
            "USD3");
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account"), 7);
}

host::Args Payee(const std::string& id, const std::string& email,
                 const std::string& op = "000001") {
  return {I(203), T(id), T("0012"), T("户名"), T("6222"), T("银行"),
          T(op),  I(1),  T(""),     T(email),  T("139")};
}

TEST_F(ProcRecords, PayeeUpdateCreatesChangesAndRefusesBadInput) {
  EXPECT_EQ(Call("MN_UpdateCustCNYAcRec", Payee("P100",
                                                "a@b\x0E"
                                                "c@d"))
                .rows,
            (std::vector<Row>{{"1", "P100"}}));
  EXPECT_EQ(Call("MN_GetPropOfCustCNYAc '0012','P100'").rows[0][8], "a@b\r\nc@d");
  EXPECT_EQ(First("MN_UpdateCustCNYAcRec", Payee("P100", "")), "1");
  EXPECT_EQ(First("MN_UpdateCustCNYAcRec", Payee("P100", "no-at-sign")), "0");
  EXPECT_EQ(First("MN_UpdateCustCNYAcRec", Payee("P101", "", "000004")), "-1");
  host::Args noName = Payee("P102", "");
  noName[3] = T(" ");
  EXPECT_EQ(First("MN_UpdateCustCNYAcRec", noName), "0");
  EXPECT_EQ(Count("SELECT count(*) FROM cny_payee WHERE payee_id IN ('P101', 'P102')"), 0);
  EXPECT_EQ(Scalar("SELECT email FROM cny_payee WHERE payee_id = 'P100'"), "");
}

TEST_F(ProcRecords, ExistenceCountsTellDependentDataAndUnfinishedBusiness) {
  struct Case {
    const char* command;
    const char* count;
  };
  const Case cases[] = {
      {"MN_CustomerExists 'C003','0012'", "1"},  // no accounts
      {"MN_CustomerExists 'C001','0012'", "2"},  // bank accounts
      {"MN_CustomerExists 'C002','0012'", "2"},  // accounts; only deleted business
      {"MN_CustomerExists 'C004','0012'", "3"},  // unfinished business
      {"MN_CustomerExists 'C999','0012'", "0"},
      {"MN_CustomerExists ' C003 ','0012'", "1"},
      {"MN_CustCNYAcExists 'P001','0012'", "1"},
      {"MN_CustCNYAcExists 'P002','0012'", "2"},  // finished payments
      {"MN_CustCNYAcExists 'P003','0012'", "3"},  // a payment still to check
      {"MN_CustCNYAcExists 'P009','0012'", "0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Call(c.command).rows, (std::vector<Row>{{c.count}})) << c.command;
  }
}

TEST_F(ProcRecords, DeletesRemoveDependentsAndRefuseRecordsOfUnfinishedBusiness) {
  EXPECT_EQ(Call("MN_CustomerDelete 'C001','0012'").rows, (std::vector<Row>{{"1", "C001"}}));
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE cust_id = 'C001'"), 0);
  EXPECT_EQ(First("MN_CustomerDelete 'C001','0012'"), "0");
  EXPECT_EQ(First("MN_CustomerDelete 'C004','0012'"), "0");
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE cust_id = 'C004'"), 1);

  EXPECT_EQ(First("MN_CustCNYAcDelete 'P002','0012'"), "1");
  // The finished payment keeps its own copy of the payee.
  EXPECT_EQ(Scalar("SELECT payee_name FROM business WHERE biz_no = 'B20261130001'"),
            "南京华盛建材有限公司");
  EXPECT_EQ(First("MN_CustCNYAcDelete 'P003','0012'"), "0");
  EXPECT_EQ(First("MN_CustCNYAcDelete 'P003','0020'"), "0");
  EXPECT_EQ(Count("SELECT count(*) FROM cny_payee"), 2);
}

TEST_F(ProcRecords, ChangeOfIdIsCarriedIntoEveryDependentRow) {
  EXPECT_EQ(Call("MN_CustomerUpdate 'C001','C100','0012'").rows, (std::vector<Row>{{"1", "C100"}}));
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE cust_id = 'C100'"), 2);
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id = 'C001'"), 0);
  EXPECT_EQ(Scalar("SELECT cust_name FROM customer WHERE cust_id = 'C100'"),
            "上海远航贸易有限公司");

  EXPECT_EQ(First("MN_CustomerUpdate 'C002','C200','0012'"), "1");
  EXPECT_EQ(Scalar("SELECT payee_id FROM business WHERE biz_no = 'B20261129001'"), "C200");
  EXPECT_EQ(First("MN_CustCNYAcUpdate 'P002','P200','0012'"), "1");
  EXPECT_EQ(Scalar("SELECT payee_id FROM business WHERE biz_no = 'B20261130001'"), "P200");

  // Unfinished business, a new id taken, no such record.
  for (const char* refused :
       {"MN_CustomerUpdate 'C004','C400','0012'", "MN_CustomerUpdate 'C100','C003','0012'",
        "MN_CustomerUpdate 'C999','C998','0012'", "MN_CustCNYAcUpdate 'P003','P300','0012'",
        "MN_CustCNYAcUpdate 'P001','P003','0012'"}) {
    EXPECT_EQ(First(refused), "0") << refused;
  }
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE corp_id = '0012'"), 5);
}

host::Args SnapIn(const std::string& user, const std::string& cust, const std::string& acNo,
                  const std::string& name, const std::string& bank) {
  return {I(201), T("0012"), T(user), T(cust), T(acNo), T(name), T(bank)};
}

TEST_F(ProcRecords, SnapInImportsCustomersWithTheirCnyAccountAndRefusesWithoutChanges) {
  EXPECT_EQ(
      First("MN_CustSnapIn", SnapIn("000001", "N001", "6222001", "新客户", "某银行")).substr(0, 1),
      "1");
  EXPECT_EQ(Scalar("SELECT c.cust_name || a.currency || a.ac_no || a.cny_bank FROM customer c "
                   "JOIN cust_account a USING (corp_id, cust_id) WHERE c.cust_id = 'N001'"),
            "新客户CNY6222001某银行");
  // The same line again, and a second account for the customer.
  EXPECT_EQ(First("MN_CustSnapIn", SnapIn("000001", "N001", "6222001", "新客户", "某银行"))[0],
            '1');
  EXPECT_EQ(First("MN_CustSnapIn", SnapIn("000001", "N001", "6222002", "", "某银行"))[0], '1');
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE cust_id = 'N001'"), 2);

  const host::Args refused[] = {
      SnapIn("000001", "N002", "6222003", "", "某银行"),      // new customer without name
      SnapIn("000004", "N002", "6222003", "名称", "某银行"),  // no right to add
      SnapIn("000001", "N002", "6222003", "名称", ""),        // account without bank
      SnapIn("000001", "N002", std::string(37, '1'), "名称", "某银行"),
  };
  for (const host::Args& args : refused) {
    std::string answer = First("MN_CustSnapIn", args);
    EXPECT_EQ(answer.substr(0, 2), "0 ") << answer;
  }
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id = 'N002'"), 0);
}

TEST_F(ProcRecords, AnImportRefusedPartWayLeavesNoCustomerBehind) {
  // The account insert fails after the customer row was written.
  if (OnPostgres()) {
    db_->Exec("ALTER TABLE cust_account ADD CONSTRAINT no_account_boom CHECK (ac_no <> 'BOOM')");
  } else {
    db_->Exec(
        "CREATE TEMP TRIGGER refuse_boom BEFORE INSERT ON cust_account WHEN NEW.ac_no = 'BOOM'"
        " BEGIN SELECT RAISE(ABORT, 'no account BOOM'); END");
  }
  std::string answer = First("MN_CustSnapIn", SnapIn("000001", "N003", "BOOM", "名称", "某银行"));
  EXPECT_EQ(answer.substr(0, 2), "0 ") << answer;
  EXPECT_NE(answer.find(OnPostgres() ? "no_account_boom" : "no account BOOM"), std::string::npos)
      << answer;
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id = 'N003'"), 0);
  EXPECT_EQ(First("MN_CustSnapIn", SnapIn("000001", "N003", "6222", "名称", "某银行"))[0], '1');
}

TEST_F(ProcRecords, ExportGivesCnyOrForeignCurrencyRows) {
  host::Answer cny = Call("MN_CustExport '0012',0");
  ASSERT_EQ(cny.rows.size(), 2u);
  EXPECT_EQ(cny.rows[0],
            (Row{"C001", "上海远航贸易有限公司", "622202001234567890", "中国工商银行上海分行"}));
  host::Answer foreign = Call("MN_CustExport '0012',1");
  ASSERT_EQ(foreign.rows.size(), 3u);
  EXPECT_EQ(foreign.rows[1][0], "C002");
  EXPECT_EQ(foreign.rows[1][2], "HKD");
  EXPECT_EQ(foreign.rows[1][6], "HARBOUR COMMERCIAL BANK\r\n18 HARBOUR STREET\r\nHONG KONG");
  EXPECT_TRUE(Call("MN_CustExport '0031',0").rows.empty());
}

}  // namespace
