// Review lists and the record check, with their entry points (Mn_Get*List, Mn_CheckRecord).
#include "customer/Mn_CheckFunc.h"

#include "frame/CommaList.h"
#include "frame/CommandText.h"
#include "frame/FolderList.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "frame/ResultText.h"
#include "frame/ShellFunc.h"

namespace customer {

TCheckKey SplitCheckKey(std::string_view key) {
  TCheckKey parts;
  const std::size_t colon = frame::GbkFind(key, ":");
  if (colon == std::string_view::npos) {
    parts.RecordKey = std::string(key);
  } else {
    parts.Prefix = std::string(key.substr(0, colon));
    parts.RecordKey = std::string(frame::GbkCut(key.substr(colon + 1), kKeyLen));
  }
  // Without a blank there is no function id, and 0 names no function.
  const std::size_t blank = frame::GbkFind(key, " ");
  if (blank != std::string_view::npos) {
    parts.FunctionId = frame::ParseDecimal(key.substr(0, blank)).value_or(0);
  }
  return parts;
}

void GetReviewList(TFolderList* list, HWND_T window, const char* corpNo, const char* userNo,
                   std::string_view procedure) {
  if (list == nullptr) {
    return;
  }
  *list = TFolderList{};
  const std::string langId = frame::GetLangId();
  const std::string value = frame::GetLangText(langId, "Mnu_Common_CheckColumn_List", "");
  frame::CopyToField(
      list->ColumnLayout,
      frame::BuildColumnLayout(frame::GbkCut(value, kCheckLayoutMax), kCheckLayoutMax));
  // "MN_GetCheckList %s,%s,%s" and its four siblings differ only in the procedure.
  const std::string command = frame::FormatCommand(
      std::string(procedure) + " %s,%s,%s",
      {langId, frame::ReadTextParam(corpNo, kCorpNoLen), frame::ReadTextParam(userNo, kUserNoLen)});
  frame::RunFolderCommand(window, command, *list);
}

void CheckRecord(TShellResult* result, HWND_T window, const char* corpNo, const char* userNo,
                 const char* key, const char* extra) {
  const TCheckKey parts = SplitCheckKey(frame::ReadTextParam(key, kKeyLen));
  // The called entry point always gets a record to fill, and the texts it is handed
  // on are never null.
  TShellResult own = kZeroShellResult;
  TShellResult* target = result != nullptr ? result : &own;
  *target = kZeroShellResult;

  const TShellFunction function = frame::LookupFunction(window, parts.FunctionId, 0);
  const std::string library = frame::Trim(frame::FieldText(function.LibraryName));
  const std::string entryName = frame::Trim(frame::FieldText(function.EntryName));
  if (library.empty() || entryName.empty()) {
    return;
  }

  frame::LoadedLibrary module(library);
  const TShellEntry entry = module.Entry(entryName);
  char recordKey[kKeyLen + 1];
  frame::CopyToField(recordKey, parts.RecordKey);
  try {
    entry(target, window, corpNo != nullptr ? corpNo : "", userNo != nullptr ? userNo : "",
          parts.FunctionId, recordKey, extra != nullptr ? extra : "");
  } catch (...) {
    // The error travels on to the shell, and may be an object of the called module:
    // that module stays loaded so that the error outlives this call.
    module.KeepLoaded();
    throw;
  }
  const std::string text = parts.Prefix + ":" + std::string(frame::FieldText(target->Text));
  frame::CopyToField(target->Text, text);
}

}  // namespace customer

// The five review lists: the folder's layout and a file of its rows for the shell. Each
// entry point runs as the dialog entry points do (frame::RunEntry): in the module's
// language, its call ended on the platform.

// NOLINTBEGIN(cppcoreguidelines-macro-usage): the exported names need one definition
// each, alike but for the name and the server's command.
#define TAVRO_REVIEW_LIST_ENTRY(name, command)                                                    \
  TAVRO_EXPORT void TAVRO_STDCALL name(TFolderList* Result, HWND_T ShellWnd, const char* CorpNo,  \
                                       const char* UserNo, std::int32_t /*FunctionId*/,           \
                                       const char* /*Key*/) {                                     \
    frame::RunEntry([&] { customer::GetReviewList(Result, ShellWnd, CorpNo, UserNo, command); }); \
  }
// NOLINTEND(cppcoreguidelines-macro-usage)

TAVRO_REVIEW_LIST_ENTRY(Mn_GetCheckList, "MN_GetCheckList")
TAVRO_REVIEW_LIST_ENTRY(Mn_GetAuthoriseList, "MN_GetAuthoriseList")
TAVRO_REVIEW_LIST_ENTRY(Mn_GetSendList, "MN_GetSendList")
TAVRO_REVIEW_LIST_ENTRY(Mn_GetDeletedList, "MN_GetDeletedList")
TAVRO_REVIEW_LIST_ENTRY(Mn_GetRejectedList, "MN_GetRejectedList")

// Opens a record of a review list in the module that edits records of its kind.
TAVRO_EXPORT void TAVRO_STDCALL Mn_CheckRecord(TShellResult* Result, HWND_T ShellWnd,
                                               const char* CorpNo, const char* UserNo,
                                               std::int32_t /*FunctionId*/, const char* Key,
                                               const char* Extra) {
  frame::RunEntry([&] { customer::CheckRecord(Result, ShellWnd, CorpNo, UserNo, Key, Extra); });
}
