// The base of the keyed record dialogs.
#include "frame/KeyedRecordFrm.h"

#include "frame/GbkText.h"
#include "frame/RecordCmd.h"

namespace frame {

TKeyedRecordFrm::TKeyedRecordFrm(const char* name, const EntryArgs& call,
                                 const TKeyedCommands& commands)
    : TDialogFrm(name, call), commands_(commands) {}

TKeyedRecordCall TKeyedRecordFrm::KeyedCall() const {
  return {ShellWnd, LangId, CorpNo, commands_};
}

bool TKeyedRecordFrm::RecordExists(std::string_view id) const {
  return KeyedRecordCount(KeyedCall(), id) >= kRecordExists;
}

void TKeyedRecordFrm::TakeSaveAnswer(const TShellResult& answer) {
  if (answer.Code > 0) {
    Result = answer;
    SetModalResult(ui::mrOk);
  } else {
    SetModalResult(ui::mrCancel);
  }
}

void TKeyedRecordFrm::DeleteRecord(const std::string& id) {
  TakeOutcome(DeleteKeyedRecord(KeyedCall(), id), id);
}

void TKeyedRecordFrm::ChangeRecordId(const std::string& oldId) {
  TakeOutcome(frame::ChangeRecordId(KeyedCall(), oldId, kCustIdLen), oldId);
}

void TKeyedRecordFrm::TakeOutcome(const TKeyedOutcome& outcome, std::string_view id) {
  if (outcome.Code > 0) {
    Result.Code = outcome.Code;
    CopyToField(Result.Text, std::string(id) + ":" + CorpNo);
  }
  if (outcome.Close) {
    SetModalResult(ui::mrOk);
  }
}

}  // namespace frame
