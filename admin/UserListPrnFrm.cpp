// The user report dialog and its entry point Mn_UserListPrint.
#include "admin/UserListPrnFrm.h"

#include <exception>
#include <optional>
#include <vector>

#include "admin/UserListCsv.h"
#include "frame/ExportTarget.h"
#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/ListFillers.h"
#include "frame/ResultText.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "ui/FormDesign.h"

namespace admin {
namespace {

// The columns of the list: caption and width.
struct ColumnDef {
  const char* Caption;  // UTF-8
  int Width;
};
constexpr ColumnDef kColumns[kReportColumns] = {
    {"用户号", 80},    {"姓名", 100},     {"级别", 60},      {"状态", 60},
    {"启用日期", 100}, {"有效期至", 100}, {"开卡日期", 100},
};

// A label and a read-only edit beside it.
ui::TEdit* ReadOnlyField(const frame::TFormBuilder& build, const char* name, ui::TLabel*& label,
                         const char* labelName, const char* caption) {
  label = build.Label(labelName, caption);
  ui::TEdit* edit = build.Edit(name);
  edit->SetReadOnly(true);
  return edit;
}

// The designed geometry, kept as data: UserListPrnFrm.layout.
constexpr char kLayout[] =
#include "UserListPrnFrm.layout"
    ;

}  // namespace

std::string UserReportSelect(const std::string& corpNo) {
  // Both dates of the card come from CardDate, as the bank's report has always read them.
  static const std::string templ = sys::Utf8ToGbk(
      "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' "
      "else '停用' end) Status,convert(char(10),CardDate,120) FromDate,"
      "convert(char(10),ExpiryDate,120) ExpiryDate,convert(char(10),CardDate,120) CardDate "
      "from tb_mn_login where CorpId=%s");
  return frame::FormatCommand(templ, {corpNo});
}

TUserListPrnFrm::TUserListPrnFrm(const frame::EntryArgs& call)
    : TDialogFrm("UserListPrnFrm", call) {
  SetCaption(sys::Utf8ToGbk("用户档案报告"));
  ui::TFont font;
  font.Name = sys::Utf8ToGbk("宋体");
  font.Size = 9;
  font.Charset = 134;
  SetFont(font);

  const frame::TFormBuilder build(*this);
  CorpIdEdt = ReadOnlyField(build, "CorpIdEdt", CorpIdLbl, "CorpIdLbl", "客户代码");
  CorpNameEdt = ReadOnlyField(build, "CorpNameEdt", CorpNameLbl, "CorpNameLbl", "客户名称");
  PrnBtn = build.Button("PrnBtn", "打印", [this] { PrnBtnClick(); });
  CancelBtn = build.CloseButton("CancelBtn", "取消");

  PrintDialog1 = ui::Create<ui::TPrintDialog>(this, nullptr, "PrintDialog1");

  PopupMenu1 = ui::Create<ui::TPopupMenu>(this, nullptr, "PopupMenu1");
  PrintListMit = new ui::TMenuItem(this, "PrintListMit", PopupMenu1);
  PrintListMit->SetCaption(sys::Utf8ToGbk("打印清单"));
  PrintListMit->OnClick = [this](ui::TComponent*) { PrintListMitClick(); };
  ExportExcelMit = new ui::TMenuItem(this, "ExportExcelMit", PopupMenu1);
  ExportExcelMit->SetCaption(sys::Utf8ToGbk("导出到EXCEL"));
  ExportExcelMit->OnClick = [this](ui::TComponent*) { ExportExcelMitClick(); };

  UserLv = build.Add<ui::TListView>("UserLv");
  UserLv->SetViewStyle(ui::vsReport);
  UserLv->SetReadOnly(true);
  UserLv->SetRowSelect(true);
  UserLv->SetPopupMenu(PopupMenu1);
  for (const ColumnDef& c : kColumns) {
    UserLv->AddColumn(ui::TListColumn{sys::Utf8ToGbk(c.Caption), c.Width});
  }
  ui::ApplyDesign(*this, kLayout);
}

void TUserListPrnFrm::Open() {
  CorpIdEdt->SetText(CorpNo);
  CorpNameEdt->SetText(frame::GetCorpName(ShellWnd, CorpNo));
  FillUserList();
}

// One row per user in the server's order: the id as caption, the other six fields as
// sub-items.
void TUserListPrnFrm::FillUserList() {
  std::vector<std::string> rows;
  // A failed read (reported by the channel) shows an empty list.
  (void)frame::HostCommandList(ShellWnd, frame::kChannelMain, UserReportSelect(CorpNo), rows);
  UserLv->BeginUpdate();
  for (const std::string& row : rows) {
    ui::TStrings subItems;
    for (int field = 1; field < static_cast<int>(kReportColumns); ++field) {
      subItems.push_back(frame::GetField(row, field));
    }
    UserLv->AddItem(frame::GetField(row, 0), std::move(subItems));
  }
  UserLv->EndUpdate();
}

TUserReport TUserListPrnFrm::Report() const {
  TUserReport report;
  report.CorpName = CorpNameEdt->Text();
  report.DateText = ReportDateText(std::time(nullptr));
  report.Rows.reserve(UserLv->Items().size());
  for (const ui::TListItem& item : UserLv->Items()) {
    TUserReportRow row;
    row[0] = item.Caption;
    for (std::size_t c = 1; c < kReportColumns && c - 1 < item.SubItems.size(); ++c) {
      row[c] = item.SubItems[c - 1];
    }
    report.Rows.push_back(std::move(row));
  }
  return report;
}

// The report goes to the printer the operator picks; the dialog stays open. The report
// is taken once the printer is chosen, so its date is the time of printing however long
// the operator spent in the print dialog.
void TUserListPrnFrm::PrnBtnClick() {
  if (!PrintDialog1->Execute()) {
    return;
  }
  DrawUserReport(ui::CurrentPlatform().Printer(), Report());
}

void TUserListPrnFrm::PrintListMitClick() {
  PrnBtnClick();
}

// The list as the operator sees it, columns and rows, into a CSV file of his choice,
// asked about first when something has that name, as the customer export asks. A failed
// write leaves any earlier file of that name as it was and says why.
void TUserListPrnFrm::ExportExcelMitClick() {
  std::string path = "UserList-" + CorpNo + ".csv";
  if (!ui::CurrentPlatform().FileDialog(true, sys::Utf8ToGbk("CSV 文件 (*.csv)|*.csv"), path)) {
    return;
  }
  // The dialog's name is GBK like every text here; the file system holds it in its own
  // character set.
  const std::optional<std::string> target = frame::ExportFileSystemName(path);
  if (!target || !frame::MayReplaceExportFile(ShellWnd, *target)) {
    return;
  }
  std::vector<std::string> header;
  for (const ui::TListColumn& column : UserLv->Columns()) {
    header.push_back(column.Caption);
  }
  std::vector<std::vector<std::string>> rows;
  rows.reserve(UserLv->Items().size());
  for (const ui::TListItem& item : UserLv->Items()) {
    std::vector<std::string> row{item.Caption};
    row.insert(row.end(), item.SubItems.begin(), item.SubItems.end());
    rows.push_back(std::move(row));
  }
  try {
    sys::WriteFileBytes(*target, UserListCsv(header, rows));
  } catch (const std::exception& e) {
    ui::CurrentPlatform().MessageBox(ui::kAppTitle,
                                     sys::Utf8ToGbk("导出失败：") + sys::Utf8ToGbk(e.what()),
                                     ui::MsgButtons::Ok, ui::MsgIcon::Error);
  }
}

namespace {

frame::DialogOutcome OpenUserListPrint(frame::DialogEntryCall& call) {
  // Without a corporation there is nobody to list.
  if (frame::TrimView(call.Args().CorpNo).empty()) {
    return std::nullopt;
  }
  TUserListPrnFrm form(call.Args());
  form.Open();
  return form.RunModal();
}

}  // namespace

}  // namespace admin

TAVRO_DIALOG_ENTRY(Mn_UserListPrint, frame::DialogEntrySpec{}, admin::OpenUserListPrint)
