// The SWIFT directory: code forms, the three searches with their narrowing, the
// address lookup and the CSV import.
#include <gtest/gtest.h>

#include <sstream>

#include "HostTestSupport.h"
#include "host/SwiftDirectory.h"

namespace {

using hosttest::T;
using Lines = std::vector<std::string>;

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
TEST_F(ProcSwift, SearchesByNameBeginningAnywhereAndCodeWithCityNarrowing) {
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
  const Lines anyCity = Column("MB_GetSwiftBankByLeft 'lotus',''");
  EXPECT_GT(anyCity.size(), 10u);  // the bank in every city, and its branches
  for (const std::string& row : anyCity) {
    EXPECT_EQ(row.substr(13, 5), "LOTUS");
  }
  const Lines any = Column("MB_GetSwiftBankByAny 'savings','tokyo'");
  ASSERT_FALSE(any.empty());
  for (const std::string& row : any) {
    EXPECT_NE(row.find("SAVINGS"), std::string::npos);
    EXPECT_NE(row.find("/ TOKYO"), std::string::npos);
  }
  const Lines code = Column("MB_GetSwiftBankBySwfCode 'lolcgb'");
  ASSERT_FALSE(code.empty());
  for (const std::string& row : code) {
    EXPECT_EQ(row.substr(0, 6), "LOLCGB");
  }
}

// The address of a search row's first 12 characters, as the module reduces them, and
// of the short forms.
TEST_F(ProcSwift, AddressLookupTakesTheFormsTheModuleSends) {
  const std::string lotus =
      "LOTUS SAVINGS BANK|36 BRIDGE AVENUE|CITY OF LONDON|LONDON 13712|UNITED KINGDOM";
  for (const char* code : {"LOLCGB2LXXX", "LOLCGB2L", "LOLCGB2LA", "lolcgb2lxxx"}) {
    EXPECT_EQ(Text("MB_GetSwfAddress '" + std::string(code) + "'"), lotus) << code;
  }
  for (const char* code : {"ZZZZZZZZ", "LOLC", "", "LOLCGB2L'--"}) {
    EXPECT_TRUE(Call("MB_GetSwfAddress", {T(code)}).rows.empty()) << code;
  }
}

// A directory in another encoding, or holding zero bytes, would be stored as texts the
// wire cannot carry: the line at fault is named and nothing of the file is stored.
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
      {good + "BADECNSHXXX,BAD BANK,,,,,\x80\n", "line 2: is not UTF-8 text"},
      {good + "BADECNSHXXX,BAD \xC0\xAF BANK,,,,,X\n", "line 2: is not UTF-8 text"},  // overlong
      {good + "BADECNSHXXX,BAD \xED\xA0\x80,,,,,X\n", "line 2: is not UTF-8 text"},   // surrogate
      {good + "BADECNSHXXX,BAD \xE4\xB8,,,,,X\n", "line 2: is not UTF-8 text"},       // cut short
      {good + good + std::string("BADECNSHXXX,BAD\0BANK,,,,,X\n", 27), "line 3: holds a zero byte"},
      {good + std::string("\0\n", 2), "line 2: holds a zero byte"},
  };
  for (const auto& [text, error] : bad) {
    EXPECT_EQ(Import(text), error) << text;
  }
  EXPECT_EQ(Count("SELECT count(*) FROM swift_bank"), before);
  EXPECT_EQ(Import("CHINCNSHXXX,中国演示银行,浦东大道1号,,,,上海\n", 1), "");  // Chinese is welcome
}

}  // namespace
