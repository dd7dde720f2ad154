#include "frame/HostChannel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "sys/CodePage.h"
#include "sys/Files.h"
#include "tests/support/ModuleTest.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;

constexpr HWND_T kWindow = 0x1234;

class ChannelTest : public tavro_test::ModuleTest {
 protected:
  void TearDown() override {
    frame::detail::ForgetTraditionalMode();
    ModuleTest::TearDown();
  }
  // Fixes the mode as a system with this locale would read it.
  void UseLocale(const char* name) {
    env_.reset();  // the old setting is restored before the new one is made, not after
    env_ = std::make_unique<tavro_test::ScopedEnv>("LC_ALL", name);
    frame::detail::ForgetTraditionalMode();
  }

 private:
  std::unique_ptr<tavro_test::ScopedEnv> env_;
};

std::string Big5(const std::string& utf8) {
  return sys::ConvertText(utf8, sys::CodePage::Utf8, sys::CodePage::Big5);
}

TEST_F(ChannelTest, PrefixesTheChannelAndPassesTheCallShape) {
  UseLocale("zh_CN.UTF-8");
  std::string result;
  EXPECT_EQ(
      frame::HostCommand(kWindow, frame::kChannelMain, "MN_GetCurrencyCodeList", result, 1024), 0);
  const fakehost::Call& c = fakehost::LastCall();
  EXPECT_EQ(c.sent, std::string("A01\aMN_GetCurrencyCodeList"));
  EXPECT_EQ(c.length, 26);
  EXPECT_TRUE(c.lengthMatches);
  EXPECT_EQ(c.window, kWindow);
  EXPECT_EQ(c.capacity, 1023);
  EXPECT_EQ(c.mode, 2);

  frame::HostCommand(kWindow, frame::kChannelBank, "ST_GetBankSimple 7", result, 1024);
  EXPECT_EQ(fakehost::LastCall().sent, std::string("A03\aST_GetBankSimple 7"));
  frame::HostCommand(kWindow, 9, "X", result, 1024);
  EXPECT_EQ(fakehost::LastCall().sent, "X");

  frame::HostFileCommand(kWindow, frame::kChannelMain, "MN_X", TempDir() + "f");
  EXPECT_EQ(fakehost::LastCall().sent, std::string("A01\aMN_X"));
  EXPECT_EQ(fakehost::LastCall().fileName, TempDir() + "f");
  EXPECT_EQ(fakehost::LastCall().mode, 2);
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(ChannelTest, FailureIsReportedOnceAndCallersGetTheirDefaults) {
  fakehost::SetFallback(Answer::Fail(5, "timeout"));
  std::string result = "before";
  EXPECT_EQ(frame::HostCommand(kWindow, 3, "MN_A", result, 64), 5);
  EXPECT_EQ(frame::HostCommandText(kWindow, 3, "MN_B", "def", 256), "def");
  EXPECT_EQ(frame::HostCommandInt(kWindow, 3, "MN_C", -7), -7);
  std::vector<std::string> list = {"kept"};
  EXPECT_FALSE(frame::HostCommandList(kWindow, 3, "MN_D", list));
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
  EXPECT_EQ(frame::HostFileCommand(kWindow, 3, "MN_E", TempDir() + "x"), 5);
  // Plain OK boxes without an icon, one per failed call.
  EXPECT_EQ(MessageLines(),
            std::vector<std::string>(5, R"(message ok none "ManageEdit" "Error:timeout" -> ok)"));
}

TEST_F(ChannelTest, IntAndTextAnswers) {
  struct Case {
    std::string answer;
    int value;
  };
  const Case cases[] = {{"3\ax", 3}, {"42", 42},  {" 12 \r\nrow2", 12}, {"x\a3", -1},
                        {"", -1},    {"\a5", -1}, {"-8\a", -8},         {"4294967296", -1}};
  for (const Case& c : cases) {
    fakehost::Reset();
    fakehost::On("MN_Int", Answer::Ok(c.answer));
    EXPECT_EQ(frame::HostCommandInt(kWindow, 3, "MN_Int", -1), c.value) << c.answer;
    EXPECT_EQ(fakehost::LastCall().capacity, 47);
  }
  fakehost::On("MN_Text", Answer::Ok("first\af2\r\nsecond\r\n"));
  EXPECT_EQ(frame::HostCommandText(kWindow, 3, "MN_Text", "d", 256), "first\af2");
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(ChannelTest, AnswersAreReadOnlyWithinTheirBuffer) {
  struct Case {
    const char* what;
    Answer answer;
    int capacity;
    std::string result;
  };
  const Case cases[] = {
      {"cut at the capacity", Answer::Ok(std::string(100, 'a')), 10, std::string(9, 'a')},
      {"no zero byte: never read past the capacity", Answer::Unterminated(std::string(100, 'b')),
       10, std::string(9, 'b')},
      {"nor split a character at the cut", Answer::Unterminated("abcdefgh\xB0\xA1zz"), 10,
       "abcdefgh"},
      {"a character the host cut in half is dropped", Answer::Ok("abcdefgh\xB0\xA1"), 10,
       "abcdefgh"},
      {"a whole last character stays", Answer::Ok("abcdefg\xB0\xA1"), 10, "abcdefg\xB0\xA1"},
      {"a zero byte ends the answer", Answer::Ok(std::string("ab\0cd", 5)), 64, "ab"},
      {"no buffer", Answer::Ok(std::string(100, 'a')), 0, ""},
  };
  std::string result;
  for (const Case& c : cases) {
    fakehost::Reset();
    fakehost::On("MN_Answer", c.answer);
    frame::HostCommand(kWindow, 3, "MN_Answer", result, c.capacity);
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(fakehost::LastCall().capacity, std::max(c.capacity - 1, 0)) << c.what;
  }
  // An error text without a zero byte is shown up to 127 bytes.
  Answer bad = Answer::Fail(1, std::string(300, 'e'));
  bad.errorZeroTerminated = false;
  fakehost::On("MN_Err", bad);
  frame::HostCommand(kWindow, 3, "MN_Err", result, 64);
  EXPECT_EQ(MessageLines(), std::vector<std::string>{R"(message ok none "ManageEdit" "Error:)" +
                                                     std::string(127, 'e') + R"(" -> ok)"});
}

TEST_F(ChannelTest, ListReadsTheRowsAndDeletesTheFile) {
  fakehost::On("MN_GetCustomerList '0012','000001'",
               Answer::Ok("C1:One\r\nC2:Two\nC3\aThree\r\n\r\nC5\r"));
  std::vector<std::string> list = {"old"};
  EXPECT_TRUE(frame::HostCommandList(kWindow, 3, "MN_GetCustomerList '0012','000001'", list));
  EXPECT_EQ(list, (std::vector<std::string>{"C1:One", "C2:Two", "C3\aThree", "", "C5"}));
  const std::string file = fakehost::LastCall().fileName;
  EXPECT_EQ(file.rfind(TempDir(), 0), 0u);
  EXPECT_TRUE(FilesInTempDir().empty());

  // Status 0 with no file: the list stays.
  Answer none = Answer::Ok("");
  none.writeFile = false;
  fakehost::On("MN_None", none);
  EXPECT_FALSE(frame::HostCommandList(kWindow, 3, "MN_None", list));
  EXPECT_EQ(list.size(), 5u);
  // An empty file: no rows.
  fakehost::On("MN_Empty", Answer::Ok(""));
  EXPECT_TRUE(frame::HostCommandList(kWindow, 3, "MN_Empty", list));
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(FilesInTempDir().empty());
}

TEST_F(ChannelTest, ListSurvivesHostileAnswers) {
  std::string junk;
  for (int i = 0; i < 2000; ++i) {
    junk += (i % 3 == 0) ? "\a" : (i % 3 == 1) ? "\016" : "\xB0";
  }
  junk += "\r\n\xB0\r\n\xFF";
  fakehost::On("MN_Junk", Answer::Ok(junk));
  std::vector<std::string> list;
  frame::HostCommandList(kWindow, 3, "MN_Junk", list);
  ASSERT_EQ(list.size(), 3u);  // a lone lead byte never swallows a row end
  EXPECT_EQ(list[0].size(), 2000u);
  EXPECT_EQ(list[1], "\xB0");
  EXPECT_EQ(list[2], "\xFF");
  // A host that failed but still wrote a file leaves nothing behind.
  fakehost::OnAny([](const fakehost::Call& call) {
    tavro_test::WriteFile(call.fileName, "half");
    return Answer::Fail(3, "no");
  });
  EXPECT_FALSE(frame::HostCommandList(kWindow, 3, "MN_Fail", list));
  EXPECT_EQ(list.size(), 3u);
  EXPECT_TRUE(FilesInTempDir().empty());
}

TEST_F(ChannelTest, ResultFileNamesAreNewAndPrivate) {
  std::string name = frame::NewTempFileName();
  ASSERT_EQ(name.rfind(TempDir(), 0), 0u);
  std::string rest = name.substr(TempDir().size());
  EXPECT_FALSE(rest.empty());
  EXPECT_EQ(rest.find_first_not_of("0123456789"), std::string::npos) << rest;
  EXPECT_FALSE(sys::PathExists(name));

  // Taken names (a file, a folder, a dangling link) are drawn again.
  tavro_test::WriteFile(TempDir() + "5", "");
  ASSERT_EQ(::mkdir((TempDir() + "6").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("/nonexistent", (TempDir() + "7").c_str()), 0);
  std::uint64_t next = 5;
  EXPECT_EQ(frame::detail::PickFreeName(TempDir(), [&next] { return next++; }), TempDir() + "8");
}

TEST_F(ChannelTest, UnsafeOrOverlongFoldersAreRefused) {
  std::string deep = TempDir() + std::string(120, 'd');
  ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
  {
    tavro_test::ScopedEnv env("TMPDIR", deep.c_str());
    EXPECT_THROW(frame::NewTempFileName(), std::runtime_error);  // would not fit 127 bytes
  }
  // A shared folder where the per-user folder is a planted link.
  std::string shared = TempDir() + "shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  std::string perUser = shared + "/tavro-" + std::to_string(::geteuid());
  ASSERT_EQ(::symlink(TempDir().c_str(), perUser.c_str()), 0);
  tavro_test::ScopedEnv env("TMPDIR", shared.c_str());
  std::vector<std::string> list = {"kept"};
  EXPECT_THROW(frame::HostCommandList(kWindow, 3, "MN_X", list), std::runtime_error);
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
}

TEST_F(ChannelTest, TraditionalModeConvertsBothWays) {
  UseLocale("zh_TW.UTF-8");
  ASSERT_TRUE(frame::TraditionalMode());
  // The operator's Big5 Traditional text reaches the server as GBK Simplified.
  fakehost::On("MN_Find " + Gbk("'发票'"), Answer::Ok(Gbk("发票") + "\a" + Gbk("银行")));
  std::string result;
  EXPECT_EQ(frame::HostCommand(kWindow, 3, "MN_Find '" + Big5("發票") + "'", result, 64), 0);
  EXPECT_EQ(fakehost::LastCall().command, "MN_Find " + Gbk("'发票'"));
  EXPECT_EQ(result, Big5("發票") + "\a" + Big5("銀行"));
  // Converted answers are cut to the capacity too.
  frame::HostCommand(kWindow, 3, "MN_Find '" + Big5("發票") + "'", result, 4);
  EXPECT_EQ(result, Big5("發"));

  // Result files are converted line by line, without leftovers.
  fakehost::On("MN_List", Answer::Ok(Gbk("银行") + "\r\n" + Gbk("发票") + "\ax\r\n"));
  std::vector<std::string> list;
  frame::HostCommandList(kWindow, 3, "MN_List", list);
  EXPECT_EQ(list, (std::vector<std::string>{Big5("銀行"), Big5("發票") + "\ax"}));
  EXPECT_TRUE(FilesInTempDir().empty());

  EXPECT_EQ(frame::ShownText(Gbk("银行")), Big5("銀行"));
  EXPECT_EQ(frame::ToServerText(""), "");
  EXPECT_EQ(frame::ToUserText(""), "");
}

TEST_F(ChannelTest, SimplifiedSystemsConvertNothingAndTheModeIsReadOnce) {
  for (const char* locale : {"zh_CN.UTF-8", "en_US.UTF-8", "ja_JP.UTF-8"}) {
    UseLocale(locale);
    EXPECT_FALSE(frame::TraditionalMode()) << locale;
    fakehost::On("MN_Find " + Gbk("'发票'"), Answer::Ok(Gbk("银行")));
    std::string result;
    frame::HostCommand(kWindow, 3, "MN_Find " + Gbk("'发票'"), result, 64);
    EXPECT_EQ(result, Gbk("银行")) << locale;
    EXPECT_EQ(frame::ShownText(Gbk("银行")), Gbk("银行"));
  }
  UseLocale("zh_TW.UTF-8");
  EXPECT_TRUE(frame::TraditionalMode());
  tavro_test::ScopedEnv later("LC_ALL", "en_US.UTF-8");
  EXPECT_TRUE(frame::TraditionalMode());
  EXPECT_TRUE(frame::detail::TraditionalModeOf(4, 1));
  EXPECT_FALSE(frame::detail::TraditionalModeOf(4, 2));
  EXPECT_FALSE(frame::detail::TraditionalModeOf(9, 1));
}

}  // namespace
