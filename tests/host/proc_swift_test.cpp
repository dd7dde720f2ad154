// The SWIFT directory: code forms, the three searches with their narrowing, the
// address lookup and the CSV import.
#include <gtest/gtest.h>

#include <sstream>

#include "HostTestSupport.h"
#include "host/SwiftDirectory.h"

namespace {

using hosttest::BankTest;
using hosttest::T;
using Lines = std::vector<std::string>;
using Row = std::vector<std::string>;

TEST(ProcSwiftCode, EveryFormComesToTheElevenCharacterCode) {
  struct Case {
    const char* text;
    const char* code;
  };
  const Case cases[] = {
      {"PQRSTUVW", "PQRSTUVWXXX"},
      {"PQRSTUVWX", "PQRSTUVWXXX"},
      {"PQRSTUVW1XYZ", "PQRSTUVWXYZ"},
      {" PQRSTUVW123 ", "PQRSTUVW123"},
      {"PQRSTUV", ""},
      {"PQRSTUVWXY", ""},
      {"PQRSTUVW-XY", ""},
      {"PQRSTUVWXXXXX", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host::NormaliseSwiftCode(c.text), c.code) << c.text;
  }
  EXPECT_EQ(host::SwiftAddress12("PQRSTUVWXYZ"), "PQRSTUVWAXYZ");
}

class ProcSwift : public BankTest {
 protected:
  // The import in its own write transaction, as tavro-bank runs it.
  std::size_t Import(std::istream& in) {
    db_->Begin(host::Access::Writes);
    try {
      std::size_t loaded = host::ImportSwiftCsv(*db_, in);
      db_->Commit();
      return loaded;
    } catch (...) {
      db_->Rollback();
      throw;
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

TEST_F(ProcSwift, SearchesByNameBeginningAnywhereAndCodeWithCityNarrowing) {
  Lines left = Column("MB_GetSwiftBankByLeft 'lotus','lon'");
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0], "LOLCGB2LAXXX LOTUS SAVINGS BANK / LONDON");

  Lines anyCity = Column("MB_GetSwiftBankByLeft 'lotus',''");
  EXPECT_GT(anyCity.size(), 10u);  // the bank in every city, and its branches
  for (const std::string& row : anyCity) {
    EXPECT_EQ(row.substr(13, 5), "LOTUS");
  }

  // "BANK" begins no name but stands in all of them.
  EXPECT_TRUE(Column("MB_GetSwiftBankByLeft 'BANK',''").empty());
  Lines any = Column("MB_GetSwiftBankByAny 'savings','tokyo'");
  ASSERT_FALSE(any.empty());
  for (const std::string& row : any) {
    EXPECT_NE(row.find("SAVINGS"), std::string::npos);
    EXPECT_NE(row.find("/ TOKYO"), std::string::npos);
  }
  // Wildcards in a keyword are taken literally.
  EXPECT_TRUE(Column("MB_GetSwiftBankByAny '%',''").empty());
  EXPECT_TRUE(Column("MB_GetSwiftBankByLeft 'L_TUS',''").empty());

  Lines code = Column("MB_GetSwiftBankBySwfCode 'lolcgb'");
  ASSERT_FALSE(code.empty());
  for (const std::string& row : code) {
    EXPECT_EQ(row.substr(0, 6), "LOLCGB");
  }
  EXPECT_EQ(Column("MB_GetSwiftBankBySwfCode 'LOLCGB2LAXXX'"), Lines{left[0]});

  for (const char* name : {"MB_GetSwiftBankByLeft", "MB_GetSwiftBankByAny"}) {
    EXPECT_NE(Fail(name, {T("  "), T("LONDON")}).find("empty"), std::string::npos) << name;
  }
  EXPECT_NE(Fail("MB_GetSwiftBankBySwfCode ''").find("empty"), std::string::npos);
}

TEST_F(ProcSwift, AddressLookupTakesTheFormsTheModuleSends) {
  Row lotus = {"LOTUS SAVINGS BANK", "36 BRIDGE AVENUE", "CITY OF LONDON", "LONDON 13712",
               "UNITED KINGDOM"};
  // A search row's first 12 characters, as the module reduces them, and the short forms.
  for (const char* code : {"LOLCGB2LXXX", "LOLCGB2L", "LOLCGB2LA", "lolcgb2lxxx"}) {
    EXPECT_EQ(Call("MB_GetSwfAddress", {T(code)}).rows, (std::vector<Row>{lotus})) << code;
  }
  for (const char* code : {"ZZZZZZZZ", "LOLC", "", "LOLCGB2L'--"}) {
    EXPECT_TRUE(Call("MB_GetSwfAddress", {T(code)}).rows.empty()) << code;
  }
}

TEST_F(ProcSwift, CsvImportAddsOrReplacesAllOrNothing) {
  std::istringstream good(
      "code,name,address1,address2,address3,address4,city\r\n"
      "TESTCNSHXXX,\"TEST BANK, SHANGHAI\",1 ROAD,,,CHINA,SHANGHAI\r\n"
      "\r\n"
      "lolcgb2l,LOTUS NEW NAME,\"2 \"\"QUOTED\"\" LANE\",,,,LONDON\n");
  EXPECT_EQ(Import(good), 2u);
  EXPECT_EQ(Call("MB_GetSwfAddress 'TESTCNSH'").rows,
            (std::vector<Row>{{"TEST BANK, SHANGHAI", "1 ROAD", "", "", "CHINA"}}));
  EXPECT_EQ(Call("MB_GetSwfAddress 'LOLCGB2L'").rows[0][1], "2 \"QUOTED\" LANE");

  std::int64_t before = Count("SELECT count(*) FROM swift_bank");
  const char* bad[] = {
      "NEWBCNSHXXX,NEW BANK,,,,,SHANGHAI\nBADCODE,X,,,,,Y\n",
      "NEWBCNSHXXX,NEW BANK,,,,,SHANGHAI\nNEWCCNSHXXX,\"OPEN,,,,,Y\n",
      "NEWBCNSHXXX,NEW BANK,,,,\n",
      "NEWBCNSHXXX,,,,,,SHANGHAI\n",
      "NEWBCNSHXXX,NEW BANK,THIS ADDRESS LINE IS FAR TOO LONG FOR SWIFT,,,,X\n",
  };
  for (const char* text : bad) {
    std::istringstream in(text);
    EXPECT_THROW(Import(in), std::runtime_error) << text;
  }
  EXPECT_EQ(Count("SELECT count(*) FROM swift_bank"), before);
  EXPECT_EQ(Count("SELECT count(*) FROM swift_bank WHERE swift_code = 'NEWBCNSHXXX'"), 0);
  try {
    std::istringstream in("NEWBCNSHXXX,NEW BANK,,,,,SHANGHAI\nBADCODE,X,,,,,Y\n");
    Import(in);
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
  }
}

// A directory file in another encoding, or holding zero bytes, would be stored as
// texts the wire cannot carry; the line at fault is named and nothing is stored.
TEST_F(ProcSwift, CsvImportRefusesBytesThatAreNoUtf8AndZeroBytesNamingTheLine) {
  const std::string head = "code,name,address1,address2,address3,address4,city\n";
  const std::string good = "GOODCNSHXXX,GOOD BANK,,,,,SHANGHAI\n";
  struct Case {
    std::string text;
    const char* error;
  };
  const Case cases[] = {
      {head + good + "BADECNSHXXX,\xD2\xF8\xD0\xD0,,,,,SHANGHAI\n", "line 3: is not UTF-8 text"},
      {good + "BADECNSHXXX,BAD BANK,,,,,\x80\n", "line 2: is not UTF-8 text"},
      {good + "BADECNSHXXX,BAD \xC0\xAF BANK,,,,,X\n", "line 2: is not UTF-8 text"},  // overlong
      {good + "BADECNSHXXX,BAD \xED\xA0\x80,,,,,X\n", "line 2: is not UTF-8 text"},   // surrogate
      {good + "BADECNSHXXX,BAD \xE4\xB8,,,,,X\n", "line 2: is not UTF-8 text"},       // cut short
      {good + good + std::string("BADECNSHXXX,BAD\0BANK,,,,,X\n", 27), "line 3: holds a zero byte"},
      {good + std::string("\0\n", 2), "line 2: holds a zero byte"},
  };
  std::int64_t before = Count("SELECT count(*) FROM swift_bank");
  for (const Case& c : cases) {
    std::istringstream in(c.text);
    try {
      Import(in);
      ADD_FAILURE() << "imported: " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), c.error) << c.text;
    }
  }
  EXPECT_EQ(Count("SELECT count(*) FROM swift_bank"), before);
  // Chinese names in UTF-8 are welcome.
  std::istringstream chinese("CHINCNSHXXX,中国演示银行,浦东大道1号,,,,上海\n");
  EXPECT_EQ(Import(chinese), 1u);
}

}  // namespace
