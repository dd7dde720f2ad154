// The customer import: the line split and the file reader, then the dialog against the
// recording fake host.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "customer/CustImport.h"
#include "customer/CustSnapInFrm.h"
#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "sys/TextCharset.h"
#include "sys/TickCount.h"
#include "tests/support/DialogTest.h"
#include "ui/LongWork.h"

namespace {

using customer::SplitImportLine;
using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;

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

  // The transcript's summary lines, which tell tavro-shell how each import ended.
  Lines Summaries() {
    Lines lines;
    for (const std::string& line : Platform().Transcript()) {
      if (line.rfind("summary ", 0) == 0) {
        lines.push_back(line);
      }
    }
    return lines;
  }

  customer::TCustSnapInFrm form_{tavro_test::CallFor(kShell, "0012", "000001", 201)};
};

std::string SnapIn(const std::string& argsUtf8) {
  return Gbk("MN_CustSnapIn 201,'0012','000001'," + argsUtf8);
}

// The account before the name, quotes doubled; an empty id, a refusal and an overlong
// field each logged; the summary counts the failures.
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
  EXPECT_EQ(Summaries(), Lines{"summary \"共导入5笔，失败2笔\""});
}

// An unreadable file stops at once with the dispatch's error box; a browsed file (two
// filters) and one more add to the log; a failed command is a refusal with nothing after
// the colon, and the import goes on. Escape closes.
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
  EXPECT_EQ(Log(), (Lines{"导入在第1行中止：已处理0行，成功0笔，失败0笔", "正在导入第1行",
                          "第1行已经导入，客户代码：A", "共导入1笔，失败0笔", "正在导入第1行",
                          "本行导入失败:", "正在导入第2行", "第2行已经导入，客户代码：C",
                          "共导入2笔，失败1笔"}));
}

// On a Traditional-Chinese system the channel converts every command from Big5 already:
// the ticked box must not convert a Big5 line a second time, and a GBK or UTF-8 file
// reaches the server with its own Simplified characters all the same.
TEST_F(CustSnapInTest, OnATraditionalSystemEveryFileArrivesConvertedOnce) {
  fakehost::SetFallback(Answer::Ok("1"));
  const std::string line = "C001@上海远航贸易@622202001@工商银行\r\n";
  tavro_test::WriteFile("big5.txt", sys::ConvertText("T01@臺灣一號貿易@700@華南銀行\r\n",
                                                     sys::CodePage::Utf8, sys::CodePage::Big5));
  tavro_test::WriteFile("gbk.txt", Gbk(line));
  tavro_test::WriteFile("utf8.txt", line);
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
}

// UTF-8 (with its mark or without) and GBK import alike; "联通" in GBK looks like overlong
// UTF-8, "张三" in UTF-8 is also GBK pairs. With the box ticked Big5 or UTF-8 arrives
// Simplified, and "们", which Big5 lacks, stays.
TEST_F(CustSnapInTest, AFileInUtf8OrTheExpectedCodePageArrivesAsItsCharacters) {
  fakehost::SetFallback(Answer::Ok("1"));
  const std::string lines = "C001@上海远航贸易@622202001@工商银行\r\nC002@张三@6222@银行";
  const Lines both = {SnapIn("'C001','622202001','上海远航贸易','工商银行'"),
                      SnapIn("'C002','6222','张三','银行'")};
  const std::string traditional = "T01@臺灣一號貿易@700@華南銀行\r\n";
  const std::string simplified = SnapIn("'T01','700','台湾一号贸易','华南银行'");
  const struct {
    const char* what;
    std::string bytes;
    bool ticked;
    Lines commands;
  } cases[] = {
      {"UTF-8", lines, false, both},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + lines, false, both},
      {"GBK", Gbk(lines), false, both},
      {"UTF-8 that is also GBK", "C1@张三@1@b", false, {SnapIn("'C1','1','张三','b'")}},
      {"GBK that looks like UTF-8", Gbk("C2@联通@1@b"), false, {SnapIn("'C2','1','联通','b'")}},
      {"Big5",
       sys::ConvertText(traditional, sys::CodePage::Utf8, sys::CodePage::Big5),
       true,
       {simplified}},
      {"UTF-8 with the box",
       traditional + "T02@我们@1@b",
       true,
       {simplified, SnapIn("'T02','1','我们','b'")}},
  };
  for (const auto& c : cases) {
    const std::size_t before = Commands().size();
    Import("in.txt", c.bytes, c.ticked ? "check ConvertChkbox on\n" : "check ConvertChkbox off\n");
    const Lines all = Commands();
    EXPECT_EQ(Lines(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()), c.commands)
        << c.what;
    EXPECT_EQ(Log().back(), "共导入" + std::to_string(c.commands.size()) + "笔，失败0笔") << c.what;
  }
}

// A file in no accepted set gets one line in the log and in an error box (so that a
// --strict script fails); the summary says nothing was imported, and nothing is sent.
TEST_F(CustSnapInTest, AFileInNoAcceptedCharacterSetIsRefusedBeforeAnythingIsSent) {
  fakehost::SetFallback(Answer::Ok("1"));
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("C1@n@1@b\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  const std::string gbkNames = Gbk("C101@杭州新光电器有限公司@1@中国银行");
  ASSERT_FALSE(sys::IsCleanText(gbkNames, sys::CodePage::Big5)) << "GBK that Big5 cannot read";
  const struct {
    const char* what;
    std::string bytes;
    bool ticked;
    const char* log;
  } cases[] = {
      {"UTF-16", utf16, false, "导入文件不是GBK或UTF-8编码的文本，导入中止"},
      {"binary",
       std::string("PK\x03\x04\x14\x00\x00\x00"
                   "C1@n@1@b",
                   16),
       false, "导入文件不是GBK或UTF-8编码的文本，导入中止"},
      {"Big5 without the box",
       sys::ConvertText("T01@臺灣一號貿易@700@華南銀行", sys::CodePage::Utf8, sys::CodePage::Big5),
       false, "导入文件不是GBK或UTF-8编码的文本，导入中止"},
      {"GBK with the box", gbkNames, true, "导入文件不是Big5或UTF-8编码的文本，导入中止"},
  };
  const std::string stopped = "导入在第1行中止：已处理0行，成功0笔，失败0笔";
  for (const auto& c : cases) {
    form_.logMmo->SetText("\r\n");
    const std::size_t before = MessageLines().size();
    Import("in.txt", c.bytes, c.ticked ? "check ConvertChkbox on\n" : "check ConvertChkbox off\n");
    EXPECT_EQ(Log(), (Lines{c.log, stopped})) << c.what;
    EXPECT_EQ(MessagesSince(before),
              Lines{"message ok error \"ManageEdit\" \"" + std::string(c.log) + "\" -> ok"})
        << c.what;
    EXPECT_EQ(Summaries().back(), "summary \"" + stopped + "\"") << c.what;
  }
  EXPECT_TRUE(Commands().empty());
}

// Past the first 64 KiB piece that chose the set, a line not clean in it or holding a
// character GBK lacks is refused alone; a refused piece ends the import there.
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

  fakehost::Reset();
  fakehost::SetFallback(Answer::Ok("1"));
  form_.logMmo->SetText("\r\n");
  Import("gbk.txt", Gbk("C1@张三@1@b\r\n") + padding + "C3@\xFF@1@b\r\n");
  EXPECT_EQ(Commands().size(), 2U);
  EXPECT_EQ(Log().rbegin()[1], "第3行不是GBK编码的文本，导入失败");

  fakehost::Reset();
  fakehost::SetFallback(Answer::Ok("1"));
  form_.logMmo->SetText("\r\n");
  Import("late.txt", "A@n@1@b\r\n" + padding + std::string("B@\0\x01@1@b\r\n", 10));
  EXPECT_EQ(Commands(), Lines{SnapIn("'A','1','n','b'")});
  EXPECT_EQ(Log(), (Lines{"正在导入第1行", "第1行已经导入，客户代码：A",
                          "导入文件不是GBK或UTF-8编码的文本，导入中止",
                          "导入在第2行中止：已处理1行，成功1笔，失败0笔"}));
}

// Counts the turns a long import gives the window, and whether the log showed its end.
class TurnCounter : public ui::HeadlessPlatform {
 public:
  explicit TurnCounter(const ui::TMemo& log) : log_(log) {}
  void ProcessPendingEvents() override {
    ++turns;
    const std::size_t end = log_.Text().size();
    caretAtEnd = caretAtEnd && log_.SelStart() == static_cast<int>(end);
  }
  int turns = 0;
  bool caretAtEnd = true;

 private:
  const ui::TMemo& log_;
};

// Progress every 10,000 lines with the share read; turns at a bounded rate, not one a line.
TEST_F(CustSnapInTest, ALongImportCountsItsProgressAndGivesTheWindowTurnsAtABoundedRate) {
  constexpr int kLines = 25000;
  std::string bytes;
  std::size_t upToFirstCount = 0;
  for (int n = 1; n <= kLines; ++n) {
    bytes += "C" + std::to_string(n) + "@n@1@b\r\n";
    upToFirstCount = n == 10000 ? bytes.size() : upToFirstCount;
  }
  tavro_test::WriteFile("big.txt", bytes);
  fakehost::OnAny([](const fakehost::Call& call) {
    return Answer::Ok(call.command.find("'C7'") != std::string::npos ? "0 refused" : "1");
  });
  auto owned = std::make_unique<TurnCounter>(*form_.logMmo);
  TurnCounter& counter = *owned;
  std::unique_ptr<ui::Platform> fixture = ui::InstallPlatform(std::move(owned));
  counter.RunScript("set FilenameEdt big.txt\nclick SaveBtn\nclick BitBtn2\n");
  const std::uint64_t start = sys::TickCount();
  form_.ShowModal();
  const std::uint64_t elapsed = sys::TickCount() - start;
  const std::unique_ptr<ui::Platform> done = ui::InstallPlatform(std::move(fixture));

  EXPECT_FALSE(counter.Failed());
  const Lines log = Log();
  ASSERT_EQ(log.size(), 2U * kLines + 3);
  const std::string& firstCount = log[std::size_t{2} * 10000];
  const std::string& secondCount = log[std::size_t{2} * 20000 + 1];
  const std::string head = "已处理10000行，成功9999笔，失败1笔，已读取文件的";
  const std::string secondHead = "已处理20000行，成功19999笔，失败1笔，已读取文件的";
  ASSERT_EQ(firstCount.rfind(head, 0), 0U) << firstCount;
  ASSERT_EQ(secondCount.rfind(secondHead, 0), 0U) << secondCount;
  // Read by the piece: at least the lines done, at most a piece of 64 KiB more.
  const int firstShare = std::stoi(firstCount.substr(head.size()));
  EXPECT_GE(firstShare, static_cast<int>(upToFirstCount * 100 / bytes.size()));
  EXPECT_LE(firstShare, static_cast<int>((upToFirstCount + 65536) * 100 / bytes.size()));
  EXPECT_LT(firstShare, std::stoi(secondCount.substr(secondHead.size())));
  EXPECT_EQ(log.back(), "共导入25000笔，失败1笔");
  EXPECT_EQ(counter.Transcript().rbegin()[1], "summary \"共导入25000笔，失败1笔\"");
  EXPECT_TRUE(counter.caretAtEnd);
  EXPECT_GE(counter.turns, 1);
  EXPECT_LE(static_cast<std::uint64_t>(counter.turns), elapsed / ui::kLongWorkTurnMs + 3)
      << elapsed << " ms";
}

// The file is found through links and by its GBK-typed name in the file system's set;
// a name that leads to no regular file is missing, an empty one asked for.
TEST_F(CustSnapInTest, TheFileIsFoundThroughLinksAndByItsChineseName) {
  fakehost::SetFallback(Answer::Ok("1"));
  tavro_test::ScopedEnv locale("LC_ALL", "zh_CN.UTF-8");
  tavro_test::WriteFile("客户.txt", "C1@n@1@b\r\n");
  ASSERT_EQ(::symlink("客户.txt", "link.txt"), 0);
  ASSERT_EQ(::symlink("link.txt", "链接.txt"), 0);
  ASSERT_EQ(::symlink("gone.txt", "dangling.txt"), 0);
  ASSERT_EQ(::mkdir("folder", 0700), 0);
  ASSERT_EQ(::symlink("folder", "folder.txt"), 0);
  ASSERT_EQ(::mkfifo("fifo.txt", 0600), 0);
  // Refused with the focus back on the field, before anything is sent or logged.
  const std::string missing = "所选择文件不存在，请重新选择！";
  const std::pair<const char*, std::string> refused[] = {
      {"", "请选择要导入的文件名称！"}, {"missing.txt", missing}, {"dangling.txt", missing},
      {"folder.txt", missing},          {"fifo.txt", missing},    {"客户.csv", missing}};
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
  Run("set FilenameEdt 客户.txt\nclick SaveBtn\nset FilenameEdt link.txt\nclick SaveBtn\n"
      "set FilenameEdt 链接.txt\nclick SaveBtn\n");
  EXPECT_EQ(Commands(), Lines(3, SnapIn("'C1','1','n','b'")));
  tavro_test::ScopedEnv gbkLocale("LC_ALL", "zh_CN.GBK");
  tavro_test::WriteFile(Gbk("账户.txt"), "C2@n@1@b\r\n");
  Run("set FilenameEdt 账户.txt\nclick SaveBtn\n");
  EXPECT_EQ(Commands().back(), SnapIn("'C2','1','n','b'"));
}

}  // namespace
