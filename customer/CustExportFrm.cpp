// The customer export dialog.
#include "customer/CustExportFrm.h"

#include <optional>

#include "customer/CustExportFile.h"
#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "sys/FileSystemName.h"
#include "sys/Files.h"
#include "ui/Platform.h"

namespace customer {
namespace {

constexpr int kSeparatorLen = 1;
constexpr int kGb2312Charset = 134;

std::string Gbk(const char* utf8) {
  return sys::Utf8ToGbk(utf8);
}

ui::TLabel* MakeLabel(ui::TForm* form, const char* name, const char* caption, int top) {
  auto* label = ui::Create<ui::TLabel>(form, form, name);
  label->Caption = Gbk(caption);
  label->SetBounds(24, top + 4, 80, 13);
  return label;
}

ui::TBitBtn* MakeButton(ui::TForm* form, const char* name, const char* caption, int left) {
  auto* button = ui::Create<ui::TBitBtn>(form, form, name);
  button->Caption = Gbk(caption);
  button->SetBounds(left, 176, 90, 25);
  return button;
}

void ShowFixedMessage(const char* utf8) {
  ui::ShowMessage(frame::ShownText(Gbk(utf8)));
}

}  // namespace

TCustExportFrm::TCustExportFrm() : TForm(nullptr, "CustExportFrm") {
  Caption = Gbk("客户信息导出");
  Position = ui::poScreenCenter;
  ui::TFont font = Font();
  font.Name = Gbk("宋体");
  font.Charset = kGb2312Charset;
  SetFont(font);
  SetBounds(0, 0, 400, 240);

  RadioGroup1 = ui::Create<ui::TRadioGroup>(this, this, "RadioGroup1");
  RadioGroup1->Caption = Gbk("类型");
  RadioGroup1->SetBounds(24, 12, 340, 48);
  RMBrbtn = ui::Create<ui::TRadioButton>(this, RadioGroup1, "RMBrbtn");
  RMBrbtn->Caption = Gbk("人民币");
  RMBrbtn->SetBounds(24, 20, 100, 17);
  Otherrbtn = ui::Create<ui::TRadioButton>(this, RadioGroup1, "Otherrbtn");
  Otherrbtn->Caption = Gbk("外汇");
  Otherrbtn->SetBounds(180, 20, 100, 17);
  RMBrbtn->SetChecked(true);

  Label2 = MakeLabel(this, "Label2", "字段分隔符", 76);
  separatorEdt = ui::Create<ui::TEdit>(this, this, "separatorEdt");
  separatorEdt->SetMaxLength(kSeparatorLen);
  separatorEdt->SetBounds(112, 76, 40, 21);
  separatorEdt->SetText("|");

  Label1 = MakeLabel(this, "Label1", "导出文件名", 116);
  FilenameEdit1 = ui::Create<ui::TFileNameEdit>(this, this, "FilenameEdit1");
  FilenameEdit1->SaveDialog = true;
  FilenameEdit1->SetBounds(112, 116, 252, 21);

  BitBtn1 = MakeButton(this, "BitBtn1", "导出", 96);
  BitBtn1->Default = true;
  BitBtn2 = MakeButton(this, "BitBtn2", "退出", 216);
  BitBtn2->SetKind(ui::bkCancel);

  BitBtn1->OnClick = [this](ui::TComponent*) { BitBtn1Click(); };
}

std::int32_t TCustExportFrm::ExportType() const {
  return RMBrbtn->Checked() ? kExportCny : kExportForeign;
}

// A failure to read the result or write the target raises; the event loop shows it.
// The old target stays as it was and no temporary file is left behind.
void TCustExportFrm::BitBtn1Click() {
  if (CorpNo.empty()) {
    return;
  }
  const std::string separator = separatorEdt->Text();
  if (separator.empty()) {
    ShowFixedMessage("请输入字段分隔符！");
    separatorEdt->SetFocus();
    return;
  }
  const std::string typed = FilenameEdit1->Text();
  if (frame::TrimView(typed).empty()) {
    ShowFixedMessage("请输入导出文件名！");
    FilenameEdit1->SetFocus();
    return;
  }
  // The name is typed in GBK; the file system holds it in its own character set.
  const std::optional<std::string> fsName = sys::FileSystemName(typed);
  if (!fsName) {
    ShowFixedMessage("导出文件名中有文件系统不支持的字符，请重新输入！");
    FilenameEdit1->SetFocus();
    return;
  }
  const std::string& target = *fsName;
  // Anything standing under that name (a link too) is replaced, so it is asked about.
  if (sys::PathExists(target)) {
    std::optional<ui::OwnerWindowScope> owner;
    if (ShellWnd != 0) {
      owner.emplace(ShellWnd);
    }
    if (!ui::AskYesNo(frame::ShownText(Gbk("覆盖确认")),
                      frame::ShownText(Gbk("导出文件已经存在，将覆盖原文件，是否继续？")))) {
      return;
    }
  }
  const std::string command = frame::FormatCommand("MN_CustExport %s,%d ", {CorpNo, ExportType()});
  const std::optional<std::string> resultFile = frame::ResultFileName();
  if (!resultFile) {
    return;  // reported as a failed command; nothing was sent
  }
  {
    frame::ResultFileGuard guard{*resultFile};
    if (frame::HostFileCommand(ShellWnd, frame::kChannelMain, command, *resultFile) != 0 ||
        !sys::FileExists(*resultFile)) {
      return;
    }
    WriteExportFile(*resultFile, target, separator);
  }
  ShowFixedMessage("导出成功");
}

}  // namespace customer
