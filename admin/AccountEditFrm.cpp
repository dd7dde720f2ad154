// The corporate account dialog and its entry point Mn_AcEdit.
#include "admin/AccountEditFrm.h"

#include <initializer_list>
#include <optional>

#include "frame/CommaList.h"
#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "frame/RecordCmd.h"
#include "frame/ResultText.h"
#include "frame/ShellFunc.h"
#include "sys/CodePage.h"
#include "sys/IniFile.h"
#include "ui/FormDesign.h"

namespace admin {
// The designed geometry (and the language keys of the captions), kept as data:
// AccountEditFrm.layout.
constexpr char kLayout[] =
#include "AccountEditFrm.layout"
    ;

TAccountEditFrm::TAccountEditFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TDialogFrm("AccountEditFrm", call) {
  SetCaption(sys::Utf8ToGbk("帐号设置"));

  // Each row: its label, then its field; only the account name is the operator's.
  const frame::TFormBuilder build(*this);
  CorpNameLbl = build.FieldLabel("CorpNameLbl", "企业名称");
  CorpNameEdt = build.Edit("CorpNameEdt");
  AcNoLbl = build.FieldLabel("AcNoLbl", "帐号");
  AcNoEdt = build.Edit("AcNoEdt");
  AcNameLbl = build.FieldLabel("AcNameLbl", "帐户说明");
  AcNameEdt = build.Edit("AcNameEdt", static_cast<int>(frame::kAccountNameLen));
  CurrencyLbl = build.FieldLabel("CurrencyLbl", "币种");
  CurrencyEdt = build.Edit("CurrencyEdt");
  AcTypeLbl = build.FieldLabel("AcTypeLbl", "帐户类型");
  AcTypeCmb = build.PickList("AcTypeCmb");
  StatusLbl = build.FieldLabel("StatusLbl", "状态");
  StatusCmb = build.PickList("StatusCmb");
  for (ui::TControl* shown : std::initializer_list<ui::TControl*>{CorpNameEdt, AcNoEdt, CurrencyEdt,
                                                                  AcTypeCmb, StatusCmb}) {
    shown->SetEnabled(false);
  }

  UpdateBtn = build.SaveButton("UpdateBtn", [this] { UpdateBtnClick(); });
  CancelBtn = build.CloseButton("CancelBtn", "放弃");
  OnCloseQuery = [this](ui::TComponent*, bool& canClose) { FormCloseQuery(canClose); };
  FocusControl(AcNameEdt);

  FinishDesign(kLayout, lang);
}

// The dialog's fixed keys, read once from an opened language file. A key the file lacks
// leaves its control empty, as every key here has an empty default.
void TAccountEditFrm::ApplyLanguage(const sys::IniFile& file) {
  auto text = [&](const char* key) { return frame::GetLangTextOpen(file, LangId, key, ""); };
  frame::ApplyLayoutTexts(*this, kLayout, file, LangId);
  AcTypeCmb->SetItems(frame::SplitCommaList(text("Mnu_AcEdt_AcType_List")));
  AcTypeCmb->SetItemIndex(-1);
  StatusCmb->SetItems(frame::SplitCommaList(text("Mnu_AcEdt_Status_List")));
  StatusCmb->SetItemIndex(-1);
}

// A failed read gives the empty record: empty texts, type and status 0.
void TAccountEditFrm::LoadAccount(std::string_view accountNo) {
  const frame::TAccountRec rec = frame::GetAccountRec(ShellWnd, CorpNo, accountNo);
  AcNoEdt->SetText(rec.AccountNo);
  CorpNameEdt->SetText(rec.CorpName);
  CurrencyEdt->SetText(rec.Currency);
  AcTypeCmb->SetItemIndex(frame::FindItemByCode(AcTypeCmb->Items(), rec.AcType));
  AcNameEdt->SetText(rec.AccountName);
  StatusCmb->SetItemIndex(frame::FindItemByCode(StatusCmb->Items(), rec.Status));

  const std::string rights = frame::LookupNodeRights(ShellWnd, CorpNo, UserNo, FunctionId);
  UpdateBtn->SetEnabled(frame::RightGranted(rights, frame::kRightModify));
}

// Sends the description and the status as shown; a reply below 1 is no save, so the
// dialog asks whether to leave without one.
void TAccountEditFrm::UpdateBtnClick() {
  frame::TAccountRec rec;
  rec.AccountNo = AcNoEdt->Text();
  rec.CorpId = CorpNo;
  rec.AccountName = AcNameEdt->Text();
  rec.Status = frame::ItemCode(StatusCmb->Text());
  Result = frame::UpdateAccountRec(ShellWnd, FunctionId, rec);
  SetModalResult(Result.Code < 1 ? ui::mrCancel : ui::mrOk);
}

// Every way out but a successful save asks first; No keeps the dialog open.
void TAccountEditFrm::FormCloseQuery(bool& canClose) {
  if (ModalResult() != ui::mrCancel) {
    return;
  }
  const std::string question = frame::GetLangText(LangId, "Msg_Common_ExitWithoutSave", "");
  // A question "without a caption of its own" carries the application's title, as the
  // module's plain message boxes do.
  canClose = ui::AskYesNo(ui::kAppTitle, question);
}

namespace {

// Opens the account named by Key; a blank key opens nothing and leaves the caller's
// record as it was.
frame::DialogOutcome OpenAcEdit(frame::DialogEntryCall& call) {
  const frame::EntryArgs& args = call.Args();
  if (frame::TrimView(args.Key).empty()) {
    return std::nullopt;
  }
  TAccountEditFrm form(args);
  call.ClearResult();
  form.LoadAccount(args.Key);
  return form.RunModal();
}

}  // namespace

}  // namespace admin

TAVRO_DIALOG_ENTRY(Mn_AcEdit, frame::DialogEntrySpec{.ClearResultFirst = false}, admin::OpenAcEdit)
