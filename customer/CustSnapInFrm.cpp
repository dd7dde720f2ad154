// The customer import dialog.
#include "customer/CustSnapInFrm.h"

#include <optional>
#include <stdexcept>
#include <vector>

#include "customer/CustImportText.h"
#include "frame/FormBuilder.h"
#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "sys/FileSystemName.h"
#include "sys/Files.h"
#include "ui/FormDesign.h"
#include "ui/LongWork.h"
#include "ui/Platform.h"

namespace customer {

namespace {

// The answer of one import command fits this buffer; a longer one is cut.
constexpr std::size_t kSnapInAnswerSize = 1024;

std::string Gbk(const char* utf8) {
  return frame::TFormBuilder::Text(utf8);
}

// The designed geometry, kept as data: CustSnapInFrm.layout.
constexpr char kLayout[] =
#include "CustSnapInFrm.layout"
    ;

}  // namespace

TCustSnapInFrm::TCustSnapInFrm(const frame::EntryArgs& call)
    : TDialogFrm("CustSnapInFrm", call), texts_(MakeImportTexts()) {
  SetCaption(Gbk("客户信息导入"));
  ui::TFont font = Font();
  font.Name = Gbk("宋体");
  font.Charset = 134;  // GB2312
  SetFont(font);

  const frame::TFormBuilder build(*this);
  Label1 = build.Label("Label1", "文件名：");
  FilenameEdt = build.Add<ui::TFileNameEdit>("FilenameEdt");
  FilenameEdt->SetFilter("All files (*.*)|*.*|Text Files(*.txt)|*.txt");
  ConvertChkbox = build.CheckBox("ConvertChkbox", "繁体转简体");
  SaveBtn = build.Button("SaveBtn", "导入", [this] { SaveBtnClick(); });
  BitBtn2 = build.Add<ui::TBitBtn>("BitBtn2");
  BitBtn2->SetKind(ui::bkCancel);  // Escape presses it; it closes with the cancel result
  BitBtn2->SetCaption(Gbk("放弃"));
  logMmo = build.Add<ui::TMemo>("logMmo");
  logMmo->SetScrollBars(ui::TMemo::ssVertical);
  logMmo->SetText("\r\n");  // one empty line
  Label2 = build.Label(
      "Label2",
      "说明：\r\n"
      "    本客户信息导入目前只导入客户人民币信息，导入文件的为如下格式的文本文件(*.txt)：\r\n"
      "    客户代码@客户中文名称@客户账号@客户开户银行\r\n"
      "    。。。\r\n"
      "    文件为GBK或UTF-8编码；勾选“繁体转简体”时文件应为Big5（繁体）或UTF-8编码。");
  Label2->SetColor(kSnapInNoteColor);
  Label2->SetTransparent(false);
  Label2->SetWordWrap(true);
  Label2->SetAutoSize(false);

  SetActiveControl(FilenameEdt);
  ui::ApplyDesign(*this, kLayout);
}

void TCustSnapInFrm::SaveBtnClick() {
  const std::string fileName = FilenameEdt->Text();
  if (fileName.empty()) {
    FileProblem("请选择要导入的文件名称！");
    return;
  }
  // The name is typed in GBK; the file system holds it in its own character set. A name
  // that cannot be written there names no file.
  const std::optional<std::string> path = sys::FileSystemName(fileName);
  if (!path || !sys::FileReachable(*path)) {
    FileProblem("所选择文件不存在，请重新选择！");
    return;
  }
  // The file is read a chunk at a time, so its size does not matter; an error opening
  // or reading it leaves through the exception, which closes the file. Its character
  // set is decided once, from the first chunk that is not plain ASCII.
  const bool big5 = ConvertChkbox->Checked();
  TImportFile file(*path, fileName);
  TImportText text(big5, frame::TraditionalMode());
  TImportLineReader reader(InspectedSource(
      [&file](char* buffer, std::size_t size) { return file.Read(buffer, size); }, text));
  // A long file must not freeze the window: the log shows the lines as they go.
  ui::LongWork work;
  TImportCount count;
  std::string line;
  try {
    while (reader.NextLine(line) && !text.Refused()) {
      const std::int64_t lineNo = count.Done() + 1;
      Log(ProgressLogLine(texts_, lineNo));
      if (ImportLine(lineNo, line, text)) {
        ++count.Imported;
      } else {
        ++count.Failed;
      }
      if (count.Done() % kImportProgressLines == 0) {
        Log(ProgressCountLogLine(texts_, count, file.PercentRead()));
      }
      if (work.Due()) {
        ShowLogEnd();
        work.GiveTurn();
      }
    }
    if (text.Refused()) {
      // Not the operator's text: shown as a file that cannot be read is, in an error box.
      std::vector<std::string_view> names;
      for (sys::CodePage cp : ImportCharsets(big5)) {
        names.push_back(ImportCharsetName(cp));
      }
      const std::string refusal = FileNotTextLogLine(texts_, names);
      Log(refusal);
      throw std::runtime_error(refusal);
    }
  } catch (...) {
    // Whatever ended it, the log says where, and what was sent before.
    Finish(work, StoppedLogLine(texts_, count));
    throw;
  }
  Finish(work, SummaryLogLine(texts_, count.Done(), count.Failed));
}

void TCustSnapInFrm::ShowLogEnd() {
  logMmo->SetSelStart(static_cast<int>(logMmo->Text().size()));
}

void TCustSnapInFrm::Finish(ui::LongWork& work, const std::string& summary) {
  Log(summary);
  ShowLogEnd();
  work.Finish(summary);
}

bool TCustSnapInFrm::ImportLine(std::int64_t lineNo, const std::string& line, TImportText& text) {
  // The line as the commands carry it: converted from the file's character set, and from
  // Big5 Traditional when the box is ticked (on a Traditional-Chinese system the channel
  // converts every command itself).
  std::string command;
  char32_t missing = 0;
  switch (text.CommandText(line, command, missing)) {
    case ImportLineFault::NotText:
      Log(NotTextLogLine(texts_, lineNo, ImportCharsetName(text.Charset().value())));
      return false;
    case ImportLineFault::MissingChar:
      Log(MissingCharLogLine(texts_, lineNo, missing));
      return false;
    case ImportLineFault::None:
      break;
  }
  const TImportLine fields = SplitImportLine(command, texts_);
  for (const std::string& note : fields.Notes) {
    Log(note);
  }
  if (fields.CustId().empty()) {
    Log(EmptyIdLogLine(texts_, lineNo));
    return false;
  }
  // A failed command has been reported by the channel and answers empty: a refusal.
  const std::string answer = frame::HostCommandText(
      ShellWnd, frame::kChannelMain, SnapInCommand(FunctionId, CorpNo, UserNo, fields), "",
      kSnapInAnswerSize);
  if (SnapInAccepted(answer)) {
    Log(ImportedLogLine(texts_, lineNo, fields.CustId()));
    return true;
  }
  Log(RefusedLogLine(texts_, answer));
  return false;
}

void TCustSnapInFrm::FileProblem(const char* utf8) {
  frame::ShowFixedText(utf8);
  FilenameEdt->SetFocus();
}

}  // namespace customer
