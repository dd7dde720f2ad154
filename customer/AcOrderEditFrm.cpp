// The account order dialog and its entry point Mn_AcOrderEdit.
#include "customer/AcOrderEditFrm.h"

#include <utility>

#include "frame/CommandText.h"
#include "frame/FormBuilder.h"
#include "frame/HostChannel.h"
#include "frame/ListFillers.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "frame/ShellFunc.h"
#include "sys/CodePage.h"
#include "sys/IniFile.h"
#include "ui/FormDesign.h"
#include "ui/Platform.h"

namespace customer {
namespace {

// The account-number filler's kind for every account type.
constexpr int kAllAccountKinds = 99;

// A batch answers nothing worth reading; only its status counts.
constexpr std::size_t kSaveAnswerSize = 48;

// The designed geometry (and the language keys of the captions), kept as data:
// AcOrderEditFrm.layout.
constexpr char kLayout[] =
#include "AcOrderEditFrm.layout"
    ;

}  // namespace

std::string BuildAcOrderBatch(std::string_view corpNo, std::string_view userNo,
                              const std::vector<std::string>& accounts) {
  std::string batch;
  for (std::size_t i = 0; i < accounts.size(); ++i) {
    batch += frame::FormatCommand("exec MN_UpdateAcOrder %s,%s,%s,%d\r\n",
                                  {accounts[i], corpNo, userNo, static_cast<std::int32_t>(i)});
  }
  return batch;
}

TAcOrderEditFrm::TAcOrderEditFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TDialogFrm("AcOrderEditFrm", call) {
  SetCaption(sys::Utf8ToGbk("帐号顺序设置"));

  const frame::TFormBuilder build(*this);
  AcOrderLbl = build.Label("AcOrderLbl", "帐户顺序");
  AcListLbx = build.Add<ui::TListBox>("AcListLbx");
  AcListLbx->OnMouseDown = [this](ui::TComponent*, ui::TMouseButton button, ui::TShiftState, int x,
                                  int y) { AcListLbxMouseDown(button, x, y); };
  AcListLbx->OnDragOver = [this](ui::TComponent*, ui::TComponent*, int, int, ui::TDragState,
                                 bool& accept) { AcListLbxDragOver(accept); };
  AcListLbx->OnDragDrop = [this](ui::TComponent*, ui::TComponent* source, int x, int y) {
    AcListLbxDragDrop(source, x, y);
  };

  PromptLbl = build.Label("PromptLbl", "用鼠标托放进行帐户顺序调整");
  UpdateBtn = build.SaveButton("UpdateBtn", [this] { UpdateBtnClick(); });
  CancelBtn = build.CloseButton("CancelBtn", "放弃", false);
  OnCloseQuery = [this](ui::TComponent*, bool& canClose) { FormCloseQuery(canClose); };

  FinishDesign(kLayout, lang);
}

// Every key has an empty default, so a key the file lacks leaves its control without a
// caption.
void TAcOrderEditFrm::ApplyLanguage(const sys::IniFile& file) {
  frame::ApplyLayoutTexts(*this, kLayout, file, LangId);
}

// Each row of the answer is one line, kept whole: the line goes back to the server as
// the account's name when the order is saved.
void TAcOrderEditFrm::LoadAccounts() {
  std::vector<std::string> accounts;
  // A failed read (reported by the channel) shows an empty list.
  (void)frame::FillAcNoList(ShellWnd, kAllAccountKinds, "", CorpNo, UserNo, accounts);
  AcListLbx->SetItems(std::move(accounts));
  AcListLbx->SetItemIndex(-1);
}

// Without the right the operator may still arrange the list, but not save it.
void TAcOrderEditFrm::ApplyRights() {
  const std::string rights = frame::LookupNodeRights(ShellWnd, CorpNo, UserNo, FunctionId);
  UpdateBtn->SetEnabled(frame::RightGranted(rights, frame::kRightModify));
}

// The drag waits for the drag threshold, so a plain click on an account only selects it.
void TAcOrderEditFrm::AcListLbxMouseDown(ui::TMouseButton button, int x, int y) {
  if (button != ui::mbLeft || AcListLbx->ItemAtPos(x, y) < 0) {
    return;
  }
  AcListLbx->BeginDrag(false);
}

void TAcOrderEditFrm::AcListLbxDragOver(bool& accept) {
  accept = true;
}

// The dragged account is the selected one (the press selected it); it and the account
// under the drop point change places, and the selection goes with the dragged account.
void TAcOrderEditFrm::AcListLbxDragDrop(ui::TComponent* source, int x, int y) {
  if (dynamic_cast<ui::TListBox*>(source) == nullptr) {
    return;
  }
  const int target = AcListLbx->ItemAtPos(x, y);
  const int dragged = AcListLbx->ItemIndex();
  if (target < 0 || dragged < 0) {
    return;
  }
  AcListLbx->ExchangeItems(dragged, target);
  AcListLbx->SetItemIndex(target);
}

// One batch gives every account its position. A refused batch leaves the dialog open
// with the order as arranged (the channel has said why), so the operator may try again.
void TAcOrderEditFrm::UpdateBtnClick() {
  const std::string batch = BuildAcOrderBatch(CorpNo, UserNo, AcListLbx->Items());
  std::string answer;
  if (frame::HostCommand(ShellWnd, frame::kChannelMain, batch, answer, kSaveAnswerSize) != 0) {
    return;
  }
  // A box without a caption of its own carries the application's title.
  ui::CurrentPlatform().MessageBox(ui::kAppTitle, LangText("Msg_Common_UpdateRecord_Success"),
                                   ui::MsgButtons::Ok, ui::MsgIcon::None);
  SetModalResult(ui::mrOk);
}

// Leaving with the cancel result (Cancel or the close box) is confirmed; No stays.
void TAcOrderEditFrm::FormCloseQuery(bool& canClose) {
  if (ModalResult() != ui::mrCancel) {
    return;
  }
  canClose = ui::AskYesNo(ui::kAppTitle, LangText("Msg_Common_ExitWithoutSave"));
}

std::string TAcOrderEditFrm::LangText(const char* key) const {
  return frame::GetLangText(LangId, key, "");
}

namespace {

// The shell's account order function. The dialog never sets its result, so the caller's
// record ends all zero however the dialog closes.
frame::DialogOutcome OpenAcOrderEdit(frame::DialogEntryCall& call) {
  TAcOrderEditFrm form(call.Args());
  form.LoadAccounts();
  form.ApplyRights();
  return form.RunModal();
}

}  // namespace

}  // namespace customer

TAVRO_DIALOG_ENTRY(Mn_AcOrderEdit, frame::DialogEntrySpec{}, customer::OpenAcOrderEdit)
