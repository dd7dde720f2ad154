#include "frame/ListFillers.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/ModuleTest.h"

namespace {

using fakehost::Answer;
using Items = std::vector<std::string>;

constexpr HWND_T kWindow = 77;

class FillerTest : public tavro_test::ModuleTest {};

TEST_F(FillerTest, EachFillerSendsItsCommand) {
  struct Case {
    std::function<void(Items&)> fill;
    std::string command;
  };
  const Case cases[] = {
      {[](Items& i) { frame::FillAcNoList(kWindow, 99, "", "0012", "000001", i); },
       "MN_GetAcNoList 99,'','0012','000001'"},
      {[](Items& i) { frame::FillAcNoList(kWindow, 1, "USDX", "0012", "000001", i); },
       "MN_GetAcNoList 1,'USD','0012','000001'"},
      {[](Items& i) { frame::FillCurrencyList(kWindow, i); }, "MN_GetCurrencyCodeList"},
      {[](Items& i) { frame::FillCustomerList(kWindow, "0012", "O'Neil", i); },
       "MN_GetCustomerList '0012','O''Neil'"},
      {[](Items& i) { frame::FillUsageList(kWindow, "0012", "000001", i); },
       "MN_GetUsageList '0012','000001'"},
      {[](Items& i) { frame::FillUserList(kWindow, "0012", "", i); }, "MN_GetUserList '0012',''"},
      {[](Items& i) { frame::FillCheckUserList(kWindow, "a", "b", i); },
       "MN_GetCheckUserList 'a','b'"},
      {[](Items& i) { frame::FillUserCheckAcList(kWindow, "a", "b", i); },
       "MN_GetUserCheckAcList 'a','b'"},
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    fakehost::On(c.command, Answer::Ok(" row 1 \r\nrow2\r\n"));
    Items items = {"old"};
    c.fill(items);
    EXPECT_EQ(items, (Items{" row 1 ", "row2"})) << c.command;  // rows unchanged
    ASSERT_EQ(fakehost::Calls().size(), 1u) << c.command;
    EXPECT_EQ(fakehost::LastCall().prefix, "A01");
    EXPECT_TRUE(fakehost::LastCall().file);
    EXPECT_EQ(fakehost::LastCall().window, kWindow);
  }
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_TRUE(FilesInTempDir().empty());
}

TEST_F(FillerTest, CorpName) {
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok("Acme Trading\r\nsecond row"));
  EXPECT_EQ(frame::GetCorpName(kWindow, "0012"), "Acme Trading");
  EXPECT_EQ(fakehost::LastCall().capacity, 255);
  fakehost::SetFallback(Answer::Fail(2, "down"));
  EXPECT_EQ(frame::GetCorpName(kWindow, "9999"), "");
  EXPECT_EQ(MessageLines(), Items{R"(message ok none "ManageEdit" "Error:down" -> ok)"});
}

TEST_F(FillerTest, SwiftCodesAreNormalised) {
  struct Case {
    std::string given, sent;
  };
  const Case cases[] = {
      {"PQRSTUVW", "PQRSTUVW"},
      {"PQRSTUVWXXX", "PQRSTUVW"},
      {"PQRSTUVWX", "PQRSTUVW"},
      {"PQRSTUVW1XYZ", "PQRSTUVWXYZ"},
      {"PQRSTUVWABC", "PQRSTUVWABC"},
      {"PQRSTUVWAXXX", "PQRSTUVWXXX"},
      {"PQRSTUVW1XYZ99", "PQRSTUVW1XYZ"},
      {" PQRSTUVWX ", "PQRSTUVW"},
      {"", ""},
      {"O'K", "O''K"},
  };
  for (const Case& c : cases) {
    frame::GetSwiftAddress(kWindow, c.given);
    EXPECT_EQ(fakehost::LastCall().command, "MB_GetSwfAddress '" + c.sent + "'") << c.given;
    EXPECT_EQ(fakehost::LastCall().capacity, 1023);
  }
}

TEST_F(FillerTest, SwiftAddressFieldsAreBounded) {
  std::string longName(60, 'N');
  fakehost::On("MB_GetSwfAddress 'PQRSTUVW'",
               Answer::Ok(" " + longName + " \aL1\a" + std::string(40, 'b') + "\a\aL4\r\nnext"));
  frame::TBankAddress bank = frame::GetSwiftAddress(kWindow, "PQRSTUVWXXX");
  EXPECT_EQ(bank.Name, std::string(50, 'N'));
  EXPECT_EQ(bank.Addr[0], "L1");
  EXPECT_EQ(bank.Addr[1], std::string(35, 'b'));
  EXPECT_EQ(bank.Addr[2], "");
  EXPECT_EQ(bank.Addr[3], "L4");  // the next row does not run into it

  fakehost::SetFallback(Answer::Fail(1, "x"));
  bank = frame::GetSwiftAddress(kWindow, "ZZZZZZZZ");
  EXPECT_EQ(bank.Name, "");
  EXPECT_EQ(bank.Addr[3], "");
}

TEST_F(FillerTest, BankSimple) {
  fakehost::On("ST_GetBankSimple 7", Answer::Ok("7\a" + std::string(70, 'n') + "\aa1\aa2\aa3\a" +
                                                std::string(50, 'z') + "\aABCDEFGHXXXXYY\r\n"));
  frame::TBankSimple bank = frame::GetBankSimple(kWindow, 7);
  EXPECT_EQ(fakehost::LastCall().prefix, "A03");
  EXPECT_EQ(bank.Id, 7);
  EXPECT_EQ(bank.Name, std::string(50, 'n'));
  EXPECT_EQ(bank.Addr[0], "a1");
  EXPECT_EQ(bank.Addr[2], "a3");
  EXPECT_EQ(bank.Addr[3], std::string(35, 'z'));
  EXPECT_EQ(bank.SwiftCode, "ABCDEFGHXXXX");

  fakehost::On("ST_GetBankSimple 8", Answer::Ok("x8\aShort"));
  bank = frame::GetBankSimple(kWindow, 8);
  EXPECT_EQ(bank.Id, 0);
  EXPECT_EQ(bank.Name, "Short");
  EXPECT_EQ(bank.SwiftCode, "");

  fakehost::SetFallback(Answer::Fail(4, "gone"));
  bank = frame::GetBankSimple(kWindow, 9);
  EXPECT_EQ(bank.Id, 0);
  EXPECT_EQ(bank.Name, "");
  EXPECT_EQ(MessageLines(), Items{R"(message ok none "ManageEdit" "Error:gone" -> ok)"});
}

}  // namespace
