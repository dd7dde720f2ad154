// The customer account rules that need no dialog: keys, rights, the stored bank
// address, the SWIFT code of the memo and the order of the save checks.
#include <gtest/gtest.h>

#include <string>

#include "payee/CustAcRules.h"
#include "tests/support/TestEnv.h"

namespace {

using payee::TCustAcMissing;
using tavro_test::Gbk;

TEST(CustAcRules, KeyAndRightsDecideWhoMaySave) {
  struct Case {
    const char* key;
    std::int32_t id;
    const char* rights;
    bool allowed;
  } cases[] = {
      {"0", 0, "01000000", true},   // add right, new account
      {"", 0, "01000000", true},    // no key at all
      {"x9", 0, "01000000", true},  // no number counts as 0
      {"17abc", 0, "01000000", true}, {"99999999999", 0, "01000000", true},  // beyond 32 bits
      {"-5", -5, "01000000", false},  // add counts for account 0 only
      {"-5", -5, "00100000", true},   {" 17 ", 17, "01000000", false},
      {"17", 17, "00100000", true},   {"17", 17, "0110", true},  // a short rights text still counts
      {"17", 17, "1", false},         {"0", 0, "", false},
      {"0", 0, "00000000", false},
  };
  for (const Case& c : cases) {
    const std::int32_t id = payee::CustAcIdOfKey(c.key);
    EXPECT_EQ(id, c.id) << c.key;
    EXPECT_EQ(payee::CustAcSaveAllowed(c.rights, id), c.allowed) << c.key << " " << c.rights;
  }
}

TEST(CustAcRules, StoredBankAddressEncodesLineBreaksWithinTheField) {
  EXPECT_EQ(payee::StoredBankNameAddress("A\r\nB\r\n\r\nC"),
            "A\x0E"
            "B\x0E\x0E"
            "C");
  EXPECT_EQ(payee::StoredBankNameAddress(""), "");

  // Cut to 150 before encoding: the raw text's 150 bytes, five breaks made one byte each.
  std::string lines;
  for (int i = 0; i < 6; ++i) {
    lines += std::string(33, static_cast<char>('A' + i)) + "\r\n";
  }
  const std::string stored = payee::StoredBankNameAddress(lines);
  EXPECT_EQ(stored.size(), 146u);
  EXPECT_EQ(stored.substr(0, 34), std::string(33, 'A') + "\x0E");

  // A double-byte character across the cut goes whole.
  const std::string chinese = std::string(149, 'X') + Gbk("银行");
  EXPECT_EQ(payee::StoredBankNameAddress(chinese), std::string(149, 'X'));
}

TEST(CustAcRules, SwiftCodeIsTheTrimmedFirstLineCutTo12) {
  EXPECT_EQ(payee::SwiftCodeOfLines({"  AUADHKHHXXX  ", "AURORA"}), "AUADHKHHXXX");
  EXPECT_EQ(payee::SwiftCodeOfLines({"AUADHKHH1XYZW9"}), "AUADHKHH1XYZ");
  EXPECT_EQ(payee::SwiftCodeOfLines({"   ", "AUADHKHH"}), "");
  EXPECT_EQ(payee::SwiftCodeOfLines({}), "");
}

TEST(CustAcRules, MemoLimitsAndTheBlankTypeOfALoadedAccount) {
  struct Case {
    const char* type;
    int maxline;
    int perLine;
  } cases[] = {{"A", 6, 50}, {"B", 1, 35}, {"D", 4, 35}, {" ", 4, 35}};
  for (const Case& c : cases) {
    const payee::TBankMemoLimits limits = payee::BankMemoLimits(c.type);
    EXPECT_EQ(limits.Maxline, c.maxline) << c.type;
    EXPECT_EQ(limits.CharPerLine, c.perLine) << c.type;
  }

  frame::TCustAcRec rec;
  rec.Currency = "USD";
  EXPECT_EQ(payee::LoadedBankType(rec), " ");  // trimmed by the reader
  rec.BankType = "D";
  EXPECT_EQ(payee::LoadedBankType(rec), "D");
  rec.BankType.clear();
  rec.Currency = "CNY";
  EXPECT_EQ(payee::LoadedBankType(rec), "");
  rec.Currency.clear();  // a failed read: nothing is made up
  EXPECT_EQ(payee::LoadedBankType(rec), "");
}

TEST(CustAcRules, SaveChecksStopAtTheFirstMissingEntry) {
  struct Case {
    payee::TCustAcEntry entry;
    TCustAcMissing missing;
  } cases[] = {
      {{"", "", "", "", "", ""}, TCustAcMissing::CustId},
      {{"C1", "", "", "", "", ""}, TCustAcMissing::Currency},
      {{"C1", "USD", "", "", "", ""}, TCustAcMissing::AcNo},
      {{"C1", "CNY", "1", "", "A", "X"}, TCustAcMissing::CnyBank},
      {{"C1", "CNY", "1", "B", "", ""}, TCustAcMissing::None},
      {{"C1", "cny", "1", "B", "", ""}, TCustAcMissing::BankType},  // CNY is exact
      {{"C1", "USD", "1", "B", "", "X"}, TCustAcMissing::BankType},
      {{"C1", "USD", "1", "", " ", ""}, TCustAcMissing::BankName},
      {{"C1", "USD", "1", "", " ", " "}, TCustAcMissing::None},  // texts are not trimmed
      {{" ", " ", " ", "", "A", "\r\n"}, TCustAcMissing::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(payee::FirstMissing(c.entry), c.missing)
        << c.entry.CustId << "|" << c.entry.Currency << "|" << c.entry.BankType;
  }
  EXPECT_EQ(payee::MissingMessage(TCustAcMissing::BankName),
            Gbk("请选择或输入开户行名称/Please input bank name"));
  EXPECT_EQ(payee::MissingMessage(TCustAcMissing::None), "");
}

}  // namespace
