// The customer import: the line split and the file reader on their own, then the dialog
// against the recording fake host (commands, log, boxes, files it cannot use).
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "customer/CustImport.h"
#include "customer/CustSnapInFrm.h"
#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "tests/payee/payee_test_support.h"

namespace {

using customer::SplitImportLine;
using fakehost::Answer;
using payee_test::Box;
using payee_test::Commands;
using payee_test::Lines;
using tavro_test::Gbk;

const customer::TImportTexts kTexts = customer::MakeImportTexts();

// Fields, then the log lines of overlong fields (UTF-8 here, GBK in the code).
TEST(ImportLineSplit, FieldsAndOverlongNotesFollowTheAtRule) {
  const std::string bank60(60, 'B');
  std::string wide = "A";  // 25 bytes: the 24-byte cut would fall inside the last character
  for (int i = 0; i < 12; ++i) {
    wide += "汉";
  }
  const std::string name48 = std::string(48, 'n') + "   tail";
  const std::string ac37(37, '9');
  const struct {
    std::string line;
    std::vector<std::string> fields;
    std::vector<std::string> notes;
  } cases[] = {
      {"  C 9  ", {"  C 9  ", "", "", ""}, {}},
      {std::string(24, 'K') + "@" + std::string(50, 'n') + "@" + std::string(36, '9') + "@b",
       {std::string(24, 'K'), std::string(50, 'n'), std::string(36, '9'), "b"},
       {}},
      {"C1@n@1@" + bank60, {"C1", "n", "1", bank60}, {}},
      {"C1 @ 名称 @ 6222 @ 银行 ", {"C1", "名称", "6222", " 银行 "}, {}},
      {"a@b@c@ d @e@f", {"a", "b", "c", "d"}, {}},
      {wide + "@n@1@b",
       {wide.substr(0, wide.size() - 3), "n", "1", "b"},
       {"客户代码" + wide + "超过24位，将只保留前24位"}},
      {"C1@" + name48 + "@" + ac37 + "@b",
       {"C1", std::string(48, 'n'), ac37.substr(0, 36), "b"},
       {"客户名称" + name48 + "超过50位，将只保留前50位",
        "客户账号" + ac37 + "超过36位，将只保留前36位"}},
      {"C1@n@1@" + bank60 + "@x",
       {"C1", "n", "1", bank60.substr(0, 50)},
       {"客户银行" + bank60 + "超过50位，将只保留前50位"}},
  };
  for (const auto& c : cases) {
    const customer::TImportLine got = SplitImportLine(Gbk(c.line), kTexts);
    for (int f = 0; f < customer::kImportFields; ++f) {
      EXPECT_EQ(got.Fields[f], Gbk(c.fields[f])) << c.line << " field " << f;
    }
    Lines notes;
    std::transform(c.notes.begin(), c.notes.end(), std::back_inserter(notes), Gbk);
    EXPECT_EQ(got.Notes, notes) << c.line;
  }
  // "丂" is 0x81 0x40 in GBK: its trail byte is the "@" byte, yet it separates nothing.
  const std::string name = "\x81\x40" + Gbk("记");
  EXPECT_EQ(SplitImportLine("C1@" + name + "@6222@b", kTexts).Fields[1], name);
}

// Fed in chunks of every small size, so that a line end falls across a chunk's edge.
TEST(ImportFileReader, LinesEndAtCrLfLfOrCrAndALastLineNeedsNoEnd) {
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"\r\n\r\n", {"", ""}},
      {"a\rb\nc\r\n\r\nd", {"a", "b", "c", "", "d"}},
      {"a\n\rb", {"a", "", "b"}},
      {"\r\r\n\n", {"", "", ""}},
  };
  for (const auto& c : cases) {
    for (std::size_t chunk : {1, 2, 3, 64 * 1024}) {
      std::size_t at = 0;
      customer::TImportLineReader reader(
          [&](char* buffer, std::size_t size) {
            const std::size_t n = std::min(size, c.bytes.size() - at);
            std::copy_n(c.bytes.data() + at, n, buffer);
            at += n;
            return n;
          },
          chunk);
      Lines lines;
      for (std::string line; reader.NextLine(line);) {
        lines.push_back(line);
      }
      EXPECT_EQ(lines, c.lines) << "chunk " << chunk << ": " << c.bytes;
    }
  }
}

// The dialog. Each test writes its import file into the test's own folder.
class CustSnapInTest : public payee_test::DialogTest {
 protected:
  static constexpr HWND_T kShell = 0x31;

  void SetUp() override {
    DialogTest::SetUp();
    form_.ShellWnd = kShell;
    form_.FunctionId = 201;
    form_.UserNo = "000001";
    form_.CorpNo = "0012";
  }
  // Writes bytes as the file name and imports it after the actions before; the dialog is
  // closed afterwards with its cancel button.
  void Import(const std::string& name, const std::string& bytes, const std::string& before = "") {
    tavro_test::WriteFile(name, bytes);
    Run(before + "set FilenameEdt \"" + name + "\"\nclick SaveBtn\n");
  }
  void Run(const std::string& script, const char* close = "click BitBtn2\n") {
    Platform().RunScript(script + close);
    EXPECT_EQ(form_.ShowModal(), ui::mrCancel);
    EXPECT_FALSE(Platform().Failed());
    const Lines& t = Platform().Transcript();  // closed by the script, not by its end
    EXPECT_EQ(std::find(t.begin(), t.end(), "script-end TCustSnapInFrm"), t.end());
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell);
    }
  }
  // The log after its first, empty line, in UTF-8.
  Lines Log() const {
    Lines log = form_.logMmo->Lines();
    EXPECT_EQ(log.empty() ? "-" : log.front(), "");
    std::transform(log.begin(), log.end(), log.begin(), sys::GbkToUtf8);
    return {log.begin() + (log.empty() ? 0 : 1), log.end()};
  }

  customer::TCustSnapInFrm form_;
};

std::string SnapIn(const std::string& argsUtf8) {
  return Gbk("MN_CustSnapIn 201,'0012','000001'," + argsUtf8);
}

// The account before the name, quotes doubled; an empty id, a refusal and an overlong
// field each logged in turn; the summary counts the failures.
TEST_F(CustSnapInTest, EveryLineIsSentAndLoggedInOrderAndTheSummaryCountsTheFailures) {
  const std::string id30(30, 'K');
  fakehost::OnAny([](const fakehost::Call& call) {
    if (call.command.find("'C002'") != std::string::npos) {
      return Answer::Ok(Gbk("0 customer name is empty") + "\a" + "x\r\nsecond row");
    }
    return Answer::Ok("1 customer imported");
  });
  Import("in.txt",
         Gbk("C001@上海远航贸易@622202001@工商银行\r\n\r\nC002 @ 名'称 @ 6222 @ 银行 \r\n" + id30 +
             "@n@1@b\r\nC003"));
  EXPECT_EQ(Commands(),
            (Lines{SnapIn("'C001','622202001','上海远航贸易','工商银行'"),
                   SnapIn("'C002','6222','名''称',' 银行 '"),
                   SnapIn("'" + id30.substr(0, 24) + "','1','n','b'"), SnapIn("'C003','','',''")}));
  EXPECT_EQ(Log(), (Lines{"正在导入第1行", "第1行已经导入，客户代码：C001", "正在导入第2行",
                          "客户代码为空，第2导入失败", "正在导入第3行",
                          "本行导入失败:0 customer name is empty\ax", "正在导入第4行",
                          "客户代码" + id30 + "超过24位，将只保留前24位",
                          "第4行已经导入，客户代码：" + id30.substr(0, 24), "正在导入第5行",
                          "第5行已经导入，客户代码：C003", "共导入5笔，失败2笔"}));
  EXPECT_TRUE(MessageLines().empty());
}

// A file that cannot be read ends its import with the error box of the dispatch and no
// summary; the dialog stays open. A file chosen by browsing (two filters offered), then
// one that adds to the log: its failed command is reported once by the channel, counts
// as a refusal with nothing after the colon, and the import goes on. Escape closes.
TEST_F(CustSnapInTest, ImportsFollowOneAnotherInTheLogAndAFailureEndsOnlyItsLine) {
  int sent = 0;
  fakehost::OnAny([&sent](const fakehost::Call&) {
    return ++sent == 2 ? Answer::Fail(-3, "link down") : Answer::Ok("1");
  });
  tavro_test::WriteFile("one.txt", "A@n@1@b\n");
  tavro_test::WriteFile("two.txt", "B@n@1@b\nC@n@1@b\n");
  Run("set FilenameEdt /proc/self/mem\nclick SaveBtn\nclick FilenameEdt\nfile one.txt\n"
      "click SaveBtn\nset FilenameEdt two.txt\nclick SaveBtn\n",
      "key logMmo Escape\n");
  const Lines& t = Platform().Transcript();
  EXPECT_NE(std::find(t.begin(), t.end(),
                      R"(file open "All files (*.*)|*.*|Text Files(*.txt)|*.txt" -> "one.txt")"),
            t.end());
  const Lines boxes = MessageLines();
  ASSERT_EQ(boxes.size(), 2U);
  EXPECT_EQ(
      boxes[0].rfind(R"(message ok error "ManageEdit" "Cannot read file \"/proc/self/mem\")", 0),
      0U)
      << boxes[0];
  EXPECT_EQ(boxes[1], Box("Error:link down"));
  EXPECT_EQ(Log(), (Lines{"正在导入第1行", "第1行已经导入，客户代码：A", "共导入1笔，失败0笔",
                          "正在导入第1行", "本行导入失败:", "正在导入第2行",
                          "第2行已经导入，客户代码：C", "共导入2笔，失败1笔"}));
}

// Big5 with traditional characters arrives as simplified GBK, converted before the split
// ("一" is 0xA4 0x40 in Big5). On a Traditional-Chinese system the channel converts every
// command already, so the ticked box must not convert the line a second time.
TEST_F(CustSnapInTest, TheTickedConversionTurnsBig5IntoSimplifiedGbkExactlyOnce) {
  fakehost::SetFallback(Answer::Ok("1"));
  const std::string big5 = sys::ConvertText("T01@臺灣一號貿易@700@華南銀行\r\n",
                                            sys::CodePage::Utf8, sys::CodePage::Big5);
  Import("big5.txt", big5, "check ConvertChkbox on\n");
  {
    tavro_test::ScopedEnv locale("LC_ALL", "zh_TW.UTF-8");
    frame::detail::ForgetTraditionalMode();
    Run("click SaveBtn\n");
    frame::detail::ForgetTraditionalMode();
  }
  EXPECT_EQ(Commands(), Lines(2, SnapIn("'T01','700','台湾一号贸易','华南银行'")));
}

TEST_F(CustSnapInTest, AFileNameThatNamesNoFileIsRefusedWithTheFocusBackOnTheField) {
  const struct {
    const char* name;
    const char* message;
  } cases[] = {
      {"", "请选择要导入的文件名称！"},
      {"missing.txt", "所选择文件不存在，请重新选择！"},
  };
  for (const auto& c : cases) {
    const std::size_t before = MessageLines().size();
    payee_test::WhileShown(Platform(), form_, [&] {
      ASSERT_TRUE(Platform().Perform(form_, std::string("set FilenameEdt \"") + c.name + "\""));
      ASSERT_TRUE(Platform().Perform(form_, "click SaveBtn"));
      EXPECT_EQ(form_.ActiveControl(), form_.FilenameEdt) << c.name;
      ASSERT_TRUE(Platform().Perform(form_, "click BitBtn2"));
    });
    EXPECT_EQ(MessagesSince(before), Lines{Box(c.message)}) << c.name;
  }
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(form_.logMmo->Text(), "\r\n");
}

}  // namespace
