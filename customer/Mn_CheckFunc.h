// The review lists (records to check, authorise, send, deleted and rejected) as folder
// lists for the shell, and the record check that opens one of their records in the
// module that edits records of its kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sys/Abi.h"

namespace customer {

// The review lists' layout value and layout text hold at most this many bytes.
inline constexpr std::size_t kCheckLayoutMax = 255;

// The parts of a review record key "12 payment:A0001".
struct TCheckKey {
  std::string Prefix;           // before the first ":" ("12 payment"); empty without ":"
  std::string RecordKey;        // after the first ":" ("A0001"); the whole key without ":"
  std::int32_t FunctionId = 0;  // the decimal before the first blank; 0 when none
};
TCheckKey SplitCheckKey(std::string_view key);

// Fills list with the review lists' layout ("Mnu_Common_CheckColumn_List") and the rows
// of "<procedure> %s,%s,%s" (language id, corporation, user) in a new result file;
// FileName stays empty when the command fails. A null list is not written.
void GetReviewList(TFolderList* list, HWND_T window, const char* corpNo, const char* userNo,
                   std::string_view procedure);

// Calls the entry point registered for the key's function with the record key part and
// hands back its result, the text prefixed with the key's prefix and ":". Raises
// "LoadLibrary %s Fail" and "GetProcAddress %s Fail"; an error inside the called entry
// point propagates.
void CheckRecord(TShellResult* result, HWND_T window, const char* corpNo, const char* userNo,
                 const char* key, const char* extra);

}  // namespace customer
