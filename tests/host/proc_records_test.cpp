// Records: property reads, updates and their refusals, existence counts, deletes and
// changes of id, import and export (a raw 0x0E in a text must be stored as CR LF); the
// SWIFT directory: code forms, searches, address lookup and the CSV import.
#include <gtest/gtest.h>

#include <sstream>

#include "HostTestSupport.h"
#include "host/SwiftDirectory.h"

namespace {

using hosttest::I;
using hosttest::T;
using Row = std::vector<std::string>;

using ProcRecords = hosttest::BankTest;

TEST_F(ProcRecords, PropertyReadsCountsAndExportAnswerTheFieldsInTheModulesOrder) {
  Expect({
      {"MN_GetPropOfUser '000001'", "000001|0012|D|王建国|演示贸易有限公司|2"},
      {"MN_GetPropOfAccount '0012','310012000400001'",
       "310012000400001|0012|演示贸易有限公司|EUR|0|欧元结算户|2"},
      {"MN_GetPropOfCustomer '0012 ','C002'",
       "C002|0012|香港恒昌贸易公司|HANG CHEONG TRADING CO\r\n18 QUEEN'S ROAD CENTRAL\r\nHONG "
       "KONG||hc@hangcheong.example|000002|1"},
      {"MN_GetPropOfCustCNYAc '0012','P001'",
       "P001|0012|杭州明达电子有限公司|1202020209000012345|中国工商银行杭州分行|000001|1||pay@"
       "mingda.example|13800000001"},
      {"MN_GetCorpName '0020'", "华东机电进出口公司"},
      {"ST_GetBankSimple 3",
       "3|LOTUS SAVINGS BANK|36 BRIDGE AVENUE|CITY OF LONDON|LONDON 13712|UNITED KINGDOM|"
       "LOLCGB2LXXX"},
      // With and without an intermediary bank.
      {"MN_GetPropOfCustAc 2",
       "2|C001|0012|USD|88001234567|上海远航贸易有限公司||2|A|400123|AUADHKHHXXX\r\nAURORA "
       "BANK\r\n10 KING'S ROAD\r\nCENTRAL\r\nHONG KONG 10000\r\nHONG KONG SAR CHINA|000001|1"},
      {"MN_GetPropOfCustAc 1",
       "1|C001|0012|CNY|622202001234567890|上海远航贸易有限公司|中国工商银行上海分行|0||||000001|"
       "1"},
      // Dependent data and unfinished business.
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
      {"MN_CustExport '0012',0",
       "C001|上海远航贸易有限公司|622202001234567890|中国工商银行上海分行\n"
       "C004|深圳海岸物流有限公司|755912345678001|招商银行深圳分行"},
      // Unknown records and bad keys.
      {"MN_GetPropOfUser '999999'", "!user 999999"},
      {"MN_GetPropOfUser '1234567'", "!longer than 6"},
      {"MN_GetPropOfAccount '0020','310012000100001'", "!account 310012000100001"},
      {"MN_GetPropOfCustomer '0020','C001'", "!customer C001"},
      {"MN_GetPropOfCustomer '','C001'", "!corporation id is empty"},
      {"MN_GetPropOfCustAc 999", "!customer account 999"},
      {"MN_GetPropOfCustCNYAc '0012','P999'", "!payee P999"},
      {"ST_GetBankSimple 0", "!bank 0"},
      {"MN_GetCorpName '12345'", "!longer than 4"},
      {"MN_CustomerUpdate 'C003','nnnnnnnnnnnnnnnnnnnnnnnnn','0012'", "!longer than 24"},
      {"MN_CustExport '0012',2", "!export type 2"},
  });
  const host::Answer foreign = Call("MN_CustExport '0012',1");
  ASSERT_EQ(foreign.rows.size(), 3u);
  EXPECT_EQ(foreign.rows[1][0], "C002");
  EXPECT_EQ(foreign.rows[1][2], "HKD");
  EXPECT_EQ(foreign.rows[1][6], "HARBOUR COMMERCIAL BANK\r\n18 HARBOUR STREET\r\nHONG KONG");
}

// Refusals answer 0 with the reason and change nothing; 50 bytes of GBK fit the name.
TEST_F(ProcRecords, AccountUpdateChangesTheNameAndKeepsAnUnmatchedStatus) {
  const char* sql =
      "SELECT ac_name || '/' || status FROM corp_account WHERE ac_no = '310012000400001'";
  const std::string update = "MN_UpdateAccountRec 102,'310012000400001','00";
  const std::string chinese24 = "一二三四五六七八九十一二三四五六七八九十一二三四";
  Expect({{update + "12','O''Neil 户',-1", "1|310012000400001"}});
  EXPECT_EQ(Scalar(sql), "O'Neil 户/2");
  Expect({
      {update + "12','x',1", "1|310012000400001"},
      {update + "12','y',7", "0|account status 7 is not 0, 1 or 2"},
      {update + "20','y',1", "0|account 310012000400001 of corporation 0020 does not exist"},
      {update + "12','" + chinese24 + "五六',1", "0|account name is longer than 50 bytes"},
      {update + "12','a\ab',1", "0|account name holds the field separator 0x07"},
  });
  EXPECT_EQ(Scalar(sql), "x/1");
  EXPECT_EQ(First(update + "12','" + chinese24 + "五',1"), "1");
}

// A customer: function, id, corp, name, name and address, remark, e-mail, operator, status.
host::Args Customer(const std::string& id, const std::string& op, std::int64_t function = 201,
                    const std::string& nameAddr = "ACME\0161 MAIN ST") {
  return {I(function),      T(id), T("0012"), T("新客户"), T(nameAddr), T("r"),
          T("a@b.example"), T(op), I(1)};
}

TEST_F(ProcRecords, CustomerUpdateStoresLineBreaksAsCrLfAndChecksTheOperatorsRights) {
  EXPECT_EQ(Call("MN_UpdateCustomerRec", Customer("C900", "000002")).rows,
            (std::vector<Row>{{"1", "C900"}}));
  EXPECT_EQ(Scalar("SELECT name_addr FROM customer WHERE cust_id = 'C900'"), "ACME\r\n1 MAIN ST");
  EXPECT_EQ(Call("MN_GetPropOfCustomer '0012','C900'").rows[0][3], "ACME\r\n1 MAIN ST");
  // 000002 may add but no longer modify customers; 140 bytes fit the name and address.
  Call("MN_UpdateRightItem '0012','000002',201,'11'");
  host::Args badStatus = Customer("C903", "000001");
  badStatus[8] = I(2);
  const std::pair<host::Args, const char*> updates[] = {
      {Customer("C900", "000002", 201, "CHANGED"), "-1"},
      {Customer("C901", "000002"), "1"},
      {Customer("C900", "000001", 201, "CHANGED"), "1"},
      {Customer("C903", "000001", 201, std::string(141, 'a')), "0"},
      {Customer("C904", "000001", 201, std::string(140, 'a')), "1"},
      {badStatus, "0"},
  };
  for (const auto& [args, code] : updates) {
    EXPECT_EQ(First("MN_UpdateCustomerRec", args), code) << args[1].text << " " << args[7].text;
  }
  EXPECT_EQ(Scalar("SELECT name_addr || operator FROM customer WHERE cust_id = 'C900'"),
            "CHANGED000001");
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id = 'C903'"), 0);
  // Quotes and SQL in a text are stored literally and touch no other row.
  const std::string evil = "');DELETE FROM customer";
  EXPECT_EQ(First("MN_UpdateCustomerRec", Customer(evil, "000001")), "1");
  EXPECT_EQ(Call("MN_GetPropOfCustomer", {T("0012"), T(evil)}).rows[0][0], evil);
  EXPECT_EQ(Count("SELECT count(*) FROM customer"), 10);
}

// A customer account: function, id, customer, corp, currency, number, CNY bank,
// intermediary bank, type, account at the bank, bank name and address, operator, status.
host::Args CustAc(std::int64_t id, const std::string& currency, const std::string& type,
                  const std::string& bank, std::int64_t intBank = 0,
                  const std::string& cust = "C003", const std::string& cnyBank = "某银行") {
  return {I(930),     I(id),   T(cust), T("0012"), T(currency), T("AC-1"), T(cnyBank),
          I(intBank), T(type), T(""),   T(bank),   T("000001"), I(1)};
}

TEST_F(ProcRecords, CustomerAccountUpdateAddsChangesAndRefusesInconsistentBanks) {
  const host::Answer added = Call("MN_UpdateCustAcRec", CustAc(0, "CNY", "", ""));
  ASSERT_EQ(added.rows[0][0], "1");
  const std::int64_t id = std::stoll(added.rows[0][1]);
  const std::vector<std::string> key = {std::to_string(id)};
  EXPECT_EQ(Scalar("SELECT cust_id || currency || coalesce(CAST(int_bank_id AS TEXT), 'none') "
                   "FROM cust_account WHERE ac_id = ?",
                   key),
            "C003CNYnone");
  // Type A needs a code the directory knows in its first line; any of its forms will do.
  EXPECT_EQ(First("MN_UpdateCustAcRec", CustAc(id, "USD", "A", "lolcgb2l\016LOTUS", 3)), "1");
  EXPECT_EQ(Scalar("SELECT bank_name_addr FROM cust_account WHERE ac_id = ?", key),
            "lolcgb2l\r\nLOTUS");
  const std::pair<host::Args, const char*> refusals[] = {
      {CustAc(id, "USD", "A", "ZZZZZZZZXXX\016UNKNOWN"), "not in the directory"},
      {CustAc(id, "USD", "X", "SOME BANK"), "bank type"},
      {CustAc(id, "USD", "D", "  "), "name and address are empty"},
      {CustAc(id, "CNY", "", "", 0, "C003", " "), "needs its bank name"},
      {CustAc(id, "XYZ", "D", "B"), "currency XYZ"},
      {CustAc(id, "USD", "D", "B", 99), "intermediary bank 99"},
      {CustAc(id, "USD", "D", "B", 0, "C001"), "belongs to customer C003"},
      {CustAc(id, "USD", "D", "B", 0, "C999"), "customer C999"},
      {CustAc(999, "USD", "D", "B"), "account 999"},
  };
  for (const auto& [args, says] : refusals) {
    const host::Answer a = Call("MN_UpdateCustAcRec", args);
    EXPECT_EQ(a.rows[0][0], "0") << says;
    EXPECT_NE(a.rows[0][1].find(says), std::string::npos) << a.rows[0][1];
  }
  host::Args noRight = CustAc(0, "CNY", "", "");
  noRight[11] = T("000004");
  EXPECT_EQ(First("MN_UpdateCustAcRec", noRight), "-1");
  EXPECT_EQ(Scalar("SELECT currency || int_bank_id FROM cust_account WHERE ac_id = ?", key),
            "USD3");
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account"), 7);
}

host::Args Payee(const std::string& id, const std::string& email, const std::string& op = "000001",
                 const std::string& name = "户名") {
  return {I(203), T(id), T("0012"), T(name),  T("6222"), T("银行"),
          T(op),  I(1),  T(""),     T(email), T("139")};
}

TEST_F(ProcRecords, PayeeUpdateCreatesChangesAndRefusesBadInput) {
  EXPECT_EQ(Call("MN_UpdateCustCNYAcRec", Payee("P100", "a@b\016c@d")).rows,
            (std::vector<Row>{{"1", "P100"}}));
  EXPECT_EQ(Call("MN_GetPropOfCustCNYAc '0012','P100'").rows[0][8], "a@b\r\nc@d");
  const std::pair<host::Args, const char*> updates[] = {
      {Payee("P100", ""), "1"},
      {Payee("P100", "no-at-sign"), "0"},
      {Payee("P101", "", "000004"), "-1"},
      {Payee("P102", "", "000001", " "), "0"},
  };
  for (const auto& [args, code] : updates) {
    EXPECT_EQ(First("MN_UpdateCustCNYAcRec", args), code) << args[1].text;
  }
  EXPECT_EQ(Count("SELECT count(*) FROM cny_payee WHERE payee_id IN ('P101', 'P102')"), 0);
  EXPECT_EQ(Scalar("SELECT email FROM cny_payee WHERE payee_id = 'P100'"), "");
}

// A change of id is carried into every dependent row; deletes take dependents along;
// both refuse records of unfinished business. A finished payment keeps its own copy of
// the payee.
TEST_F(ProcRecords, ChangesOfIdAndDeletesKeepDependentRowsRight) {
  Expect({
      {"MN_CustomerUpdate 'C001','C100','0012'", "1|C100"},
      {"MN_CustomerUpdate 'C002','C200','0012'", "1|C200"},
      {"MN_CustCNYAcUpdate 'P002','P200','0012'", "1|P200"},
  });
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE cust_id = 'C100'"), 2);
  EXPECT_EQ(Scalar("SELECT cust_name FROM customer WHERE cust_id = 'C100'"),
            "上海远航贸易有限公司");
  EXPECT_EQ(Scalar("SELECT payee_id FROM business WHERE biz_no = 'B20261129001'"), "C200");
  EXPECT_EQ(Scalar("SELECT payee_id FROM business WHERE biz_no = 'B20261130001'"), "P200");
  // Unfinished business, a new id taken, no such record, another corporation's.
  for (const char* refused :
       {"MN_CustomerUpdate 'C004','C400','0012'", "MN_CustomerUpdate 'C100','C003','0012'",
        "MN_CustomerUpdate 'C999','C998','0012'", "MN_CustCNYAcUpdate 'P003','P300','0012'",
        "MN_CustCNYAcUpdate 'P001','P003','0012'", "MN_CustCNYAcDelete 'P003','0020'"}) {
    EXPECT_EQ(First(refused), "0") << refused;
  }
  Expect({
      {"MN_CustomerDelete 'C100','0012'", "1|C100"},
      {"MN_CustomerDelete 'C100','0012'", "0|customer C100 does not exist"},
      {"MN_CustomerDelete 'C004','0012'", "0|customer C004 is named by unfinished business"},
      {"MN_CustCNYAcDelete 'P200','0012'", "1|P200"},
      {"MN_CustCNYAcDelete 'P003','0012'", "0|payee P003 is named by unfinished business"},
  });
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE cust_id IN ('C001', 'C100')"), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE cust_id = 'C004'"), 1);
  EXPECT_EQ(Scalar("SELECT payee_name FROM business WHERE biz_no = 'B20261130001'"),
            "南京华盛建材有限公司");
  EXPECT_EQ(Count("SELECT count(*) FROM cny_payee"), 2);
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE corp_id = '0012'"), 4);
}

host::Args SnapIn(const std::string& user, const std::string& cust, const std::string& acNo,
                  const std::string& name, const std::string& bank) {
  return {I(201), T("0012"), T(user), T(cust), T(acNo), T(name), T(bank)};
}

// The import answers "1 ..." or "0 reason"; a line again and a second account are taken.
TEST_F(ProcRecords, SnapInImportsCustomersWithTheirCnyAccountAndRefusesWithoutChanges) {
  const std::pair<host::Args, char> lines[] = {
      {SnapIn("000001", "N001", "6222001", "新客户", "某银行"), '1'},
      {SnapIn("000001", "N001", "6222001", "新客户", "某银行"), '1'},
      {SnapIn("000001", "N001", "6222002", "", "某银行"), '1'},
      {SnapIn("000001", "N002", "6222003", "", "某银行"), '0'},      // new customer without name
      {SnapIn("000004", "N002", "6222003", "名称", "某银行"), '0'},  // no right to add
      {SnapIn("000001", "N002", "6222003", "名称", ""), '0'},        // account without bank
      {SnapIn("000001", "N002", std::string(37, '1'), "名称", "某银行"), '0'},
  };
  for (const auto& [args, code] : lines) {
    const std::string answer = First("MN_CustSnapIn", args);
    EXPECT_EQ(answer.substr(0, 2), std::string(1, code) + " ") << answer;
  }
  EXPECT_EQ(Scalar("SELECT c.cust_name || a.currency || a.ac_no || a.cny_bank FROM customer c "
                   "JOIN cust_account a USING (corp_id, cust_id) WHERE a.ac_no = '6222001'"),
            "新客户CNY6222001某银行");
  EXPECT_EQ(Count("SELECT count(*) FROM cust_account WHERE cust_id = 'N001'"), 2);
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id = 'N002'"), 0);
  // The account insert fails after the customer row was written.
  if (OnPostgres()) {
    db_->Exec("ALTER TABLE cust_account ADD CONSTRAINT no_account_boom CHECK (ac_no <> 'BOOM')");
  } else {
    db_->Exec(
        "CREATE TEMP TRIGGER refuse_boom BEFORE INSERT ON cust_account WHEN NEW.ac_no = 'BOOM'"
        " BEGIN SELECT RAISE(ABORT, 'no account BOOM'); END");
  }
  const std::string answer =
      First("MN_CustSnapIn", SnapIn("000001", "N003", "BOOM", "名称", "某银行"));
  EXPECT_EQ(answer.substr(0, 2), "0 ") << answer;
  EXPECT_NE(answer.find(OnPostgres() ? "no_account_boom" : "no account BOOM"), std::string::npos)
      << answer;
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id = 'N003'"), 0);
  EXPECT_EQ(First("MN_CustSnapIn", SnapIn("000001", "N003", "6222", "名称", "某银行"))[0], '1');
}

TEST(ProcSwiftCode, EveryFormComesToTheElevenCharacterCode) {
  const std::pair<const char*, const char*> cases[] = {
      {"PQRSTUVW", "PQRSTUVWXXX"},
      {"PQRSTUVWX", "PQRSTUVWXXX"},
      {"PQRSTUVW1XYZ", "PQRSTUVWXYZ"},
      {" PQRSTUVW123 ", "PQRSTUVW123"},
      {"PQRSTUV", ""},
      {"PQRSTUVWXY", ""},
      {"PQRSTUVW-XY", ""},
      {"PQRSTUVWXXXXX", ""},
  };
  for (const auto& [text, code] : cases) {
    EXPECT_EQ(host::NormaliseSwiftCode(text), code) << text;
  }
  EXPECT_EQ(host::SwiftAddress12("PQRSTUVWXYZ"), "PQRSTUVWAXYZ");
}

class ProcSwift : public hosttest::BankTest {
 protected:
  // The import in its own write transaction, as tavro-bank runs it; its error or "".
  std::string Import(const std::string& text, std::size_t loaded = 0) {
    std::istringstream in(text);
    db_->Begin(host::Access::Writes);
    try {
      EXPECT_EQ(host::ImportSwiftCsv(*db_, in), loaded) << text;
      db_->Commit();
      return "";
    } catch (const std::runtime_error& e) {
      db_->Rollback();
      return e.what();
    }
  }
};

TEST_F(ProcSwift, DirectoryFitsTheSwiftFieldLimits) {
  EXPECT_GE(Count("SELECT count(*) FROM swift_bank"), 200);
  EXPECT_EQ(
      Count("SELECT count(*) FROM swift_bank WHERE length(bank_name) > 50 OR "
            "length(addr1) > 35 OR length(addr2) > 35 OR length(addr3) > 35 OR length(addr4) > 35"),
      0);
}

// Rows begin with the 12-character code; "BANK" begins no name but stands in all of
// them; wildcards in a keyword are taken literally.
TEST_F(ProcSwift, SearchesByNameBeginningAnywhereAndCodeWithCityNarrowingAndAddresses) {
  const std::string lotus = "LOLCGB2LAXXX LOTUS SAVINGS BANK / LONDON";
  Expect({
      {"MB_GetSwiftBankByLeft 'lotus','lon'", lotus},
      {"MB_GetSwiftBankBySwfCode 'LOLCGB2LAXXX'", lotus},
      {"MB_GetSwiftBankByLeft 'BANK',''", ""},
      {"MB_GetSwiftBankByAny '%',''", ""},
      {"MB_GetSwiftBankByLeft 'L_TUS',''", ""},
      {"MB_GetSwiftBankByLeft '  ','LONDON'", "!empty"},
      {"MB_GetSwiftBankByAny '  ','LONDON'", "!empty"},
      {"MB_GetSwiftBankBySwfCode ''", "!empty"},
  });
  const Row anyCity = Column("MB_GetSwiftBankByLeft 'lotus',''");
  EXPECT_GT(anyCity.size(), 10u);  // the bank in every city, and its branches
  for (const std::string& row : anyCity) {
    EXPECT_EQ(row.substr(13, 5), "LOTUS");
  }
  const Row any = Column("MB_GetSwiftBankByAny 'savings','tokyo'");
  ASSERT_FALSE(any.empty());
  for (const std::string& row : any) {
    EXPECT_NE(row.find("SAVINGS"), std::string::npos);
    EXPECT_NE(row.find("/ TOKYO"), std::string::npos);
  }
  const Row code = Column("MB_GetSwiftBankBySwfCode 'lolcgb'");
  ASSERT_FALSE(code.empty());
  for (const std::string& row : code) {
    EXPECT_EQ(row.substr(0, 6), "LOLCGB");
  }
  // The address of a search row's first 12 characters and of the short forms.
  const std::string address =
      "LOTUS SAVINGS BANK|36 BRIDGE AVENUE|CITY OF LONDON|LONDON 13712|UNITED KINGDOM";
  for (const char* form : {"LOLCGB2LXXX", "LOLCGB2L", "LOLCGB2LA", "lolcgb2lxxx"}) {
    EXPECT_EQ(Text("MB_GetSwfAddress '" + std::string(form) + "'"), address) << form;
  }
  for (const char* form : {"ZZZZZZZZ", "LOLC", "", "LOLCGB2L'--"}) {
    EXPECT_TRUE(Call("MB_GetSwfAddress", {T(form)}).rows.empty()) << form;
  }
}

// Another encoding or a zero byte would be stored as texts the wire cannot carry: the
// line at fault is named and nothing of the file is stored.
TEST_F(ProcSwift, CsvImportAddsOrReplacesAllOrNothing) {
  EXPECT_EQ(Import("code,name,address1,address2,address3,address4,city\r\n"
                   "TESTCNSHXXX,\"TEST BANK, SHANGHAI\",1 ROAD,,,CHINA,SHANGHAI\r\n"
                   "\r\n"
                   "lolcgb2l,LOTUS NEW NAME,\"2 \"\"QUOTED\"\" LANE\",,,,LONDON\n",
                   2),
            "");
  EXPECT_EQ(Text("MB_GetSwfAddress 'TESTCNSH'"), "TEST BANK, SHANGHAI|1 ROAD|||CHINA");
  EXPECT_EQ(Call("MB_GetSwfAddress 'LOLCGB2L'").rows[0][1], "2 \"QUOTED\" LANE");
  const std::int64_t before = Count("SELECT count(*) FROM swift_bank");
  const std::string head = "code,name,address1,address2,address3,address4,city\n";
  const std::string good = "NEWBCNSHXXX,NEW BANK,,,,,SHANGHAI\n";
  const std::pair<std::string, const char*> bad[] = {
      {good + "BADCODE,X,,,,,Y\n", "line 2: 'BADCODE' is no SWIFT code"},
      {good + "NEWCCNSHXXX,\"OPEN,,,,,Y\n", "line 2: a quoted field is not closed"},
      {"NEWBCNSHXXX,NEW BANK,,,,\n",
       "line 1: expected 7 fields (code, name, address 1 to 4, city), got 6"},
      {"NEWBCNSHXXX,,,,,,SHANGHAI\n", "line 1: bank name is empty"},
      {"NEWBCNSHXXX,NEW BANK,THIS ADDRESS LINE IS FAR TOO LONG FOR SWIFT,,,,X\n",
       "line 1: address line 1 is longer than 35 bytes"},
      {head + good + "BADECNSHXXX,\xD2\xF8\xD0\xD0,,,,,SHANGHAI\n", "line 3: is not UTF-8 text"},
      {good + good + std::string("BADECNSHXXX,BAD\0BANK,,,,,X\n", 27), "line 3: holds a zero byte"},
  };
  for (const auto& [text, error] : bad) {
    EXPECT_EQ(Import(text), error) << text;
  }
  EXPECT_EQ(Count("SELECT count(*) FROM swift_bank"), before);
  EXPECT_EQ(Import("CHINCNSHXXX,中国演示银行,浦东大道1号,,,,上海\n", 1), "");  // Chinese is welcome
}

}  // namespace
