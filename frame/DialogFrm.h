// The base of the module's dialogs: the ids of the call a dialog works for, the language
// of its boxes and the result it hands the shell, held once for every dialog, and the
// modal run that turns its close into the entry point's outcome.
//
// Every dialog is made the one way, from the call that opens it; a dialog that opens
// another hands on its own call (Call()), so a nested dialog works for the same shell
// window, corporation, operator and function:
//
//   customer::TCustomerEdtFrm form(call.Args());
//   form.Open(call.Args().Key);
//   return form.RunModal();
//
// A dialog's constructor builds its controls, then ends with FinishDesign: the texts of
// the language file it was given (the one beside the program unless a test gives
// another), the font rule, the designed geometry.
#pragma once

#include <cstdint>
#include <string>

#include <string_view>

#include "frame/ManageEdit.h"
#include "sys/Abi.h"
#include "sys/IniFile.h"
#include "ui/Forms.h"

namespace frame {

class TDialogFrm : public ui::TForm {
 public:
  // Takes the ids of call (its key and extra are the entry point's own) and the module's
  // language id; name is the form's component name.
  TDialogFrm(const char* name, const EntryArgs& call);
  // A dialog's class is its form's name after a "T" (TCustomerEdtFrm is CustomerEdtFrm).
  const char* ClassName() const override { return className_.c_str(); }

  // The ids of the call: the shell's window owns every box, the corporation and the
  // operator go into every command.
  HWND_T ShellWnd = 0;
  std::string CorpNo;  // at most 4 bytes
  std::string UserNo;  // at most 6 bytes
  std::int32_t FunctionId = 0;
  // The language of the boxes, read when the dialog is made.
  std::string LangId;

  // What the shell gets when the dialog closes with OK; all zero until a dialog sets it.
  TShellResult Result = kZeroShellResult;

  // The call a dialog opened from this one is made for: the same ids, no key or extra.
  EntryArgs Call() const;

  // Shows the dialog modal: its Result when it closed with OK, else nothing.
  DialogOutcome RunModal();

  // The language file beside the running program; one that does not exist reads as no
  // file at all.
  static sys::IniFile LangFile();

 protected:
  // The last step of a dialog's constructor: ApplyLanguage with langFile when it exists,
  // the font rule of the dialog's language, then the geometry of layout
  // (ui/FormDesign.h).
  void FinishDesign(std::string_view layout, const sys::IniFile& langFile);
  // The dialog's texts from an existing language file; the base has none.
  virtual void ApplyLanguage(const sys::IniFile& file);

 private:
  std::string className_;
};

// The steps of an entry point whose dialog opens on the call's key: the dialog is made
// from the call and opened (Open(key)); RunByKey then runs it for the result it hands
// the shell, ShowByKey only shows it and hands back nothing.
template <class Dialog>
DialogOutcome RunByKey(DialogEntryCall& call) {
  Dialog form(call.Args());
  form.Open(call.Args().Key);
  return form.RunModal();
}

template <class Dialog>
DialogOutcome ShowByKey(DialogEntryCall& call) {
  Dialog form(call.Args());
  form.Open(call.Args().Key);
  form.ShowModal();
  return std::nullopt;
}

}  // namespace frame
