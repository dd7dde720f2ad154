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

// The dialog's tests walk the order; these are the readings it does not reach.
TEST(CustAcRules, SaveChecksReadCnyExactlyAndTextsUntrimmed) {
  using payee::FirstMissing;
  EXPECT_EQ(FirstMissing({"C1", "cny", "1", "B", "", ""}), TCustAcMissing::BankType);
  EXPECT_EQ(FirstMissing({"C1", "CNY", "1", "B", "", ""}), TCustAcMissing::None);
  EXPECT_EQ(FirstMissing({" ", " ", " ", "", " ", " "}), TCustAcMissing::None);
}

}  // namespace
