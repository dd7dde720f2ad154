// Deleting a record named by its id within a corporation (a customer, a CNY payee) and
// giving it a new id. The server's existence count decides which questions come; the
// language file's messages say how it ended.
#pragma once

#include <cstdint>
#include <string_view>

#include "sys/Abi.h"

namespace frame {

// Existence counts: below 1 no such record; 1 the record alone; 2 the record with
// further data (the questions then name it); above 2 refused.
inline constexpr int kRecordExists = 1;
inline constexpr int kRecordWithData = 2;

// Result codes a dialog hands the shell for these two actions.
inline constexpr std::int32_t kCodeIdChanged = 1;
inline constexpr std::int32_t kCodeDeleted = 3;

// The server's commands for one kind of record: existence and delete take the id and
// the corporation ("%s,%s"), the change of id the old id, the new id and the
// corporation ("%s,%s,%s"). Delete and change answer 1 or more on success.
struct TKeyedCommands {
  const char* Exists;
  const char* Delete;
  const char* Update;
};

// Where the commands go and whose language the messages are in.
struct TKeyedRecordCall {
  HWND_T Window = 0;
  std::string_view LangId;
  std::string_view CorpNo;
  const TKeyedCommands& Commands;
};

// How an action ended: Close means the dialog closes with OK; a Code above 0 is the
// result to hand the shell, with the id the action started from and the corporation.
struct TKeyedOutcome {
  bool Close = false;
  std::int32_t Code = 0;
};

// The server's existence count of id; 0 when the command fails.
[[nodiscard]] int KeyedRecordCount(const TKeyedRecordCall& call, std::string_view id);

// Deletes id after one or two questions.
[[nodiscard]] TKeyedOutcome DeleteKeyedRecord(const TKeyedRecordCall& call, std::string_view id);

// Gives oldId a new id asked for in an input box (cut to newIdLen bytes). The id field
// of the dialog keeps the old id: the shell refreshes by the old id it is handed.
[[nodiscard]] TKeyedOutcome ChangeRecordId(const TKeyedRecordCall& call, std::string_view oldId,
                                           std::size_t newIdLen);

// A language-file message in a box with an empty title: OK only, or Yes and No (true
// for Yes).
void ShowLangMessage(std::string_view langId, std::string_view key);
[[nodiscard]] bool AskLangQuestion(std::string_view langId, std::string_view key);

}  // namespace frame
