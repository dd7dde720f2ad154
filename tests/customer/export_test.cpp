// The customer export: the copy of the host's rows into the target file, and the dialog.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "customer/CustExportFile.h"
#include "customer/CustExportFrm.h"
#include "tests/support/DialogTest.h"
#include "tests/support/FileSizeLimit.h"

namespace {

using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;
using tavro_test::ReadFile;
using tavro_test::WriteFile;

constexpr HWND_T kShell = 0x55;
constexpr HWND_T kBefore = 0x99;
constexpr char kCnyCommand[] = "MN_CustExport '0012',0 ";
constexpr char kForeignCommand[] = "MN_CustExport '0012',1 ";

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
  // Names in the folder other than the result file.
  std::vector<std::string> Left() const {
    std::vector<std::string> names = FilesInTempDir();
    std::erase(names, "result");
    std::sort(names.begin(), names.end());
    return names;
  }
};

// The result is read in pieces: a line end or a row cut by a piece's edge is still one.
TEST_F(ExportFileTest, FieldSeparatorsAndLineEnds) {
  const std::string x(std::size_t{64} * 1024 - 1, 'x');
  const struct {
    std::string rows, separator, expected;
  } cases[] = {
      {"C001\aMingda\a1202\r\n", "|", "C001|Mingda|1202\r\n"},
      {"C001\aMingda\a1202\r\n", " ", "C001 Mingda 1202\r\n"},
      {"\a\aX\a\r\n", "|", "||X|\r\n"},
      {"a\ab\nc\rd\n\re\r\n", "|", "a|b\r\nc\r\nd\r\ne\r\n"},  // LF, CR, LF CR
      {"a\r\rb\r\n", "|", "a\r\n\r\nb\r\n"},                   // CR CR: an empty line
      {"a\ab\r\nc\ad", "@", "a@b\r\nc@d\r\n"},                 // the last line unended
      {"", "|", ""},
      {Gbk("C001\a北京\r\n"), Gbk("中"), Gbk("C001中北京\r\n")},
      {x + "\r\ny\az", "|", x + "\r\ny|z\r\n"},
      {x + "\n\ry", "|", x + "\r\ny\r\n"},
      {x + "\r\ry", "|", x + "\r\n\r\ny\r\n"},
      {x + "\a" + x + "\r\n", "@", x + "@" + x + "\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Export(c.rows, c.separator), c.expected) << c.rows.substr(0, 40);
  }
  EXPECT_EQ(Left(), (std::vector<std::string>{"out.txt"}));
}

// The file lists the customers: it is the user's alone, new or written over a file
// others could read, under the common umask; a link standing at the target is replaced,
// and what it pointed to is not written.
TEST_F(ExportFileTest, TheNewFileIsPrivateAndReplacesALink) {
  const tavro_test::ScopedUmask umask(022);
  Export("a\ab\r\n", "|");
  EXPECT_EQ(tavro_test::FileMode(Path("out.txt")), 0600u);
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

// Every failure leaves the old target as it was and no new file beside it.
TEST_F(ExportFileTest, FailuresKeepTheOldTarget) {
  const std::string rows = std::string(300000, 'r') + "\a1\r\n";
  WriteFile(Path("out.txt"), "old\r\n");
  WriteFile(Path("result"), rows);
  ASSERT_EQ(::mkdir(Path("folder").c_str(), 0700), 0);
  {
    SCOPED_TRACE("disk full");
    tavro_test::FileSizeLimit full(100000);
    EXPECT_THROW(customer::WriteExportFile(Path("result"), Path("out.txt"), "|"),
                 std::runtime_error);
  }
  EXPECT_THROW(customer::WriteExportFile(Path("missing"), Path("out.txt"), "|"),
               std::runtime_error);
  EXPECT_THROW(customer::WriteExportFile(Path("folder"), Path("out.txt"), "|"), std::runtime_error);
  EXPECT_THROW(customer::WriteExportFile(Path("result"), Path("gone/out.txt"), "|"),
               std::runtime_error);
  // A folder standing at the target cannot be replaced by a file.
  EXPECT_THROW(customer::WriteExportFile(Path("result"), Path("folder"), "|"), std::runtime_error);
  EXPECT_EQ(ReadFile(Path("out.txt")), "old\r\n");
  EXPECT_EQ(Left(), (std::vector<std::string>{"folder", "out.txt"}));
  EXPECT_TRUE(std::filesystem::is_empty(Path("folder")));
}

// The dialog.
class ExportDialogTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
  }

  // Runs the operator script on the dialog until the script ends.
  void Run(const std::string& script) {
    Platform().RunScript(script);
    form_.ShowModal();
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell) << call.command;
    }
  }
  static std::string ExportTo(const std::string& file, const char* separator = nullptr) {
    std::string script = "set FilenameEdit1 \"" + file + "\"\n";
    if (separator != nullptr) {
      script += std::string("set separatorEdt \"") + separator + "\"\n";
    }
    return script + "click BitBtn1\n";
  }
  // Files in the folder besides the settings file: no result file may be left.
  std::vector<std::string> Files() const {
    std::vector<std::string> names = FilesInTempDir();
    std::erase(names, "Tavro2007.ini");
    std::sort(names.begin(), names.end());
    return names;
  }

  customer::TCustExportFrm form_{tavro_test::CallFor(kShell, "0012")};
};

TEST_F(ExportDialogTest, ExportsWithTheChosenTypeAndSeparator) {
  fakehost::On(kCnyCommand, Answer::Ok("C001\aMingda\a1202\aICBC\r\nC002\aLihua\a1203\aBOC\r\n"));
  fakehost::On(kForeignCommand, Answer::Ok("C001\aMingda Road 1\aUSD\a7001\r\n"));
  Run(ExportTo("cny.txt") + ExportTo("cny-at.txt", "@") + "click Otherrbtn\n" +
      ExportTo("fx.txt", " ") + "expect form visible true\n");

  EXPECT_EQ(ReadFile("cny.txt"), "C001|Mingda|1202|ICBC\r\nC002|Lihua|1203|BOC\r\n");
  EXPECT_EQ(ReadFile("cny-at.txt"), "C001@Mingda@1202@ICBC\r\nC002@Lihua@1203@BOC\r\n");
  EXPECT_EQ(ReadFile("fx.txt"), "C001 Mingda Road 1 USD 7001\r\n");
  EXPECT_EQ(Commands(), (Lines{kCnyCommand, kCnyCommand, kForeignCommand}));
  EXPECT_EQ(MessageLines(), Lines(3, Box("导出成功")));
  EXPECT_EQ(Files(), (std::vector<std::string>{"cny-at.txt", "cny.txt", "fx.txt"}));
  // Still open after three exports: the script's end closes it.
  const Lines& transcript = Platform().Transcript();
  EXPECT_EQ(transcript[transcript.size() - 2], "script-end TCustExportFrm");
}

// A name the file system's character set cannot hold is refused like a missing one,
// before anything is sent.
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
    std::string focused;
    tavro_test::ScopedEnv locale("LC_ALL", c.locale);
    tavro_test::WhileShown(Platform(), form_, [&] {
      form_.separatorEdt->SetText(c.separator);
      form_.FilenameEdit1->SetText(c.file);
      ui::ClickControl(*form_.BitBtn1);
      focused = form_.ActiveControl() != nullptr ? form_.ActiveControl()->Name : "";
    });
    EXPECT_EQ(MessagesSince(before), Lines{Box(c.message)}) << c.message;
    EXPECT_EQ(focused, c.focused);
  }
  EXPECT_TRUE(fakehost::Calls().empty());
  // Without a corporation nothing happens at all.
  form_.CorpNo.clear();
  const std::size_t before = MessageLines().size();
  Run(ExportTo("out.txt"));
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_EQ(MessagesSince(before), Lines{});
  EXPECT_EQ(Files(), std::vector<std::string>{});
}

// The question box is recorded with the owner window it was shown over.
class OwnerRecordingPlatform : public ui::HeadlessPlatform {
 public:
  int MessageBox(const std::string& caption, const std::string& text, ui::MsgButtons buttons,
                 ui::MsgIcon icon, int defaultButton) override {
    owners.push_back(OwnerWindow());
    return HeadlessPlatform::MessageBox(caption, text, buttons, icon, defaultButton);
  }
  std::vector<HWND_T> owners;
};

TEST_F(ExportDialogTest, ExistingTargetIsOverwrittenOnlyOnYes) {
  fakehost::On(kCnyCommand, Answer::Ok("C001\aMingda\r\n"));
  WriteFile("out.txt", "old");
  auto* recording = new OwnerRecordingPlatform();
  recording->SetOwnerWindow(kBefore);
  auto previous = ui::InstallPlatform(std::unique_ptr<ui::Platform>(recording));
  recording->RunScript(ExportTo("out.txt") + "answer no\n");
  form_.ShowModal();
  const std::string question =
      "message yesno none \"覆盖确认\" \"导出文件已经存在，将覆盖原文件，是否继续？\" -> ";
  EXPECT_EQ(recording->Transcript()[1], question + "no");
  EXPECT_EQ(ReadFile("out.txt"), "old");
  EXPECT_TRUE(fakehost::Calls().empty());

  recording->RunScript(ExportTo("out.txt") + "answer yes\n");
  form_.ShowModal();
  EXPECT_FALSE(recording->Failed());
  EXPECT_EQ(ReadFile("out.txt"), "C001|Mingda\r\n");
  EXPECT_EQ(recording->owners, (std::vector<HWND_T>{kShell, kShell, kBefore}));
  EXPECT_EQ(recording->OwnerWindow(), kBefore);
  ui::InstallPlatform(std::move(previous));
  EXPECT_EQ(Commands(), Lines{kCnyCommand});
}

// The target's name, typed in GBK, is the name in the file system's own character set
// (UTF-8 here): the file is written under it and found again by the overwrite question.
TEST_F(ExportDialogTest, TheTargetIsNamedInTheFileSystemsCharacterSet) {
  fakehost::On(kCnyCommand, Answer::Ok("C001\aMingda\r\n"));
  {
    tavro_test::ScopedEnv locale("LC_ALL", "zh_CN.UTF-8");
    Run(ExportTo("导出.txt") + ExportTo("导出.txt") + "answer yes\n");
  }
  EXPECT_EQ(ReadFile("导出.txt"), "C001|Mingda\r\n");
  EXPECT_EQ(Files(), std::vector<std::string>{"导出.txt"});
  EXPECT_EQ(MessageLines(), (Lines{Box("导出成功"),
                                   "message yesno none \"覆盖确认\" "
                                   "\"导出文件已经存在，将覆盖原文件，是否继续？\" -> yes",
                                   Box("导出成功")}));
}

// Whatever fails keeps the old target and leaves no result or half-written file: a
// failed command (only the channel's error shows), a host that leaves no file (nothing
// shows), a refused temporary folder (nothing is sent) and a full disk (the host's file
// fits exactly, the export's line ended by CR LF does not). An empty result is written.
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
    if (!c.box.empty()) {
      EXPECT_EQ(boxes[1].rfind(c.box, 0), 0U) << boxes[1];
    }
    EXPECT_EQ(ReadFile("out.txt"), c.target);
    EXPECT_EQ(Files(), (std::vector<std::string>{"out.txt", "plain"}));
    EXPECT_EQ(fakehost::Calls().size(), c.badTemp ? 0U : 1U);
  }
}

}  // namespace
