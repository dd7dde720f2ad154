// The customer import: the line split and the file reader on their own, then the dialog
// against the recording fake host (commands, log, boxes, files it cannot use).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "customer/CustImport.h"
#include "customer/CustSnapInFrm.h"
#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "tests/payee/payee_test_support.h"

namespace {

using customer::SplitImportLine;
using customer::TCustSnapInFrm;
using customer::TImportLineReader;
using fakehost::Answer;
using payee_test::Box;
using payee_test::Commands;
using payee_test::Lines;
using tavro_test::Gbk;

const customer::TImportTexts kTexts = customer::MakeImportTexts();

std::string Big5(const char* utf8) {
  return sys::ConvertText(utf8, sys::CodePage::Utf8, sys::CodePage::Big5);
}

// The split: fields, then the log lines of overlong fields (UTF-8 here, GBK in the code).
TEST(ImportLineSplit, FieldsAndOverlongNotesFollowTheAtRule) {
  const std::string id30(30, 'K');
  const std::string bank60(60, 'B');
  // 1 + 12 double-byte characters: the 24-byte cut would fall inside the twelfth.
  std::string wideUtf8 = "A";
  for (int i = 0; i < 12; ++i) {
    wideUtf8 += "汉";
  }
  std::string wide11 = "A";
  for (int i = 0; i < 11; ++i) {
    wide11 += "汉";
  }
  const std::string name48 = std::string(48, 'n') + "   tail";
  const std::string ac37(37, '9');
  const struct {
    std::string line;  // UTF-8
    std::vector<std::string> fields;
    std::vector<std::string> notes;
  } cases[] = {
      {"C001@上海远航@6222@工商银行", {"C001", "上海远航", "6222", "工商银行"}, {}},
      {"", {"", "", "", ""}, {}},
      // No "@": the whole line, blanks and all, is the id.
      {"  C 9  ", {"  C 9  ", "", "", ""}, {}},
      {id30 + "@n@1@b",
       {id30.substr(0, 24), "n", "1", "b"},
       {"客户代码" + id30 + "超过24位，将只保留前24位"}},
      // The last field is sent whole, however long, and never noted.
      {"C1@n@1@" + bank60, {"C1", "n", "1", bank60}, {}},
      // Blanks go around every field but the last.
      {"C1 @ 名称 @ 6222 @ 银行 ", {"C1", "名称", "6222", " 银行 "}, {}},
      // A fourth "@" ends the bank name, trimmed; what follows is dropped.
      {"a@b@c@ d @e@f", {"a", "b", "c", "d"}, {}},
      {"C1@名称", {"C1", "名称", "", ""}, {}},
      {"  @n@1@b", {"", "n", "1", "b"}, {}},
      // The cut keeps whole characters and the trim runs again after it.
      {wideUtf8 + "@n@1@b",
       {wide11, "n", "1", "b"},
       {"客户代码" + wideUtf8 + "超过24位，将只保留前24位"}},
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
    for (const std::string& note : c.notes) {
      notes.push_back(Gbk(note));
    }
    EXPECT_EQ(got.Notes, notes) << c.line;
  }
}

// "丂" is 0x81 0x40 in GBK: its trail byte is the "@" byte, yet it separates nothing.
TEST(ImportLineSplit, AnAtByteInsideADoubleByteCharacterIsNoSeparator) {
  const std::string name = "\x81\x40" + Gbk("记");
  const customer::TImportLine got = SplitImportLine("C1@" + name + "@6222@bank", kTexts);
  EXPECT_EQ(got.Fields[customer::kImportCustName], name);
  EXPECT_EQ(got.Fields[customer::kImportAcNo], "6222");
  EXPECT_EQ(got.Fields[customer::kImportBankName], "bank");
}

TEST(ImportLineSplit, TheCommandPutsTheAccountBeforeTheNameAndQuotesEveryText) {
  const customer::TImportLine line = SplitImportLine(Gbk("C'1@O'Neil 商行@6222@中国银行"), kTexts);
  EXPECT_EQ(customer::SnapInCommand(-7, "0012", "000001", line),
            Gbk("MN_CustSnapIn -7,'0012','000001','C''1','6222','O''Neil 商行','中国银行'"));
}

// The reader, fed in chunks of every small size so that a line end (CR LF above all)
// falls across a chunk boundary somewhere.
Lines ReadAll(const std::string& bytes, std::size_t chunk) {
  std::size_t at = 0;
  TImportLineReader reader(
      [&](char* buffer, std::size_t size) {
        const std::size_t n = std::min(size, bytes.size() - at);
        std::copy_n(bytes.data() + at, n, buffer);
        at += n;
        return n;
      },
      chunk);
  Lines lines;
  std::string line;
  while (reader.NextLine(line)) {
    lines.push_back(line);
  }
  return lines;
}

TEST(ImportFileReader, LinesEndAtCrLfLfOrCrAndALastLineNeedsNoEnd) {
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"a\rb\nc\r\n\r\nd", {"a", "b", "c", "", "d"}},
      {"a\n\rb", {"a", "", "b"}},
      {"\r\r\n\n", {"", "", ""}},
      {"x@y\r\n" + std::string(300, 'z') + "\r\n", {"x@y", std::string(300, 'z')}},
  };
  for (const auto& c : cases) {
    for (std::size_t chunk : {1, 2, 3, 5, 64 * 1024}) {
      EXPECT_EQ(ReadAll(c.bytes, chunk), c.lines) << "chunk " << chunk << ": " << c.bytes;
    }
  }
}

TEST(ImportFileReader, AFailingSourceStopsTheReaderAfterTheLinesItGave) {
  int calls = 0;
  TImportLineReader reader(
      [&](char* buffer, std::size_t) -> std::size_t {
        if (++calls > 1) {
          throw std::runtime_error("disk gone");
        }
        std::copy_n("a\r\nb", 4, buffer);
        return 4;
      },
      8);
  std::string line;
  ASSERT_TRUE(reader.NextLine(line));
  EXPECT_EQ(line, "a");
  EXPECT_THROW(reader.NextLine(line), std::runtime_error);
  EXPECT_THROW(customer::TImportFile("/no/such/folder/file.txt"), std::runtime_error);
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
  // Writes bytes as the file name and imports it with the actions before the click;
  // the dialog is closed afterwards with its cancel button.
  void Import(const std::string& name, const std::string& bytes, const std::string& before = "") {
    tavro_test::WriteFile(name, bytes);
    Run(before + "set FilenameEdt \"" + name + "\"\nclick SaveBtn\n");
  }
  void Run(const std::string& script) {
    Platform().RunScript(script + "click BitBtn2\n");
    EXPECT_EQ(form_.ShowModal(), ui::mrCancel);
    EXPECT_FALSE(Platform().Failed());
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell);
    }
  }
  // The log after its first, empty line, in UTF-8.
  Lines Log() const {
    const Lines all = form_.logMmo->Lines();
    EXPECT_FALSE(all.empty());
    EXPECT_EQ(all.empty() ? "-" : all.front(), "");
    Lines log;
    for (std::size_t i = 1; i < all.size(); ++i) {
      log.push_back(sys::GbkToUtf8(all[i]));
    }
    return log;
  }

  TCustSnapInFrm form_;
};

std::string SnapIn(const std::string& argsUtf8) {
  return Gbk("MN_CustSnapIn 201,'0012','000001'," + argsUtf8);
}

TEST_F(CustSnapInTest, EveryLineIsSentAndLoggedInOrderAndTheSummaryCountsTheFailures) {
  const std::string id30(30, 'K');
  fakehost::OnAny([](const fakehost::Call& call) {
    if (call.command.find("'C002'") != std::string::npos) {
      return Answer::Ok(Gbk("0 customer name is empty") + "\a" + "x\r\nsecond row");
    }
    return Answer::Ok("1 customer imported");
  });
  Import("in.txt", Gbk("C001@上海远航贸易@622202001@工商银行\r\n"
                       "\r\n"
                       "C002 @ 名'称 @ 6222 @ 银行 \r\n" +
                       id30 +
                       "@n@1@b\r\n"
                       "C003"));
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

// A second import adds to the log; a failed command is reported once by the channel,
// counts as a refusal with nothing after the colon, and the import goes on.
TEST_F(CustSnapInTest, AHostFailureRefusesItsLineAndTheImportGoesOn) {
  int sent = 0;
  fakehost::OnAny([&sent](const fakehost::Call&) {
    return ++sent == 2 ? Answer::Fail(-3, "link down") : Answer::Ok("1");
  });
  tavro_test::WriteFile("one.txt", "A@n@1@b\n");
  Import("two.txt", "B@n@1@b\nC@n@1@b\nD@n@1@b\n", "set FilenameEdt one.txt\nclick SaveBtn\n");
  EXPECT_EQ(sent, 4);
  EXPECT_EQ(MessageLines(), Lines{Box("Error:link down")});
  EXPECT_EQ(Log(),
            (Lines{"正在导入第1行", "第1行已经导入，客户代码：A", "共导入1笔，失败0笔",
                   "正在导入第1行", "本行导入失败:", "正在导入第2行", "第2行已经导入，客户代码：C",
                   "正在导入第3行", "第3行已经导入，客户代码：D", "共导入3笔，失败1笔"}));
}

// Big5 with traditional characters arrives as simplified GBK; "一" is 0xA4 0x40 in
// Big5, so splitting before the conversion would have cut the name at it.
TEST_F(CustSnapInTest, TheConversionTurnsABig5LineIntoSimplifiedGbkBeforeTheSplit) {
  fakehost::SetFallback(Answer::Ok("1"));
  Import("big5.txt", Big5("T01@臺灣一號貿易@700@華南銀行\r\n"), "check ConvertChkbox on\n");
  EXPECT_EQ(Commands(), Lines{SnapIn("'T01','700','台湾一号贸易','华南银行'")});
  EXPECT_EQ(Log().back(), "共导入1笔，失败0笔");
}

// On a Traditional-Chinese system the channel converts the command; the ticked box must
// not convert the line a second time, or the server gets garbled names.
TEST_F(CustSnapInTest, OnATraditionalSystemTheLineIsConvertedOnceByTheChannel) {
  tavro_test::ScopedEnv locale("LC_ALL", "zh_TW.UTF-8");
  frame::detail::ForgetTraditionalMode();
  fakehost::SetFallback(Answer::Ok("1"));
  Import("big5.txt", Big5("T01@臺灣一號貿易@700@華南銀行\r\n"), "check ConvertChkbox on\n");
  frame::detail::ForgetTraditionalMode();
  EXPECT_EQ(Commands(), Lines{SnapIn("'T01','700','台湾一号贸易','华南银行'")});
}

TEST_F(CustSnapInTest, AFileNameThatNamesNoFileIsRefusedWithTheFocusBackOnTheField) {
  ASSERT_EQ(::mkdir("folder", 0700), 0);
  const struct {
    const char* name;
    const char* message;
  } cases[] = {
      {"", "请选择要导入的文件名称！"},
      {"missing.txt", "所选择文件不存在，请重新选择！"},
      {"folder", "所选择文件不存在，请重新选择！"},
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

// A file that opens but cannot be read: the error box of the dispatch, no summary,
// and the dialog stays open for another file.
TEST_F(CustSnapInTest, AFileThatCannotBeReadEndsTheImportWithAnErrorAndNoSummary) {
  fakehost::SetFallback(Answer::Ok("1"));
  tavro_test::WriteFile("ok.txt", "A@n@1@b");
  Run("set FilenameEdt /proc/self/mem\nclick SaveBtn\nset FilenameEdt ok.txt\nclick SaveBtn\n");
  const Lines boxes = MessageLines();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind(
                "message ok error \"ManageEdit\" \"Cannot read file \\\"/proc/self/mem\\\"", 0),
            0u)
      << boxes[0];
  EXPECT_EQ(Log(), (Lines{"正在导入第1行", "第1行已经导入，客户代码：A", "共导入1笔，失败0笔"}));
}

// The browse button offers the two filters and its choice is what gets imported;
// Escape presses the cancel button.
TEST_F(CustSnapInTest, BrowsingChoosesTheFileAndEscapeCloses) {
  fakehost::SetFallback(Answer::Ok("1"));
  tavro_test::WriteFile("picked.txt", "P1@n@1@b\r\n");
  Platform().RunScript("click FilenameEdt\nfile picked.txt\nclick SaveBtn\nkey logMmo Escape\n");
  EXPECT_EQ(form_.ShowModal(), ui::mrCancel);
  EXPECT_FALSE(Platform().Failed());
  const Lines& t = Platform().Transcript();
  EXPECT_NE(std::find(t.begin(), t.end(),
                      "file open \"All files (*.*)|*.*|Text Files(*.txt)|*.txt\" -> "
                      "\"picked.txt\""),
            t.end());
  EXPECT_EQ(t.back(), "close TCustSnapInFrm cancel");
  EXPECT_EQ(Commands(), Lines{SnapIn("'P1','1','n','b'")});
}

}  // namespace
