// The CNY payee dialog and its entry point Mn_CustCNYAcEdit.
#include "payee/CustCNYAcEditFrm.h"

#include <memory>

#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "frame/ResultText.h"
#include "frame/ShellFunc.h"
#include "payee/FocusKeys.h"
#include "sys/CodePage.h"
#include "ui/FormDesign.h"
#include "ui/Platform.h"

namespace payee {

TCustCNYAcEditFrm* CustCNYAcEditFrm = nullptr;

namespace {

// The payee's commands for the shared delete and change of id.
constexpr frame::TKeyedCommands kKeyedCommands = {
    "MN_CustCNYAcExists %s,%s", "MN_CustCNYAcDelete %s,%s", "MN_CustCNYAcUpdate %s,%s,%s"};

// Field lengths of the edits, as the operator may type them: the record's, but for the
// name, which the dialog holds shorter than the record could.
template <std::string frame::TCustCNYAcRec::*Field>
constexpr int kFieldLen = static_cast<int>(frame::FieldLen(frame::kCustCNYAcFields, Field));
constexpr int kIdEditLen = kFieldLen<&frame::TCustCNYAcRec::PayeeId>;
constexpr int kNameEditLen = 50;
constexpr int kAcNoEditLen = kFieldLen<&frame::TCustCNYAcRec::AcNo>;
constexpr int kBankEditLen = kFieldLen<&frame::TCustCNYAcRec::BankName>;
constexpr int kRefEditLen = kFieldLen<&frame::TCustCNYAcRec::Remark>;
constexpr int kSmsEditLen = kFieldLen<&frame::TCustCNYAcRec::Sms>;

std::string Gbk(const char* utf8) {
  return frame::TFormBuilder::Text(utf8);
}

// The designed geometry, kept as data: CustCNYAcEditFrm.layout.
constexpr char kLayout[] =
#include "CustCNYAcEditFrm.layout"
    ;

}  // namespace

TCustCNYAcEditFrm::TCustCNYAcEditFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TKeyedRecordFrm("CustCNYAcEditFrm", call, kKeyedCommands) {
  SetCaption(Gbk("人民币收款人设置"));

  // The entry fields, then the buttons; the layout gives their places and tab order.
  const frame::TFormBuilder build(*this);
  CustIdLbl = build.FieldLabel("CustIdLbl", "收款人代码");
  CustIdEdt = build.Edit("CustIdEdt", kIdEditLen);
  CustNameLbl = build.FieldLabel("CustNameLbl", "收款人账户名");
  CustNameEdt = build.Edit("CustNameEdt", kNameEditLen);
  CustAcNoLbl = build.FieldLabel("CustAcNoLbl", "收款人账号");
  CustAcNoEdt = build.Edit("CustAcNoEdt", kAcNoEditLen);
  CustBankNameLbl = build.FieldLabel("CustBankNameLbl", "收款人开户行");
  CustBankNameEdt = build.Edit("CustBankNameEdt", kBankEditLen);
  RefLbl = build.FieldLabel("RefLbl", "附加说明");
  RefEdt = build.Edit("RefEdt", kRefEditLen);
  EMailLbl = build.FieldLabel("EMailLbl", "EMail地址");
  EMailMmo = build.Add<ui::TMemo>("EMailMmo");
  CustSmsLbl = build.FieldLabel("CustSmsLbl", "收款人短信号码");
  SmsEdt = build.Edit("SmsEdt", kSmsEditLen);
  AddStatusRow(build);
  StatusCmb->SetColor(kReadOnlyColor);
  AddRecordButtons(build);
  ChangeCustBtn = build.Button("ChangeCustBtn", "修改收款人代码", [this] { ChangeCustBtnClick(); });
  // Kept for the layout the operators know; it does nothing.
  ImportBtn = build.Button("ImportBtn", "导入");

  for (ui::TWinControl* field :
       {static_cast<ui::TWinControl*>(CustIdEdt), static_cast<ui::TWinControl*>(CustNameEdt),
        static_cast<ui::TWinControl*>(CustAcNoEdt), static_cast<ui::TWinControl*>(CustBankNameEdt),
        static_cast<ui::TWinControl*>(RefEdt), static_cast<ui::TWinControl*>(SmsEdt),
        static_cast<ui::TWinControl*>(StatusCmb)}) {
    field->OnKeyDown = MoveFocusByKey;
  }
  EMailMmo->OnExit = [this](ui::TComponent*) { EMailMmoExit(); };
  OnCloseQuery = [this](ui::TComponent*, bool& canClose) { FormCloseQuery(canClose); };

  FinishDesign(kLayout, lang);
}

void TCustCNYAcEditFrm::ApplyLanguage(const sys::IniFile& file) {
  frame::ApplyFormLanguage(*this, "CustCNYAc", file, LangId);
}

// A failed read gives the empty record, so the fields come out blank and status 0.
void TCustCNYAcEditFrm::LoadRecord(std::string_view payeeId) {
  const frame::TCustCNYAcRec rec = frame::GetCustCNYAcRec(ShellWnd, CorpNo, payeeId);
  CustIdEdt->SetText(rec.PayeeId);
  CustNameEdt->SetText(rec.AcName);
  CustAcNoEdt->SetText(rec.AcNo);
  CustBankNameEdt->SetText(rec.BankName);
  ShowRecordStamp(rec.Operator, rec.Status);
  RefEdt->SetText(rec.Remark);
  EMailMmo->SetText(rec.EMail);  // the record holds the decoded lines
  SmsEdt->SetText(rec.Sms);
  CustIdEdt->SetReadOnly(true);
  CustIdEdt->SetColor(kReadOnlyColor);
}

// Saving needs the right to modify, for a new payee too; the right to add is not read.
void TCustCNYAcEditFrm::ApplyRights() {
  const std::string rights = frame::LookupNodeRights(ShellWnd, CorpNo, UserNo, FunctionId);
  UpdateBtn->SetEnabled(frame::RightGranted(rights, frame::kRightModify));
  DeleteBtn->SetEnabled(!CustIdEdt->Text().empty() &&
                        frame::RightGranted(rights, frame::kRightDelete));
}

frame::TCustCNYAcRec TCustCNYAcEditFrm::PayeeRecord() const {
  frame::TCustCNYAcRec rec;
  rec.PayeeId = CustIdEdt->Text();
  rec.CorpId = CorpNo;
  rec.AcName = CustNameEdt->Text();
  rec.AcNo = CustAcNoEdt->Text();
  rec.BankName = CustBankNameEdt->Text();
  rec.Operator = UserNo;
  rec.Status = StatusCmb->ItemIndex();
  rec.Remark = RefEdt->Text();
  rec.EMail = frame::EncodeNewlines(EMailMmo->Text());
  rec.Sms = SmsEdt->Text();
  return rec;
}

// An existing payee is confirmed before the fields are checked, so the question comes
// first even when a field is missing.
void TCustCNYAcEditFrm::UpdateBtnClick() {
  if (RecordExists(CustIdEdt->Text()) &&
      !frame::AskLangQuestion(LangId, "Msg_Common_UpdateOldRecord_Hint")) {
    return;
  }
  const struct {
    ui::TEdit* edit;
    const char* message;
  } required[] = {
      {CustIdEdt, "请输入收款人代码"},
      {CustNameEdt, "请输入收款人名称（户名）"},
      {CustAcNoEdt, "请输入收款人账号"},
      {CustBankNameEdt, "请输入收款人银行"},
  };
  for (const auto& field : required) {
    if (field.edit->Text().empty()) {
      ShowFixedMessage(field.message, field.edit);
      return;
    }
  }
  TakeSaveAnswer(frame::UpdateCustCNYAcRec(ShellWnd, FunctionId, PayeeRecord()));
}

// Only the presence of "@" is checked; blanks alone count as no address.
void TCustCNYAcEditFrm::EMailMmoExit() {
  const std::string text = EMailMmo->Text();
  if (frame::TrimView(text).empty() || frame::GbkContains(text, "@")) {
    return;
  }
  frame::ShowLangMessage(LangId, "Msg_CustEdt_Email_Error");
  EMailMmo->SetFocus();
}

// Leaving with the cancel result (Cancel, the close box, a refused save) is confirmed.
void TCustCNYAcEditFrm::FormCloseQuery(bool& canClose) {
  if (ModalResult() != ui::mrCancel) {
    return;
  }
  const std::string text =
      frame::GetLangText(LangId, "Msg_Common_ExitWithoutSave", Gbk("是否放弃当前修改?"));
  canClose = ui::AskYesNo(frame::WarningCaption(LangId), text, ui::MsgIcon::Warning);
}

void TCustCNYAcEditFrm::ShowFixedMessage(const char* utf8, ui::TWinControl* focus) {
  frame::ShowFixedText(utf8);
  focus->SetFocus();
}

namespace {

// The shell's CNY payee function: no function cache; the dialog lives in the module's
// one dialog variable for the length of the call.
frame::DialogOutcome OpenCustCNYAcEdit(frame::DialogEntryCall& call) {
  auto form = std::make_unique<TCustCNYAcEditFrm>(call.Args());
  struct Held {
    ~Held() { CustCNYAcEditFrm = nullptr; }
  } held;
  CustCNYAcEditFrm = form.get();
  form->Open(call.Args().Key);
  return form->RunModal();
}

}  // namespace

}  // namespace payee

TAVRO_DIALOG_ENTRY(Mn_CustCNYAcEdit, frame::DialogEntrySpec{.UseFunctionCache = false},
                   payee::OpenCustCNYAcEdit)
