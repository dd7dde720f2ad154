// The base of the dialogs of a record named by its id within the corporation (the
// customer and the CNY payee): the status row and the save, cancel and delete buttons
// both show, whether the id is known, the save's answer, the delete and the change of
// id, which end the same way in both.
#pragma once

#include <string>
#include <string_view>

#include "frame/DialogFrm.h"
#include "frame/KeyedRecord.h"
#include "ui/Controls.h"

namespace frame {

class TFormBuilder;

// Status items: index 0 deleted, index 1 in use.
inline constexpr int kStatusInUse = 1;

class TKeyedRecordFrm : public TDialogFrm {
 public:
  // The record's status (deleted or in use: the server's to change) and its operator.
  ui::TLabel* StatusLbl = nullptr;
  ui::TComboBox* StatusCmb = nullptr;
  ui::TLabel* OperatorLbl = nullptr;
  ui::TLabel* OperatorShowLbl = nullptr;
  ui::TButton* UpdateBtn = nullptr;
  ui::TButton* CancelBtn = nullptr;
  ui::TButton* DeleteBtn = nullptr;

  // The record the key names (LoadRecord), or a new one for a blank key; then the
  // operator's rights (ApplyRights).
  void Open(std::string_view key);
  // Fills the fields from the server's record of id.
  virtual void LoadRecord(std::string_view id) = 0;
  // Enables save and delete by the operator's rights on the function node.
  virtual void ApplyRights() = 0;
  // A new record: the current operator, status in use.
  void PrepareNewRecord();

  virtual void UpdateBtnClick() = 0;
  // Deletes the shown record, and gives it a new id, after their questions.
  void DeleteBtnClick();
  void ChangeCustBtnClick();

 protected:
  // commands are the record's existence, delete and change-of-id commands (static). The
  // form draws in bold MS Sans Serif.
  TKeyedRecordFrm(const char* name, const EntryArgs& call, const TKeyedCommands& commands);

  // The status row; the dialog adds it where its tab order wants it.
  void AddStatusRow(const TFormBuilder& build);
  // Save (not the default: Enter stays in the fields), cancel (not by Escape) and
  // delete, the last two disabled until the rights are read.
  void AddRecordButtons(const TFormBuilder& build);
  // A stored record's operator and status.
  void ShowRecordStamp(const std::string& op, int status);
  // The id the operator sees in the id field.
  virtual std::string RecordId() const = 0;

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
