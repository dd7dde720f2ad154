// The base of the module's dialogs.
#include "frame/DialogFrm.h"

#include "frame/Localisation.h"
#include "ui/FormDesign.h"

namespace frame {

TDialogFrm::TDialogFrm(const char* name, const EntryArgs& call)
    : TForm(nullptr, name),
      ShellWnd(call.ShellWnd),
      CorpNo(call.CorpNo),
      UserNo(call.UserNo),
      FunctionId(call.FunctionId),
      LangId(GetLangId()),
      className_(std::string("T") + name) {
  SetPosition(ui::poScreenCenter);  // every dialog opens in the middle of the screen
}

EntryArgs TDialogFrm::Call() const {
  EntryArgs call;
  call.ShellWnd = ShellWnd;
  call.CorpNo = CorpNo;
  call.UserNo = UserNo;
  call.FunctionId = FunctionId;
  return call;
}

DialogOutcome TDialogFrm::RunModal() {
  return OutcomeOf(ShowModal(), Result);
}

sys::IniFile TDialogFrm::LangFile() {
  return sys::IniFile(GetLangFilePath());
}

void TDialogFrm::FinishDesign(std::string_view layout, const sys::IniFile& langFile) {
  if (langFile.Exists()) {
    ApplyLanguage(langFile);
  }
  ApplyFontRule(*this, LangId);
  ui::ApplyDesign(*this, layout);
}

void TDialogFrm::ApplyLanguage(const sys::IniFile&) {}

}  // namespace frame
