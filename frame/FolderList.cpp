// Folder lists: a column layout from the language file and a file of rows.
#include "frame/FolderList.h"

#include <optional>
#include <string>

#include "frame/CommaList.h"
#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/Localisation.h"
#include "sys/CodePage.h"
#include "sys/Files.h"

namespace frame {

TFolderList FillFolderList(HWND_T window, std::string_view langId, std::string_view layoutKey,
                           std::string_view layoutDefault, std::string_view command) {
  TFolderList list{};
  CopyToField(list.ColumnLayout,
              BuildColumnLayout(GetLangText(langId, layoutKey, layoutDefault), kColumnLayoutMax));
  RunFolderCommand(window, command, list);
  return list;
}

void RunFolderCommand(HWND_T window, std::string_view command, TFolderList& list) {
  CopyToField(list.FileName, "");
  const std::optional<std::string> fileName = ResultFileName();
  if (!fileName) {
    return;  // reported as a failed command; nothing was sent
  }
  const bool ok = HostFileCommand(window, kChannelMain, command, *fileName) == 0;
  // A name that does not fit would send the shell to another file, and a failed
  // command's partial file would be left behind: neither is handed on.
  if (ok && fileName->size() < sizeof list.FileName) {
    CopyToField(list.FileName, *fileName);
  } else {
    sys::DeleteFile(*fileName);
  }
}

TFolderList GetCustAcFolder(HWND_T window, std::string_view langId, std::string_view corpNo,
                            std::string_view userNo, std::string_view custId) {
  return FillFolderList(window, langId, "Mnu_CustAcList_FolderColumn_List", "",
                        FormatCommand("MN_GetCustAcFolder %s,%s,%s,%s",
                                      {langId, corpNo, userNo, GbkCut(custId, kFolderCustIdLen)}));
}

TFolderList GetAuthoriseFolder(HWND_T window, std::string_view langId, std::int32_t functionId,
                               std::string_view corpNo, std::string_view userNo,
                               std::string_view businessNo) {
  return FillFolderList(
      window, langId, "Mnu_AuthoriseFolder_FolderColumn_List", "",
      FormatCommand("MN_GetAuthoriseFolder %d,%s,%s,%s",
                    {functionId, corpNo, userNo, GbkCut(businessNo, kBusinessNoLen)}));
}

TFolderList GetSignFolder(HWND_T window, std::string_view langId, std::int32_t functionId,
                          std::string_view corpNo, std::string_view userNo,
                          std::string_view businessNo) {
  return FillFolderList(
      window, langId, "Mnu_SignFolder_FolderColumn_List", "",
      FormatCommand("MN_GetSignFolder %d,%s,%s,%s",
                    {functionId, corpNo, userNo, GbkCut(businessNo, kBusinessNoLen)}));
}

TFolderList GetAuditFolder(HWND_T window, std::string_view langId, std::int32_t functionId,
                           std::string_view corpNo, std::string_view userNo,
                           std::string_view businessNo) {
  static const std::string kDefaultLayout =
      sys::Utf8ToGbk("业务编号^15,操作用户^15,操作时间^15,操作类型^15,操作结果^15");
  return FillFolderList(
      window, langId, "Mnu_AuditFolder_FolderColumn_List", kDefaultLayout,
      FormatCommand("MN_GetAuditFolder %d,%s,%s,%s",
                    {functionId, corpNo, userNo, GbkCut(businessNo, kBusinessNoLen)}));
}

}  // namespace frame
