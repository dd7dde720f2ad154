// The frame shared by the module's dialog entry points: reading the seven parameters,
// the owner-window swap, the function cache around the call, clearing the caller's
// result and copying the dialog's result when it closed with OK.
//
// A dialog entry point is then only its own steps (Mn_CustomerEdit, customer/):
//
//   TAVRO_EXPORT void TAVRO_STDCALL Mn_CustomerEdit(TShellResult* Result, HWND_T ShellWnd,
//       const char* CorpNo, const char* UserNo, std::int32_t FunctionId, const char* Key,
//       const char* Extra) {
//     frame::RunDialogEntry({}, Result, ShellWnd, CorpNo, UserNo, FunctionId, Key, Extra,
//                           OpenCustomerEdit);
//   }
//
// where OpenCustomerEdit is the dialog's own steps:
//
//   frame::DialogOutcome OpenCustomerEdit(frame::DialogEntryCall& call) {
//     customer::TCustomerEdtFrm form(call.Args());  // a frame::TDialogFrm
//     form.Open(call.Args().Key);
//     return form.RunModal();
//   }
//
// TAVRO_DIALOG_ENTRY writes that definition, and frame::RunByKey (frame/DialogFrm.h) is
// those steps for any dialog that opens on its key: TAVRO_DIALOG_ENTRY(Mn_CustomerEdit,
// frame::DialogEntrySpec{}, frame::RunByKey<customer::TCustomerEdtFrm>).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "frame/Localisation.h"
#include "frame/ShellFunc.h"
#include "sys/Abi.h"
#include "ui/Platform.h"

namespace frame {

// Text parameters are read up to this many bytes (the key and extra fields plus zero).
inline constexpr std::size_t kKeyParamBytes = 51;

// Reads a text parameter: up to maxBytes bytes, stopping at the first zero byte; a null
// pointer reads as empty. A double-byte character split by the limit is dropped.
std::string ReadTextParam(const char* text, std::size_t maxBytes);

// The parameters as every dialog entry point holds them.
struct EntryArgs {
  HWND_T ShellWnd = 0;
  std::string CorpNo{};  // at most 4 bytes
  std::string UserNo{};  // at most 6 bytes
  std::int32_t FunctionId = 0;
  std::string Key{};    // at most the entry point's key length
  std::string Extra{};  // at most 50 bytes
};

// How one dialog entry point differs from the common shape.
struct DialogEntrySpec {
  std::size_t KeyLen = kKeyLen;  // the key is cut to this many bytes
  bool UseFunctionCache = true;  // load the cache at the start, save it at the end
  bool ClearResultFirst = true;  // false: the entry point's steps clear it themselves
};

// What the entry point's steps see of the call.
class DialogEntryCall {
 public:
  DialogEntryCall(TShellResult* result, EntryArgs args) : result_(result), args_(std::move(args)) {}

  const EntryArgs& Args() const { return args_; }
  // Copies the zero result over the caller's record (a null record is never written).
  void ClearResult();
  // Copies result to the caller's record, its text bounded to 50 bytes.
  void SetResult(const TShellResult& result);

 private:
  TShellResult* result_;
  EntryArgs args_;
};

// What the steps hand back: the dialog's result to copy to the caller (it closed with
// OK), or nothing (cancelled, refused by the key check, or an entry point that ignores
// the modal result).
using DialogOutcome = std::optional<TShellResult>;

// The dialog's result when modalResult is OK, else nothing.
inline DialogOutcome OutcomeOf(int modalResult, const TShellResult& dialogResult) {
  if (modalResult == ui::mrOk) {
    return dialogResult;
  }
  return std::nullopt;
}

// Reads the parameters: the ids up to 4 and 6 bytes, the key and extra up to 51 bytes,
// then cut to the entry point's key length and to 50 bytes.
EntryArgs ReadEntryArgs(const DialogEntrySpec& shape, HWND_T shellWnd, const char* corpNo,
                        const char* userNo, std::int32_t functionId, const char* key,
                        const char* extra);

// Runs the work of an entry point, whatever its kind; every exported entry point passes
// through here. The platform speaks the module's language (LangId) for the call, in its
// own texts as in the dialogs', and a normal return ends the call on the platform (an
// operator script must be played out).
template <class Work>
void RunEntry(Work&& work) {
  ui::BeginEntryCall(LocaleOfLangId(GetLangId()));
  std::forward<Work>(work)();
  ui::EndEntryCall();
}

// Runs a dialog entry point (RunEntry): the shell's window owns everything shown and the
// function cache is loaded for the call; both are given back on every path out, an
// exception included. steps(DialogEntryCall&) -> DialogOutcome is the entry point's own
// work.
template <class Steps>
void RunDialogEntry(const DialogEntrySpec& shape, TShellResult* result, HWND_T shellWnd,
                    const char* corpNo, const char* userNo, std::int32_t functionId,
                    const char* key, const char* extra, Steps&& steps) {
  RunEntry([&] {
    ui::OwnerWindowScope owner(shellWnd);
    std::optional<FunctionCacheScope> cache;
    if (shape.UseFunctionCache) {
      cache.emplace();
    }
    DialogEntryCall call(result,
                         ReadEntryArgs(shape, shellWnd, corpNo, userNo, functionId, key, extra));
    if (shape.ClearResultFirst) {
      call.ClearResult();
    }
    const DialogOutcome outcome = std::forward<Steps>(steps)(call);
    if (outcome) {
      call.SetResult(*outcome);
    }
  });
}

}  // namespace frame

// Defines the dialog entry point name with the shell's seven parameters, run by
// frame::RunDialogEntry with shape (a frame::DialogEntrySpec) and the dialog's steps.
// Every dialog entry point has this one signature; it is written here once.
// NOLINTBEGIN(cppcoreguidelines-macro-usage): it defines an exported C function
#define TAVRO_DIALOG_ENTRY(name, shape, steps)                                                     \
  TAVRO_EXPORT void TAVRO_STDCALL name(TShellResult* Result, HWND_T ShellWnd, const char* CorpNo,  \
                                       const char* UserNo, std::int32_t FunctionId,                \
                                       const char* Key, const char* Extra) {                       \
    frame::RunDialogEntry(shape, Result, ShellWnd, CorpNo, UserNo, FunctionId, Key, Extra, steps); \
  }
// NOLINTEND(cppcoreguidelines-macro-usage)

// The exported entry points (C names, the shell's calling convention).
TAVRO_EXPORT void TAVRO_STDCALL Mn_GetCheckList(TFolderList* Result, HWND_T ShellWnd,
                                                const char* CorpNo, const char* UserNo,
                                                std::int32_t FunctionId, const char* Key);
TAVRO_EXPORT void TAVRO_STDCALL Mn_GetAuthoriseList(TFolderList* Result, HWND_T ShellWnd,
                                                    const char* CorpNo, const char* UserNo,
                                                    std::int32_t FunctionId, const char* Key);
TAVRO_EXPORT void TAVRO_STDCALL Mn_GetSendList(TFolderList* Result, HWND_T ShellWnd,
                                               const char* CorpNo, const char* UserNo,
                                               std::int32_t FunctionId, const char* Key);
TAVRO_EXPORT void TAVRO_STDCALL Mn_GetDeletedList(TFolderList* Result, HWND_T ShellWnd,
                                                  const char* CorpNo, const char* UserNo,
                                                  std::int32_t FunctionId, const char* Key);
TAVRO_EXPORT void TAVRO_STDCALL Mn_GetRejectedList(TFolderList* Result, HWND_T ShellWnd,
                                                   const char* CorpNo, const char* UserNo,
                                                   std::int32_t FunctionId, const char* Key);
TAVRO_EXPORT void TAVRO_STDCALL Mn_CheckRecord(TShellResult* Result, HWND_T ShellWnd,
                                               const char* CorpNo, const char* UserNo,
                                               std::int32_t FunctionId, const char* Key,
                                               const char* Extra);
// The dialog entry points; each is defined beside its dialog.
TAVRO_EXPORT void TAVRO_STDCALL Mn_UserEdit(TShellResult* Result, HWND_T ShellWnd,
                                            const char* CorpNo, const char* UserNo,
                                            std::int32_t FunctionId, const char* Key,
                                            const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_AcEdit(TShellResult* Result, HWND_T ShellWnd, const char* CorpNo,
                                          const char* UserNo, std::int32_t FunctionId,
                                          const char* Key, const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_UsageEdit(TShellResult* Result, HWND_T ShellWnd,
                                             const char* CorpNo, const char* UserNo,
                                             std::int32_t FunctionId, const char* Key,
                                             const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_UserListPrint(TShellResult* Result, HWND_T ShellWnd,
                                                 const char* CorpNo, const char* UserNo,
                                                 std::int32_t FunctionId, const char* Key,
                                                 const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_CustAcEdit(TShellResult* Result, HWND_T ShellWnd,
                                              const char* CorpNo, const char* UserNo,
                                              std::int32_t FunctionId, const char* Key,
                                              const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_CustCNYAcEdit(TShellResult* Result, HWND_T ShellWnd,
                                                 const char* CorpNo, const char* UserNo,
                                                 std::int32_t FunctionId, const char* Key,
                                                 const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_CustomerEdit(TShellResult* Result, HWND_T ShellWnd,
                                                const char* CorpNo, const char* UserNo,
                                                std::int32_t FunctionId, const char* Key,
                                                const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_CustAcNoList(TShellResult* Result, HWND_T ShellWnd,
                                                const char* CorpNo, const char* UserNo,
                                                std::int32_t FunctionId, const char* Key,
                                                const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_AcOrderEdit(TShellResult* Result, HWND_T ShellWnd,
                                               const char* CorpNo, const char* UserNo,
                                               std::int32_t FunctionId, const char* Key,
                                               const char* Extra);
TAVRO_EXPORT void TAVRO_STDCALL Mn_StatusFolderList(TShellResult* Result, HWND_T ShellWnd,
                                                    const char* CorpNo, const char* UserNo,
                                                    std::int32_t FunctionId, const char* Key,
                                                    const char* Extra);
