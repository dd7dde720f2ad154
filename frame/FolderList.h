// The folder lists that fill a list view from a server list through a file: customer
// accounts and the authorisation, signature and audit trails of one business record.
// What the channel throws (frame/HostChannel.h) passes through.
#pragma once

#include <cstdint>
#include <string_view>

#include "sys/Abi.h"

namespace frame {

inline constexpr std::size_t kFolderCustIdLen = 24;
inline constexpr std::size_t kBusinessNoLen = 15;

// "MN_GetCustAcFolder %s,%s,%s,%s": language id, corporation, user, customer.
TFolderList GetCustAcFolder(HWND_T window, std::string_view langId, std::string_view corpNo,
                            std::string_view userNo, std::string_view custId);

// "MN_Get...Folder %d,%s,%s,%s": function id, corporation, user, business number.
TFolderList GetAuthoriseFolder(HWND_T window, std::string_view langId, std::int32_t functionId,
                               std::string_view corpNo, std::string_view userNo,
                               std::string_view businessNo);
TFolderList GetSignFolder(HWND_T window, std::string_view langId, std::int32_t functionId,
                          std::string_view corpNo, std::string_view userNo,
                          std::string_view businessNo);
TFolderList GetAuditFolder(HWND_T window, std::string_view langId, std::int32_t functionId,
                           std::string_view corpNo, std::string_view userNo,
                           std::string_view businessNo);

// The common steps: the layout from the language key (def when the key is missing), the
// command's rows into a new result file. FileName stays empty when the command fails.
TFolderList FillFolderList(HWND_T window, std::string_view langId, std::string_view layoutKey,
                           std::string_view layoutDefault, std::string_view command);

// Runs a folder command into a new result file and records the file in list: its name
// on success; empty on failure, when the file is removed again. A refused temporary
// folder is a failure reported like a failed command (ResultFileName), and sends nothing.
void RunFolderCommand(HWND_T window, std::string_view command, TFolderList& list);

}  // namespace frame
