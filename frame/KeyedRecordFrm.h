// The base of the dialogs of a record named by its id within the corporation (the
// customer and the CNY payee): whether the id is known, the save's answer, the delete
// and the change of id, which end the same way in both.
#pragma once

#include <string>
#include <string_view>

#include "frame/DialogFrm.h"
#include "frame/KeyedRecord.h"

namespace frame {

class TKeyedRecordFrm : public TDialogFrm {
 protected:
  // commands are the record's existence, delete and change-of-id commands (static).
  TKeyedRecordFrm(const char* name, const EntryArgs& call, const TKeyedCommands& commands);

  // True when the server knows id (alone or with further data).
  bool RecordExists(std::string_view id) const;
  // Takes an update's answer: only a saved record becomes the result (a refused save
  // changed nothing, and a later close with OK after a failed delete or change of id
  // must not hand the shell the refusal); the dialog closes with OK, or with the cancel
  // result after a refusal.
  void TakeSaveAnswer(const TShellResult& answer);
  // Deletes id, and gives oldId a new id, after their questions; a success hands the
  // shell its code with the id it started from and the corporation.
  void DeleteRecord(const std::string& id);
  void ChangeRecordId(const std::string& oldId);

 private:
  TKeyedRecordCall KeyedCall() const;
  void TakeOutcome(const TKeyedOutcome& outcome, std::string_view id);

  const TKeyedCommands& commands_;
};

}  // namespace frame
