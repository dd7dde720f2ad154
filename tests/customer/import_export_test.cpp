// The customer import (the line split, the dialog) and export (the
// copy of the host's rows into the target file, the dialog) against the recording host.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "customer/CustExportFile.h"
#include "customer/CustExportFrm.h"
#include "customer/CustImport.h"
#include "customer/CustSnapInFrm.h"
#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "tests/support/DialogTest.h"
#include "tests/support/FileSizeLimit.h"
#include "ui/LongWork.h"

namespace {

using customer::SplitImportLine;
using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;
using tavro_test::ReadFile;
using tavro_test::WriteFile;

const customer::TImportTexts kTexts = customer::MakeImportTexts();

// The fields, then the log lines of overlong fields (blanks and short lines: the dialog).
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
    Lines expected;
  } cases[] = {
      {std::string(24, 'K') + "@" + std::string(50, 'n') + "@" + std::string(36, '9') + "@b",
       {std::string(24, 'K'), std::string(50, 'n'), std::string(36, '9'), "b"}},
      {"C1@n@1@" + bank60, {"C1", "n", "1", bank60}},
      {"a@b@c@ d @e@f", {"a", "b", "c", "d"}},
      {wide + "@n@1@b",
       {wide.substr(0, wide.size() - 3), "n", "1", "b",
        "客户代码" + wide + "超过24位，将只保留前24位"}},
      {"C1@" + name48 + "@" + ac37 + "@b",
       {"C1", std::string(48, 'n'), ac37.substr(0, 36), "b",
        "客户名称" + name48 + "超过50位，将只保留前50位",
        "客户账号" + ac37 + "超过36位，将只保留前36位"}},
      {"C1@n@1@" + bank60 + "@x",
       {"C1", "n", "1", bank60.substr(0, 50), "客户银行" + bank60 + "超过50位，将只保留前50位"}},
  };
  for (const auto& c : cases) {
    const customer::TImportLine got = SplitImportLine(Gbk(c.line), kTexts);
    Lines all(got.Fields.begin(), got.Fields.end());
    all.insert(all.end(), got.Notes.begin(), got.Notes.end());
    std::transform(all.begin(), all.end(), all.begin(), sys::GbkToUtf8);
    EXPECT_EQ(all, c.expected) << c.line;
  }
  // "丂" is 0x81 0x40 in GBK: its trail byte is the "@" byte, yet it separates nothing.
  const std::string name = "\x81\x40" + Gbk("记");
  EXPECT_EQ(SplitImportLine("C1@" + name + "@6222@b", kTexts).Fields[1], name);
}

// The dialog. Each test writes its import file into the test's own folder.
class CustSnapInTest : public tavro_test::DialogTest {
 protected:
  static constexpr HWND_T kShell = 0x31;

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

  // The transcript's summary lines, which tell tavro-shell how each import ended.
  Lines Summaries() {
    const Lines& t = Platform().Transcript();
    Lines lines;
    std::copy_if(t.begin(), t.end(), std::back_inserter(lines),
                 [](const std::string& line) { return line.rfind("summary ", 0) == 0; });
    return lines;
  }

  customer::TCustSnapInFrm form_{tavro_test::CallFor(kShell, "0012", "000001", 201)};
};

std::string SnapIn(const std::string& argsUtf8) {
  return Gbk("MN_CustSnapIn 201,'0012','000001'," + argsUtf8);
}

// Any line end; account before name, quotes doubled; each failure logged and counted.
TEST_F(CustSnapInTest, EveryLineIsSentAndLoggedInOrderAndTheSummaryCountsTheFailures) {
  const std::string id30(30, 'K');
  fakehost::OnAny([](const fakehost::Call& call) {
    if (call.command.find("'C002'") != std::string::npos) {
      return Answer::Ok(Gbk("0 customer name is empty") + "\a" + "x\r\nsecond row");
    }
    return Answer::Ok("1 customer imported");
  });
  Import("in.txt", Gbk("C001@上海远航贸易@622202001@工商银行\r\n\rC002 @ 名'称 @ 6222 @ 银行 \n" +
                       id30 + "@n@1@b\rC003"));
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
  EXPECT_EQ(Summaries(), Lines{"summary \"共导入5笔，失败2笔\""});
}

// An unreadable file stops at once; a failed command refuses only its line; Escape closes.
TEST_F(CustSnapInTest, ImportsFollowOneAnotherInTheLogAndAFailureEndsOnlyItsLine) {
  int sent = 0;
  fakehost::OnAny([&sent](const fakehost::Call&) {
    return ++sent == 1 ? Answer::Fail(-3, "link down") : Answer::Ok("1");
  });
  tavro_test::WriteFile("two.txt", "B@n@1@b\nC@n@1@b\n");
  Run("set FilenameEdt /proc/self/mem\nclick SaveBtn\nclick FilenameEdt\nfile two.txt\n"
      "click SaveBtn\n",
      "key logMmo Escape\n");
  const Lines& t = Platform().Transcript();
  EXPECT_NE(std::find(t.begin(), t.end(),
                      R"(file open "All files (*.*)|*.*|Text Files(*.txt)|*.txt" -> "two.txt")"),
            t.end());
  const Lines boxes = MessageLines();
  ASSERT_EQ(boxes.size(), 2U);
  EXPECT_EQ(
      boxes[0].rfind(R"(message ok error "ManageEdit" "Cannot read file \"/proc/self/mem\")", 0),
      0U)
      << boxes[0];
  EXPECT_EQ(boxes[1], Box("Error:link down"));
  EXPECT_EQ(Log(), (Lines{"导入在第1行中止：已处理0行，成功0笔，失败0笔", "正在导入第1行",
                          "本行导入失败:", "正在导入第2行", "第2行已经导入，客户代码：C",
                          "共导入2笔，失败1笔"}));
}

// On a Traditional system the channel converts once: the ticked box adds no second pass.
TEST_F(CustSnapInTest, OnATraditionalSystemEveryFileArrivesConvertedOnce) {
  fakehost::SetFallback(Answer::Ok("1"));
  const std::string line = "C001@上海远航贸易@622202001@工商银行\r\n";
  tavro_test::WriteFile("big5.txt", sys::ConvertText("T01@臺灣一號貿易@700@華南銀行\r\n",
                                                     sys::CodePage::Utf8, sys::CodePage::Big5));
  tavro_test::WriteFile("gbk.txt", Gbk(line));
  tavro_test::WriteFile("utf8.txt", line + "C9@笑😀@1@b");  // one character beyond the plane
  {
    tavro_test::ScopedEnv locale("LC_ALL", "zh_TW.UTF-8");
    frame::detail::ForgetTraditionalMode();
    Run("check ConvertChkbox on\nset FilenameEdt big5.txt\nclick SaveBtn\n"
        "check ConvertChkbox off\nset FilenameEdt gbk.txt\nclick SaveBtn\n"
        "set FilenameEdt utf8.txt\nclick SaveBtn\n");
    frame::detail::ForgetTraditionalMode();
  }
  const std::string simplified = SnapIn("'C001','622202001','上海远航贸易','工商银行'");
  EXPECT_EQ(Commands(),
            (Lines{SnapIn("'T01','700','台湾一号贸易','华南银行'"), simplified, simplified}));
  EXPECT_EQ(Log().rbegin()[1], "第2行含有GBK无法表示的字符U+1F600，导入失败");
}

// The file's set is found (UTF-8 with or without mark, GBK; Big5 or UTF-8 ticked) or refused.
TEST_F(CustSnapInTest, TheFilesCharacterSetIsFoundOrTheFileIsRefused) {
  fakehost::SetFallback(Answer::Ok("1"));
  const std::string lines = "C001@上海远航贸易@622202001@工商银行\r\nC002@张三@6222@银行";
  const Lines both = {SnapIn("'C001','622202001','上海远航贸易','工商银行'"),
                      SnapIn("'C002','6222','张三','银行'")};
  const std::string traditional = "T01@臺灣一號貿易@700@華南銀行\r\n";
  const std::string big5 = sys::ConvertText(traditional, sys::CodePage::Utf8, sys::CodePage::Big5);
  const std::string simplified = SnapIn("'T01','700','台湾一号贸易','华南银行'");
  const struct {
    const char* what;
    std::string bytes;
    bool ticked;
    Lines commands;
    std::string refused;  // the log's line when the file is refused
  } cases[] = {
      {"UTF-8", lines, false, both, ""},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + lines, false, both, ""},
      {"UTF-8 that is also GBK", "C1@张三@1@b", false, {SnapIn("'C1','1','张三','b'")}, ""},
      {"GBK like UTF-8", Gbk("C2@联通@1@b"), false, {SnapIn("'C2','1','联通','b'")}, ""},
      {"Big5", big5, true, {simplified}, ""},
      {"UTF-8 ticked",
       traditional + "T02@我们@1@b",
       true,
       {simplified, SnapIn("'T02','1','我们','b'")},
       ""},
      {"GBK ticked",
       Gbk("C101@杭州新光电器有限公司@1@中国银行"),
       true,
       {},
       "导入文件不是Big5或UTF-8编码的文本，导入中止"},
  };
  const std::string stopped = "导入在第1行中止：已处理0行，成功0笔，失败0笔";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form_.logMmo->SetText("\r\n");
    const std::size_t sent = Commands().size();
    const std::size_t boxes = MessageLines().size();
    Import("in.txt", c.bytes, c.ticked ? "check ConvertChkbox on\n" : "check ConvertChkbox off\n");
    const Lines all = Commands();
    EXPECT_EQ(Lines(all.begin() + static_cast<std::ptrdiff_t>(sent), all.end()), c.commands);
    if (c.refused.empty()) {
      EXPECT_EQ(Log().back(), "共导入" + std::to_string(c.commands.size()) + "笔，失败0笔");
      continue;
    }
    EXPECT_EQ(Log(), (Lines{c.refused, stopped}));
    EXPECT_EQ(MessagesSince(boxes),
              Lines{"message ok error \"ManageEdit\" \"" + c.refused + "\" -> ok"});
    EXPECT_EQ(Summaries().back(), "summary \"" + stopped + "\"");
  }
}

// Past the piece that chose the set a bad line is refused alone, a bad piece ends the import.
TEST_F(CustSnapInTest, ALineTheCommandsCannotCarryIsRefusedOnItsOwn) {
  fakehost::SetFallback(Answer::Ok("1"));
  // An ASCII line longer than a piece; its text after the fourth "@" is not imported.
  const std::string padding = "P@n@1@b@" + std::string(std::size_t{70} * 1024, 'x') + "\r\n";
  Import("utf8.txt", "C1@张三@1@b\r\nC2@笑😀@1@b\r\n" + padding + "C4@\xC3@1@b\r\nC5@李四@1@b");
  EXPECT_EQ(Commands(), (Lines{SnapIn("'C1','1','张三','b'"), SnapIn("'P','1','n','b'"),
                               SnapIn("'C5','1','李四','b'")}));
  const Lines utf8Log = Log();
  EXPECT_EQ(Lines(utf8Log.begin() + 2, utf8Log.begin() + 4),
            (Lines{"正在导入第2行", "第2行含有GBK无法表示的字符U+1F600，导入失败"}));
  EXPECT_EQ(Lines(utf8Log.begin() + 6, utf8Log.end()),
            (Lines{"正在导入第4行", "第4行不是UTF-8编码的文本，导入失败", "正在导入第5行",
                   "第5行已经导入，客户代码：C5", "共导入5笔，失败2笔"}));

  const auto again = [this] {
    fakehost::Reset();
    fakehost::SetFallback(Answer::Ok("1"));
    form_.logMmo->SetText("\r\n");
  };
  again();
  Import("gbk.txt", Gbk("C1@张三@1@b\r\n") + padding + "C3@\xFF@1@b\r\n");
  EXPECT_EQ(Commands().size(), 2U);
  EXPECT_EQ(Log().rbegin()[1], "第3行不是GBK编码的文本，导入失败");

  again();
  Import("late.txt", "A@n@1@b\r\n" + padding + std::string("B@\0\x01@1@b\r\n", 10));
  EXPECT_EQ(Commands(), Lines{SnapIn("'A','1','n','b'")});
  EXPECT_EQ(Log(), (Lines{"正在导入第1行", "第1行已经导入，客户代码：A",
                          "导入文件不是GBK或UTF-8编码的文本，导入中止",
                          "导入在第2行中止：已处理1行，成功1笔，失败0笔"}));
}

// Links and GBK-typed names lead to the file; no regular file or no name is refused, focused.
TEST_F(CustSnapInTest, TheFileIsFoundThroughLinksAndByItsChineseName) {
  fakehost::SetFallback(Answer::Ok("1"));
  tavro_test::ScopedEnv locale("LC_ALL", "zh_CN.UTF-8");
  tavro_test::WriteFile("客户.txt", "C1@n@1@b\r\n");
  ASSERT_EQ(::symlink("客户.txt", "链接.txt"), 0);
  ASSERT_EQ(::mkdir("folder", 0700), 0);
  ASSERT_EQ(::symlink("folder", "folder.txt"), 0);
  ASSERT_EQ(::mkfifo("fifo.txt", 0600), 0);
  const std::string missing = "所选择文件不存在，请重新选择！";
  const std::pair<const char*, std::string> refused[] = {{"", "请选择要导入的文件名称！"},
                                                         {"missing.txt", missing},
                                                         {"folder.txt", missing},
                                                         {"fifo.txt", missing}};
  for (const auto& c : refused) {
    const std::size_t before = MessageLines().size();
    tavro_test::WhileShown(Platform(), form_, [&] {
      ASSERT_TRUE(Platform().Perform(form_, std::string("set FilenameEdt \"") + c.first + "\""));
      ASSERT_TRUE(Platform().Perform(form_, "click SaveBtn"));
      EXPECT_EQ(form_.ActiveControl(), form_.FilenameEdt) << c.first;
      ASSERT_TRUE(Platform().Perform(form_, "click BitBtn2"));
    });
    EXPECT_EQ(MessagesSince(before), Lines{Box(c.second)}) << c.first;
  }
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(form_.logMmo->Text(), "\r\n");
  Run("set FilenameEdt 客户.txt\nclick SaveBtn\nset FilenameEdt 链接.txt\nclick SaveBtn\n");
  EXPECT_EQ(Commands(), Lines(2, SnapIn("'C1','1','n','b'")));
}

// --- The export.
constexpr HWND_T kExportShell = 0x55;
constexpr HWND_T kBefore = 0x99;
constexpr char kCnyCommand[] = "MN_CustExport '0012',0 ";
const std::string kOverwrite =
    "message yesno none \"覆盖确认\" \"导出文件已经存在，将覆盖原文件，是否继续？\" -> ";

// The copy on its own.
class ExportFileTest : public tavro_test::TempDirTest {
 protected:
  std::string Path(const std::string& name) const { return TempDir() + name; }
  // Exports rows (written as the result file) with separator; returns the target's bytes.
  std::string Export(const std::string& rows, const std::string& separator) {
    WriteFile(Path("result"), rows);
    customer::WriteExportFile(Path("result"), Path("out.txt"), separator);
    return ReadFile(Path("out.txt"));
  }
};

// The result is read in pieces: a line end or a row cut by a piece's edge is still one.
TEST_F(ExportFileTest, FieldSeparatorsAndLineEnds) {
  const std::string x(std::size_t{64} * 1024 - 1, 'x');
  const struct {
    std::string rows, separator, expected;
  } cases[] = {
      {"\a\aX\a\r\n", "|", "||X|\r\n"},
      {"a\ab\nc\rd\n\re\r\n", "|", "a|b\r\nc\r\nd\r\ne\r\n"},  // LF, CR, LF CR
      {"a\r\rb\r\n", "|", "a\r\n\r\nb\r\n"},                   // CR CR: an empty line
      {"a\ab\r\nc\ad", "@", "a@b\r\nc@d\r\n"},                 // the last line unended
      {"", "|", ""},
      {Gbk("C001\a北京\r\n"), Gbk("中"), Gbk("C001中北京\r\n")},
      {x + "\r\ny\az", "|", x + "\r\ny|z\r\n"},
      {x + "\n\ry", "|", x + "\r\ny\r\n"},
      {x + "\a" + x + "\r\n", "@", x + "@" + x + "\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Export(c.rows, c.separator), c.expected) << c.rows.substr(0, 40);
  }
}

// The file is the user's alone, and a link at the target is replaced, not written through.
TEST_F(ExportFileTest, TheNewFileIsPrivateAndReplacesALink) {
  const tavro_test::ScopedUmask umask(022);
  WriteFile(Path("out.txt"), "");
  ASSERT_EQ(::chmod(Path("out.txt").c_str(), 0644), 0);
  Export("a\ab\r\n", "|");
  EXPECT_EQ(tavro_test::FileMode(Path("out.txt")), 0600u);
  WriteFile(Path("elsewhere"), "keep");
  ::unlink(Path("out.txt").c_str());
  ASSERT_EQ(::symlink(Path("elsewhere").c_str(), Path("out.txt").c_str()), 0);
  EXPECT_EQ(Export("a\ab\r\n", "|"), "a|b\r\n");
  EXPECT_FALSE(std::filesystem::is_symlink(Path("out.txt")));
  EXPECT_EQ(ReadFile(Path("elsewhere")), "keep");
}

// Every failure keeps the old target and leaves no new file beside it.
TEST_F(ExportFileTest, FailuresKeepTheOldTarget) {
  WriteFile(Path("out.txt"), "old\r\n");
  WriteFile(Path("result"), "a\r\n");
  ASSERT_EQ(::mkdir(Path("folder").c_str(), 0700), 0);
  const std::pair<const char*, const char*> cases[] = {{"missing", "out.txt"},
                                                       {"folder", "out.txt"},
                                                       {"result", "gone/out.txt"},
                                                       {"result", "folder"}};
  for (const auto& c : cases) {
    EXPECT_THROW(customer::WriteExportFile(Path(c.first), Path(c.second), "|"), std::runtime_error)
        << c.first << " " << c.second;
  }
  EXPECT_EQ(ReadFile(Path("out.txt")), "old\r\n");
  std::vector<std::string> names = FilesInTempDir();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"folder", "out.txt", "result"}));
  EXPECT_TRUE(std::filesystem::is_empty(Path("folder")));
}

// The dialog; the question box is recorded with the owner window it was shown over.
class ExportDialogTest : public tavro_test::DialogTest {
 protected:
  class OwnerRecording : public ui::HeadlessPlatform {
   public:
    int MessageBox(const std::string& caption, const std::string& text, ui::MsgButtons buttons,
                   ui::MsgIcon icon, int defaultButton) override {
      owners.push_back(OwnerWindow());
      return HeadlessPlatform::MessageBox(caption, text, buttons, icon, defaultButton);
    }
    std::vector<HWND_T> owners;
  };

  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
  }
  // Runs the operator script on the dialog until the script ends.
  void Run(const std::string& script) {
    Platform().RunScript(script);
    form_.ShowModal();
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kExportShell) << call.command;
    }
  }
  static std::string ExportTo(const std::string& file, const std::string& separator = "") {
    return "set FilenameEdit1 \"" + file + "\"\n" +
           (separator.empty() ? "" : "set separatorEdt \"" + separator + "\"\n") +
           "click BitBtn1\n";
  }
  // Files in the folder besides the settings file: no result file may be left.
  std::vector<std::string> Files() const {
    std::vector<std::string> names = FilesInTempDir();
    std::erase(names, "Tavro2007.ini");
    std::sort(names.begin(), names.end());
    return names;
  }

  customer::TCustExportFrm form_{tavro_test::CallFor(kExportShell, "0012")};
};

// The dialog stays open after each export.
TEST_F(ExportDialogTest, ExportsWithTheChosenTypeAndSeparator) {
  fakehost::On(kCnyCommand, Answer::Ok("C001\aMingda\a1202\aICBC\r\nC002\aLihua\a1203\aBOC\r\n"));
  fakehost::On("MN_CustExport '0012',1 ", Answer::Ok("C001\aMingda Road 1\aUSD\a7001\r\n"));
  Run(ExportTo("cny.txt") + "click Otherrbtn\n" + ExportTo("fx.txt", " ") +
      "expect form visible true\n");
  EXPECT_EQ(ReadFile("cny.txt"), "C001|Mingda|1202|ICBC\r\nC002|Lihua|1203|BOC\r\n");
  EXPECT_EQ(ReadFile("fx.txt"), "C001 Mingda Road 1 USD 7001\r\n");
  EXPECT_EQ(MessageLines(), Lines(2, Box("导出成功")));
  EXPECT_EQ(Files(), (std::vector<std::string>{"cny.txt", "fx.txt"}));
}

// Missing or unstorable input is refused, focused; without a corporation nothing happens.
TEST_F(ExportDialogTest, MissingInputIsRefusedWithItsFieldFocused) {
  const struct {
    const char* separator;
    std::string file;
    const char* message;
    const char* focused;
    const char* locale;
  } cases[] = {
      {"", "out.txt", "请输入字段分隔符！", "separatorEdt", "zh_CN.UTF-8"},
      {"|", "  ", "请输入导出文件名！", "FilenameEdit1", "zh_CN.UTF-8"},
      {"|", Gbk("客户.txt"), "导出文件名中有文件系统不支持的字符，请重新输入！", "FilenameEdit1",
       "en_US.ISO-8859-1"},
  };
  for (const auto& c : cases) {
    const std::size_t before = MessageLines().size();
    tavro_test::ScopedEnv locale("LC_ALL", c.locale);
    tavro_test::WhileShown(Platform(), form_, [&] {
      form_.separatorEdt->SetText(c.separator);
      form_.FilenameEdit1->SetText(c.file);
      ui::ClickControl(*form_.BitBtn1);
      EXPECT_EQ(form_.ActiveControl()->Name, c.focused);
    });
    EXPECT_EQ(MessagesSince(before), Lines{Box(c.message)}) << c.message;
  }
  form_.CorpNo.clear();
  const std::size_t before = MessageLines().size();
  Run(ExportTo("out.txt"));
  EXPECT_EQ(MessagesSince(before), Lines{});
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_EQ(Files(), std::vector<std::string>{});
}

// The GBK-typed name is found in the file system's set; the question over the dialog; Yes writes.
TEST_F(ExportDialogTest, ExistingTargetIsOverwrittenOnlyOnYes) {
  fakehost::On(kCnyCommand, Answer::Ok("C001\aMingda\r\n"));
  WriteFile("导出.txt", "old");
  auto* recording = new OwnerRecording();
  recording->SetOwnerWindow(kBefore);
  auto previous = ui::InstallPlatform(std::unique_ptr<ui::Platform>(recording));
  tavro_test::ScopedEnv locale("LC_ALL", "zh_CN.UTF-8");
  recording->RunScript(ExportTo("导出.txt") + "answer no\n" + ExportTo("导出.txt") +
                       "answer yes\n");
  form_.ShowModal();
  EXPECT_EQ(ReadFile("导出.txt"), "C001|Mingda\r\n");
  EXPECT_EQ(recording->Transcript()[1], kOverwrite + "no");
  EXPECT_EQ(recording->owners, (std::vector<HWND_T>{kExportShell, kExportShell, kBefore}));
  EXPECT_EQ(recording->OwnerWindow(), kBefore);
  ui::InstallPlatform(std::move(previous));
  EXPECT_EQ(Commands(), Lines{kCnyCommand});
  EXPECT_EQ(Files(), std::vector<std::string>{"导出.txt"});
}

// Whatever the host or the disk refuses keeps the old target; an empty result is written.
TEST_F(ExportDialogTest, WhatTheHostAndTheDiskAllowDecidesTheFile) {
  const std::string rows = std::string(200000, 'r') + "\a1\n";
  const std::string notAFolder = TempDir() + "plain";
  WriteFile(notAFolder, "");
  Answer noFile = Answer::Ok("");
  noFile.writeFile = false;
  const struct {
    Answer answer;
    bool badTemp;
    rlim_t limit;
    std::string box;  // after the overwrite question; empty for none
    const char* target;
  } cases[] = {
      {Answer::Fail(-1, "no such corporation"), false, 0, Box("Error:no such corporation"), "old"},
      {noFile, false, 0, "", "old"},
      {Answer::Ok(""), false, 0, Box("导出成功"), ""},
      {Answer::Ok("C001"), true, 0,
       Box("Error:temporary folder " + notAFolder + " refused: it is not a directory"), "old"},
      {Answer::Ok(rows), false, static_cast<rlim_t>(rows.size()),
       "message ok error \"ManageEdit\" \"cannot write ", "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    fakehost::Reset();
    fakehost::On(kCnyCommand, c.answer);
    WriteFile("out.txt", "old");
    const std::size_t before = MessageLines().size();
    {
      std::optional<tavro_test::ScopedEnv> temp;
      std::optional<tavro_test::FileSizeLimit> full;
      if (c.badTemp) {
        temp.emplace("TMPDIR", notAFolder.c_str());
      }
      if (c.limit != 0) {
        full.emplace(c.limit);
      }
      Run(ExportTo("out.txt") + "answer yes\n");
    }
    const Lines boxes = MessagesSince(before);
    ASSERT_EQ(boxes.size(), c.box.empty() ? 1U : 2U);
    EXPECT_EQ(boxes.back().rfind(c.box.empty() ? kOverwrite : c.box, 0), 0U) << boxes.back();
    EXPECT_EQ(ReadFile("out.txt"), c.target);
    EXPECT_EQ(Files(), (std::vector<std::string>{"out.txt", "plain"}));
    EXPECT_EQ(fakehost::Calls().size(), c.badTemp ? 0U : 1U);
  }
}

}  // namespace
