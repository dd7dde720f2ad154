// The customer export dialog.
#include "customer/CustExportFrm.h"

#include <optional>

#include "customer/CustExportFile.h"
#include "frame/CommandText.h"
#include "frame/ExportTarget.h"
#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "ui/FormDesign.h"
#include "ui/Platform.h"

namespace customer {
namespace {

constexpr int kSeparatorLen = 1;
constexpr int kGb2312Charset = 134;

// The designed geometry, kept as data: CustExportFrm.layout.
constexpr char kLayout[] =
#include "CustExportFrm.layout"
    ;

}  // namespace

TCustExportFrm::TCustExportFrm(const frame::EntryArgs& call) : TDialogFrm("CustExportFrm", call) {
  SetCaption(frame::TFormBuilder::Text("客户信息导出"));
  ui::TFont font = Font();
  font.Name = frame::TFormBuilder::Text("宋体");
  font.Charset = kGb2312Charset;
  SetFont(font);

  const frame::TFormBuilder build(*this);
  RadioGroup1 = build.Add<ui::TRadioGroup>("RadioGroup1", "类型");
  RMBrbtn = build.In(*RadioGroup1).Add<ui::TRadioButton>("RMBrbtn", "人民币");
  Otherrbtn = build.In(*RadioGroup1).Add<ui::TRadioButton>("Otherrbtn", "外汇");
  RMBrbtn->SetChecked(true);

  Label2 = build.Label("Label2", "字段分隔符");
  separatorEdt = build.Edit("separatorEdt", kSeparatorLen);
  separatorEdt->SetText("|");

  Label1 = build.Label("Label1", "导出文件名");
  FilenameEdit1 = build.Add<ui::TFileNameEdit>("FilenameEdit1");
  FilenameEdit1->SetSaveDialog(true);

  BitBtn1 = build.Add<ui::TBitBtn>("BitBtn1", "导出");
  BitBtn1->SetDefault(true);
  BitBtn1->OnClick = [this](ui::TComponent*) { BitBtn1Click(); };
  BitBtn2 = build.Add<ui::TBitBtn>("BitBtn2", "退出");
  BitBtn2->SetKind(ui::bkCancel);

  ui::ApplyDesign(*this, kLayout);
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
    frame::ShowFixedText("请输入字段分隔符！");
    separatorEdt->SetFocus();
    return;
  }
  const std::string typed = FilenameEdit1->Text();
  if (frame::TrimView(typed).empty()) {
    frame::ShowFixedText("请输入导出文件名！");
    FilenameEdit1->SetFocus();
    return;
  }
  // The name is typed in GBK; the file system holds it in its own character set.
  const std::optional<std::string> target = frame::ExportFileSystemName(typed);
  if (!target) {
    FilenameEdit1->SetFocus();
    return;
  }
  if (!frame::MayReplaceExportFile(ShellWnd, *target)) {
    return;
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
    WriteExportFile(*resultFile, *target, separator);
  }
  frame::ShowFixedText("导出成功");
}

}  // namespace customer
