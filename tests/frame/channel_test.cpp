// The command channel, its result files and Traditional-Chinese mode, and the fillers
// and small records read through it.
#include "frame/HostChannel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <stdexcept>

#include "frame/FolderList.h"
#include "frame/ListFillers.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "tests/frame/FrameTest.h"
#include "tests/support/FileSizeLimit.h"

namespace {

using namespace frame_test;

class ChannelTest : public FrameTest {};

std::string Big5(const std::string& utf8) {
  return sys::ConvertText(utf8, sys::CodePage::Utf8, sys::CodePage::Big5);
}

TEST_F(ChannelTest, PrefixesTheChannelAndPassesTheCallShape) {
  std::string result;
  EXPECT_EQ(frame::HostCommand(kWnd, frame::kChannelMain, "MN_GetCurrencyCodeList", result, 1024),
            0);
  const fakehost::Call& c = fakehost::LastCall();
  EXPECT_EQ(c.sent, "A01\aMN_GetCurrencyCodeList");
  EXPECT_EQ(c.length, 26);
  EXPECT_TRUE(c.lengthMatches);
  EXPECT_EQ(c.window, kWnd);
  EXPECT_EQ(c.capacity, 1023);
  EXPECT_EQ(c.mode, 2);
  EXPECT_EQ(frame::HostCommand(kWnd, 9, "X", result, 1024), 0);
  EXPECT_EQ(fakehost::LastCall().sent, "X");
  EXPECT_EQ(frame::HostFileCommand(kWnd, frame::kChannelMain, "MN_X", TempDir() + "f"), 0);
  EXPECT_EQ(fakehost::LastCall().sent, "A01\aMN_X");
  EXPECT_EQ(fakehost::LastCall().fileName, TempDir() + "f");
  EXPECT_EQ(fakehost::LastCall().mode, 2);
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(ChannelTest, FailureIsReportedOnceAndCallersGetTheirDefaults) {
  fakehost::SetFallback(Answer::Fail(5, "timeout"));
  std::string result = "before";
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_A", result, 64), 5);
  EXPECT_EQ(frame::HostCommandText(kWnd, 3, "MN_B", "def", 256), "def");
  EXPECT_EQ(frame::HostCommandInt(kWnd, 3, "MN_C", -7), -7);
  Lines list = {"kept"};
  EXPECT_FALSE(frame::HostCommandList(kWnd, 3, "MN_D", list));
  EXPECT_EQ(list, Lines{"kept"});
  EXPECT_EQ(frame::HostFileCommand(kWnd, 3, "MN_E", TempDir() + "x"), 5);
  EXPECT_EQ(MessageLines(), Lines(5, Box("Error:timeout")));
}

TEST_F(ChannelTest, IntAndTextAnswers) {
  const std::pair<std::string, int> cases[] = {
      {"3\ax", 3}, {" 12 \r\nrow2", 12}, {"x\a3", -1}, {"", -1}, {"\a5", -1}, {"4294967296", -1}};
  for (const auto& [answer, value] : cases) {
    fakehost::Reset();
    fakehost::On("MN_Int", Answer::Ok(answer));
    EXPECT_EQ(frame::HostCommandInt(kWnd, 3, "MN_Int", -1), value) << answer;
    EXPECT_EQ(fakehost::LastCall().capacity, 47);
  }
  fakehost::On("MN_Text", Answer::Ok("first\af2\r\nsecond\r\n"));
  EXPECT_EQ(frame::HostCommandText(kWnd, 3, "MN_Text", "d", 256), "first\af2");
}

TEST_F(ChannelTest, AnswersAreReadOnlyWithinTheirBuffer) {
  const std::tuple<const char*, Answer, int, std::string> cases[] = {
      {"cut", Answer::Ok(std::string(100, 'a')), 10, std::string(9, 'a')},
      {"no zero byte", Answer::Unterminated(std::string(100, 'b')), 10, std::string(9, 'b')},
      {"no split at the cut", Answer::Unterminated("abcdefgh\xB0\xA1zz"), 10, "abcdefgh"},
      {"host cut a character in half", Answer::Ok("abcdefgh\xB0\xA1"), 10, "abcdefgh"},
      {"a whole last character stays", Answer::Ok("abcdefg\xB0\xA1"), 10, "abcdefg\xB0\xA1"},
      {"a zero byte ends it", Answer::Ok(std::string("ab\0cd", 5)), 64, "ab"},
      {"no buffer", Answer::Ok(std::string(100, 'a')), 0, ""},
  };
  std::string result;
  for (const auto& [what, answer, capacity, expected] : cases) {
    fakehost::Reset();
    fakehost::On("MN_Answer", answer);
    EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Answer", result, capacity), 0) << what;
    EXPECT_EQ(result, expected) << what;
    EXPECT_EQ(fakehost::LastCall().capacity, std::max(capacity - 1, 0)) << what;
  }
  // An error text without a zero byte is shown up to 127 bytes.
  Answer bad = Answer::Fail(1, std::string(300, 'e'));
  bad.errorZeroTerminated = false;
  fakehost::On("MN_Err", bad);
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Err", result, 64), 1);
  EXPECT_EQ(MessageLines(), Lines{Box("Error:" + std::string(127, 'e'))});
}

TEST_F(ChannelTest, ListsReadTheRowsAndNeverLeaveTheFile) {
  fakehost::On("MN_L", Answer::Ok("C1:One\r\nC2:Two\nC3\aThree\r\n\r\nC5\r"));
  Lines list = {"old"};
  EXPECT_TRUE(frame::HostCommandList(kWnd, 3, "MN_L", list));
  EXPECT_EQ(list, (Lines{"C1:One", "C2:Two", "C3\aThree", "", "C5"}));
  EXPECT_EQ(fakehost::LastCall().fileName.rfind(TempDir(), 0), 0u);

  Answer none = Answer::Ok("");  // status 0 without a file: the list stays
  none.writeFile = false;
  fakehost::On("MN_None", none);
  EXPECT_FALSE(frame::HostCommandList(kWnd, 3, "MN_None", list));
  EXPECT_EQ(list.size(), 5u);
  fakehost::On("MN_Empty", Answer::Ok(""));
  EXPECT_TRUE(frame::HostCommandList(kWnd, 3, "MN_Empty", list));
  EXPECT_TRUE(list.empty());
  // A host that failed but still wrote a file.
  fakehost::OnAny([](const fakehost::Call& call) {
    WriteFile(call.fileName, "half");
    return Answer::Fail(3, "no");
  });
  list = {"kept"};
  EXPECT_FALSE(frame::HostCommandList(kWnd, 3, "MN_Fail", list));
  EXPECT_EQ(list, Lines{"kept"});
  EXPECT_TRUE(FilesInTempDir().empty());
}

TEST_F(ChannelTest, ResultFileNamesAreNewAndBounded) {
  const std::string name = frame::NewTempFileName();
  ASSERT_EQ(name.rfind(TempDir(), 0), 0u);
  const std::string rest = name.substr(TempDir().size());
  EXPECT_FALSE(rest.empty());
  EXPECT_EQ(rest.find_first_not_of("0123456789"), std::string::npos) << rest;
  EXPECT_FALSE(sys::PathExists(name));
  // Taken names (a file, a folder, a dangling link) are drawn again.
  WriteFile(TempDir() + "5", "");
  ASSERT_EQ(::mkdir((TempDir() + "6").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("/nonexistent", (TempDir() + "7").c_str()), 0);
  std::uint64_t next = 5;
  EXPECT_EQ(frame::detail::PickFreeName(TempDir(), [&next] { return next++; }), TempDir() + "8");

  // A name that would not fit 127 bytes is no name.
  const std::string deep = TempDir() + std::string(120, 'd');
  ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
  SetEnv("TMPDIR", deep.c_str());
  EXPECT_THROW((void)frame::NewTempFileName(), std::runtime_error);
}

// No result file name to be had (the temporary folder refused, or too deep for a name):
// each list, folder or export command is reported once as a failed command is, sends
// nothing, and leaves its caller with the failure's defaults.
TEST_F(ChannelTest, ARefusedTemporaryFolderFailsLikeACommand) {
  const std::string notAFolder = TempDir() + "plain";
  WriteFile(notAFolder, "");
  const std::string deep = TempDir() + std::string(120, 'd');
  ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
  const std::pair<std::string, std::string> cases[] = {
      {notAFolder, "Error:temporary folder " + notAFolder + " refused: it is not a directory"},
      {deep, "Error:temporary folder path too long for a result file: " + deep + "/"},
  };
  fakehost::SetFallback(Answer::Ok("row\r\n"));
  for (const auto& [tmpdir, box] : cases) {
    SetEnv("TMPDIR", tmpdir.c_str());
    const std::size_t before = MessageLines().size();
    Lines list = {"kept"};
    EXPECT_FALSE(frame::HostCommandList(kWnd, 3, "MN_X", list));
    EXPECT_EQ(list, Lines{"kept"});
    EXPECT_FALSE(frame::FillCurrencyList(kWnd, list));
    EXPECT_EQ(list, Lines{"kept"});
    TFolderList folder{};
    std::fill(std::begin(folder.FileName), std::end(folder.FileName), 'x');
    frame::RunFolderCommand(kWnd, "MN_GetSignFolder 1", folder);
    EXPECT_STREQ(folder.FileName, "");
    EXPECT_FALSE(frame::ResultFileName().has_value());
    const Lines shown = MessageLines();
    EXPECT_EQ(Lines(shown.begin() + static_cast<std::ptrdiff_t>(before), shown.end()),
              Lines(4, Box(box)));
  }
  EXPECT_TRUE(fakehost::Calls().empty());
}

// A result file that cannot be converted for a Traditional-Chinese system is removed
// with the error: no reader finds it unconverted or half copied.
TEST_F(ChannelTest, AResultFileThatCannotBeConvertedIsNotLeft) {
  UseLocale("zh_TW.UTF-8");
  const std::string rows = TempDir() + "rows";
  WriteFile(rows, std::string(4000, 'r') + "\r\n");
  Answer answer = Answer::Ok("");
  answer.fromFile = rows;  // linked, not written: only the conversion meets the limit
  fakehost::On("MN_Rows", answer);
  const std::string name = TempDir() + "result";
  {
    tavro_test::FileSizeLimit full(1000);
    EXPECT_THROW((void)frame::HostFileCommand(kWnd, 3, "MN_Rows", name), std::runtime_error);
  }
  EXPECT_FALSE(sys::PathExists(name));
  EXPECT_FALSE(sys::PathExists(name + ".tmp"));
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(ChannelTest, TraditionalModeConvertsBothWays) {
  UseLocale("zh_TW.UTF-8");
  ASSERT_TRUE(frame::TraditionalMode());
  // The operator's Big5 Traditional text reaches the server as GBK Simplified.
  fakehost::On("MN_Find " + Gbk("'发票'"), Answer::Ok(Gbk("发票") + "\a" + Gbk("银行")));
  std::string result;
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Find '" + Big5("發票") + "'", result, 64), 0);
  EXPECT_EQ(result, Big5("發票") + "\a" + Big5("銀行"));
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Find '" + Big5("發票") + "'", result, 4), 0);
  EXPECT_EQ(result, Big5("發"));  // converted answers are cut to the capacity too
  // Result files are converted line by line, without leftovers.
  fakehost::On("MN_List", Answer::Ok(Gbk("银行") + "\r\n" + Gbk("发票") + "\ax\r\n"));
  Lines list;
  EXPECT_TRUE(frame::HostCommandList(kWnd, 3, "MN_List", list));
  EXPECT_EQ(list, (Lines{Big5("銀行"), Big5("發票") + "\ax"}));
  EXPECT_TRUE(FilesInTempDir().empty());
  EXPECT_EQ(frame::ShownText(Gbk("银行")), Big5("銀行"));
  // Read once: a later locale change does not switch the mode.
  SetEnv("LC_ALL", "en_US.UTF-8");
  EXPECT_TRUE(frame::TraditionalMode());
}

TEST_F(ChannelTest, OtherSystemsConvertNothing) {
  for (const char* locale : {"zh_CN.UTF-8", "en_US.UTF-8", "ja_JP.UTF-8"}) {
    UseLocale(locale);
    fakehost::On("MN_Find " + Gbk("'发票'"), Answer::Ok(Gbk("银行")));
    std::string result;
    EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Find " + Gbk("'发票'"), result, 64), 0);
    EXPECT_EQ(result, Gbk("银行")) << locale;
    EXPECT_EQ(frame::ShownText(Gbk("银行")), Gbk("银行")) << locale;
  }
}

TEST_F(ChannelTest, EachFillerSendsItsCommand) {
  const std::pair<std::function<bool(Lines&)>, std::string> cases[] = {
      {[](Lines& i) { return frame::FillAcNoList(kWnd, 99, "", "0012", "000001", i); },
       "MN_GetAcNoList 99,'','0012','000001'"},
      {[](Lines& i) { return frame::FillAcNoList(kWnd, 1, "USDX", "0012", "000001", i); },
       "MN_GetAcNoList 1,'USD','0012','000001'"},
      {[](Lines& i) { return frame::FillCurrencyList(kWnd, i); }, "MN_GetCurrencyCodeList"},
      {[](Lines& i) { return frame::FillCustomerList(kWnd, "0012", "O'Neil", i); },
       "MN_GetCustomerList '0012','O''Neil'"},
      {[](Lines& i) { return frame::FillUsageList(kWnd, "0012", "000001", i); },
       "MN_GetUsageList '0012','000001'"},
      {[](Lines& i) { return frame::FillUserList(kWnd, "0012", "", i); },
       "MN_GetUserList '0012',''"},
      {[](Lines& i) { return frame::FillCheckUserList(kWnd, "a", "b", i); },
       "MN_GetCheckUserList 'a','b'"},
      {[](Lines& i) { return frame::FillUserCheckAcList(kWnd, "a", "b", i); },
       "MN_GetUserCheckAcList 'a','b'"},
  };
  for (const auto& [fill, command] : cases) {
    fakehost::Reset();
    fakehost::On(command, Answer::Ok(" row 1 \r\nrow2\r\n"));
    Lines items = {"old"};
    EXPECT_TRUE(fill(items)) << command;
    EXPECT_EQ(items, (Lines{" row 1 ", "row2"})) << command;  // rows unchanged
    ASSERT_EQ(fakehost::Calls().size(), 1u) << command;
    EXPECT_EQ(fakehost::LastCall().prefix, "A01");
    EXPECT_TRUE(fakehost::LastCall().file);
  }
  EXPECT_TRUE(FilesInTempDir().empty());
}

TEST_F(ChannelTest, CorpNameAndSwiftAddress) {
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok("Acme Trading\r\nsecond row"));
  EXPECT_EQ(frame::GetCorpName(kWnd, "0012"), "Acme Trading");
  EXPECT_EQ(fakehost::LastCall().capacity, 255);

  const std::pair<std::string, std::string> codes[] = {{"PQRSTUVW", "PQRSTUVW"},
                                                       {"PQRSTUVWXXX", "PQRSTUVW"},
                                                       {"PQRSTUVWX", "PQRSTUVW"},
                                                       {"PQRSTUVW1XYZ", "PQRSTUVWXYZ"},
                                                       {"PQRSTUVWABC", "PQRSTUVWABC"},
                                                       {"PQRSTUVWAXXX", "PQRSTUVWXXX"},
                                                       {"PQRSTUVW1XYZ99", "PQRSTUVW1XYZ"},
                                                       {" PQRSTUVWX ", "PQRSTUVW"},
                                                       {"O'K", "O''K"}};
  for (const auto& [given, sent] : codes) {
    frame::GetSwiftAddress(kWnd, given);
    EXPECT_EQ(fakehost::LastCall().command, "MB_GetSwfAddress '" + sent + "'") << given;
  }
  fakehost::On("MB_GetSwfAddress 'PQRSTUVW'", Answer::Ok(" " + std::string(60, 'N') + " \aL1\a" +
                                                         std::string(40, 'b') + "\a\aL4\r\nnext"));
  const frame::TBankAddress bank = frame::GetSwiftAddress(kWnd, "PQRSTUVWXXX");
  EXPECT_EQ(fakehost::LastCall().capacity, 1023);
  EXPECT_EQ(bank.Name, std::string(50, 'N'));
  EXPECT_EQ(bank.Addr[0], "L1");
  EXPECT_EQ(bank.Addr[1], std::string(35, 'b'));
  EXPECT_EQ(bank.Addr[2], "");
  EXPECT_EQ(bank.Addr[3], "L4");  // the next row does not run into it

  fakehost::SetFallback(Answer::Fail(2, "down"));
  EXPECT_EQ(frame::GetCorpName(kWnd, "9999"), "");
  EXPECT_EQ(frame::GetSwiftAddress(kWnd, "ZZZZZZZZ").Name, "");
  EXPECT_EQ(MessageLines(), Lines(2, Box("Error:down")));
}

TEST_F(ChannelTest, BankSimple) {
  fakehost::On("ST_GetBankSimple 7", Answer::Ok("7\a" + std::string(70, 'n') + "\aa1\aa2\aa3\a" +
                                                std::string(50, 'z') + "\aABCDEFGHXXXXYY\r\n"));
  frame::TBankSimple bank = frame::GetBankSimple(kWnd, 7);
  EXPECT_EQ(fakehost::LastCall().prefix, "A03");
  EXPECT_EQ(bank.Id, 7);
  EXPECT_EQ(bank.Name, std::string(50, 'n'));
  EXPECT_EQ(bank.Addr[0], "a1");
  EXPECT_EQ(bank.Addr[2], "a3");
  EXPECT_EQ(bank.Addr[3], std::string(35, 'z'));
  EXPECT_EQ(bank.SwiftCode, "ABCDEFGHXXXX");

  fakehost::On("ST_GetBankSimple 8", Answer::Ok("x8\aShort"));
  bank = frame::GetBankSimple(kWnd, 8);
  EXPECT_EQ(bank.Id, 0);
  EXPECT_EQ(bank.Name, "Short");
  EXPECT_EQ(bank.SwiftCode, "");

  fakehost::SetFallback(Answer::Fail(4, "gone"));
  EXPECT_EQ(frame::GetBankSimple(kWnd, 9).Name, "");
  EXPECT_EQ(MessageLines(), Lines{Box("Error:gone")});
}

}  // namespace
