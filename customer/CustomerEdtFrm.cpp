// The customer dialog and its entry point Mn_CustomerEdit.
#include "customer/CustomerEdtFrm.h"

#include "customer/CustExportFrm.h"
#include "customer/CustSnapInFrm.h"
#include "frame/CommaList.h"
#include "frame/CommandText.h"
#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "frame/ResultText.h"
#include "frame/ShellFunc.h"
#include "payee/swift/SwiftText.h"
#include "sys/CodePage.h"
#include "sys/IniFile.h"
#include "ui/FormDesign.h"
#include "ui/Platform.h"

namespace customer {
namespace {

// The customer's commands for the shared delete and change of id.
constexpr frame::TKeyedCommands kKeyedCommands = {
    "MN_CustomerExists %s,%s", "MN_CustomerDelete %s,%s", "MN_CustomerUpdate %s,%s,%s"};

// Lengths the operator may type into the one-line fields.
constexpr int kIdEditLen =
    static_cast<int>(frame::FieldLen(frame::kCustomerFields, &frame::TCustomerRec::CustId));
constexpr int kNameEditLen = 50;  // shorter than the record could hold
constexpr int kRefEditLen =
    static_cast<int>(frame::FieldLen(frame::kCustomerFields, &frame::TCustomerRec::Remark));

std::string Gbk(const char* utf8) {
  return frame::TFormBuilder::Text(utf8);
}

// The designed geometry (and the language keys of the captions), kept as data:
// CustomerEdtFrm.layout.
constexpr char kLayout[] =
#include "CustomerEdtFrm.layout"
    ;

}  // namespace

TCustomerEdtFrm::TCustomerEdtFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TKeyedRecordFrm("CustomerEdtFrm", call, kKeyedCommands) {
  SetCaption(Gbk("客户设置"));

  const frame::TFormBuilder build(*this);
  CustIdLbl = build.FieldLabel("CustIdLbl", "客户代码");
  IdEdt = build.Edit("IdEdt", kIdEditLen);
  ChangeCustBtn = build.Button("ChangeCustBtn", "修改客户代码", [this] { ChangeCustBtnClick(); });

  CNameLbl = build.FieldLabel("CNameLbl", "客户名称");
  CName1Lbl = build.FieldLabel("CName1Lbl", "（人民币支付用）");
  CNameEdt = build.Edit("CNameEdt", kNameEditLen);

  ENameLbl = build.FieldLabel("ENameLbl", "客户名称、地址");
  EName1Lbl = build.FieldLabel("EName1Lbl", "（外汇汇款用）");
  // SWIFT text: the memo refuses, silently, any change that breaks the character sets
  // or the four lines of 35 bytes a remittance message holds.
  ENameMmo = build.Add<payee::TFixedMemo>("ENameMmo");
  ENameMmo->SetWordWrap(false);
  ENameMmo->SetMapstr(std::string(payee::kSwiftBodySet));
  ENameMmo->SetHeadMapstr(std::string(payee::kSwiftHeadSet));
  ENameMmo->SetMaxline(kNameAddressLines);
  ENameMmo->SetCharPerLine(kNameAddressLineBytes);

  RefLbl = build.FieldLabel("RefLbl", "附加说明");
  RefEdt = build.Edit("RefEdt", kRefEditLen);
  EMailLbl = build.FieldLabel("EMailLbl", "EMail地址");
  EMailMmo = build.Add<ui::TMemo>("EMailMmo");

  AddStatusRow(build);
  AddRecordButtons(build);
  ImportBtn = build.Button("ImportBtn", "导入", [this] { ImportBtnClick(); });
  ExportBtn = build.Button("ExportBtn", "导出", [this] { ExportBtnClick(); });
  AcNoBtn = build.Button("AcNoBtn", "帐号", [this] { AcNoBtnClick(); });
  AcNoBtn->SetEnabled(false);
  OnCloseQuery = [this](ui::TComponent*, bool& canClose) { FormCloseQuery(canClose); };

  FinishDesign(kLayout, lang);
}

// The dialog's fixed keys; a key the file lacks leaves its control without text. Only
// the status items keep their designed texts when the file names none: without items a
// new customer would be saved with no status at all.
void TCustomerEdtFrm::ApplyLanguage(const sys::IniFile& file) {
  auto text = [&](std::string_view key) { return frame::GetLangTextOpen(file, LangId, key, ""); };
  frame::ApplyLayoutTexts(*this, kLayout, file, LangId);
  ui::TStrings status = frame::SplitCommaList(text("Mnu_CustEdt_Status_List"));
  if (!status.empty()) {
    StatusCmb->SetItems(std::move(status));
    StatusCmb->SetItemIndex(-1);
  }
}

void TCustomerEdtFrm::LoadRecord(std::string_view custId) {
  const frame::TCustomerRec rec = frame::GetCustomerRec(ShellWnd, CorpNo, custId);
  IdEdt->SetText(rec.CustId);
  CNameEdt->SetText(rec.CustName);
  ENameMmo->SetText(rec.NameAddress);  // the record holds the decoded lines
  EMailMmo->SetText(rec.EMail);
  RefEdt->SetText(rec.Remark);
  ShowRecordStamp(rec.Operator, rec.Status);
  AcNoBtn->SetEnabled(true);
}

// Either the right to add or the right to modify opens the save button; which of the
// two a save needs is known only when the server says whether the customer exists.
void TCustomerEdtFrm::ApplyRights() {
  rights_ = frame::LookupNodeRights(ShellWnd, CorpNo, UserNo, FunctionId);
  UpdateBtn->SetEnabled(frame::RightGranted(rights_, frame::kRightModify) ||
                        frame::RightGranted(rights_, frame::kRightAdd));
  DeleteBtn->SetEnabled(!IdEdt->Text().empty() &&
                        frame::RightGranted(rights_, frame::kRightDelete));
}

frame::TCustomerRec TCustomerEdtFrm::CustomerRecord() const {
  frame::TCustomerRec rec;
  rec.CustId = IdEdt->Text();
  rec.CorpId = CorpNo;
  rec.CustName = CNameEdt->Text();
  rec.NameAddress = frame::EncodeNewlines(ENameMmo->Text());
  rec.Remark = RefEdt->Text();
  rec.EMail = frame::EncodeNewlines(EMailMmo->Text());
  rec.Operator = UserNo;
  rec.Status = StatusCmb->ItemIndex();
  return rec;
}

// A new customer needs no question; saving over an existing one needs the right to
// modify and a Yes.
void TCustomerEdtFrm::UpdateBtnClick() {
  if (RecordExists(IdEdt->Text())) {
    if (!frame::RightGranted(rights_, frame::kRightModify)) {
      frame::ShowFixedText("你无权修改原有客户信息！");
      return;
    }
    if (!frame::AskLangQuestion(LangId, "Msg_Common_UpdateOldRecord_Hint")) {
      return;
    }
  }
  TakeSaveAnswer(frame::UpdateCustomerRec(ShellWnd, FunctionId, CustomerRecord()));
}

// The list runs under the window that owns the module's windows now, through the
// library loader as any other module's entry point would. Its result is of no use
// here, and a loader failure is left to the event loop, which shows it.
void TCustomerEdtFrm::AcNoBtnClick() {
  const std::string custId = IdEdt->Text();
  if (custId.empty()) {
    return;
  }
  TShellResult listResult{};
  frame::CallCustAcNoList(ui::CurrentPlatform().OwnerWindow(), CorpNo, UserNo, &listResult, custId);
}

// Neither the import nor the export refreshes this dialog: the shell refreshes its
// customer folder itself.
void TCustomerEdtFrm::ImportBtnClick() {
  TCustSnapInFrm form(Call());
  form.ShowModal();
}

void TCustomerEdtFrm::ExportBtnClick() {
  TCustExportFrm form(Call());
  form.ShowModal();
}

// Leaving with the cancel result (Cancel, the close box, a refused save) is confirmed.
void TCustomerEdtFrm::FormCloseQuery(bool& canClose) {
  if (ModalResult() != ui::mrCancel) {
    return;
  }
  canClose = frame::AskLangQuestion(LangId, "Msg_Common_ExitWithoutSave");
}

}  // namespace customer

// The shell's customer function: a blank key opens a new customer; an existing one is
// loaded by the key as received.
TAVRO_DIALOG_ENTRY(Mn_CustomerEdit, frame::DialogEntrySpec{},
                   frame::RunByKey<customer::TCustomerEdtFrm>)
