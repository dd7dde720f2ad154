// The base of the keyed record dialogs.
#include "frame/KeyedRecordFrm.h"

#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/RecordCmd.h"

namespace frame {

TKeyedRecordFrm::TKeyedRecordFrm(const char* name, const EntryArgs& call,
                                 const TKeyedCommands& commands)
    : TDialogFrm(name, call), commands_(commands) {
  ui::TFont font = Font();
  font.Name = "MS Sans Serif";
  font.Bold = true;
  SetFont(font);
}

void TKeyedRecordFrm::AddStatusRow(const TFormBuilder& build) {
  StatusLbl = build.FieldLabel("StatusLbl", "状态");
  StatusCmb = build.PickList("StatusCmb");
  StatusCmb->SetItems({TFormBuilder::Text("已删除"), TFormBuilder::Text("使用")});
  StatusCmb->SetEnabled(false);
  OperatorLbl = build.FieldLabel("OperatorLbl", "操作员");
  OperatorShowLbl = build.Add<ui::TLabel>("OperatorShowLbl");
}

void TKeyedRecordFrm::AddRecordButtons(const TFormBuilder& build) {
  UpdateBtn = build.SaveButton(
      "UpdateBtn", [this] { UpdateBtnClick(); }, false);
  CancelBtn = build.CloseButton("CancelBtn", "放弃", false);
  DeleteBtn = build.Button("DeleteBtn", "删除", [this] { DeleteBtnClick(); });
  DeleteBtn->SetEnabled(false);
}

void TKeyedRecordFrm::Open(std::string_view key) {
  if (TrimView(key).empty()) {
    PrepareNewRecord();
  } else {
    LoadRecord(key);
  }
  ApplyRights();
}

void TKeyedRecordFrm::PrepareNewRecord() {
  ShowRecordStamp(UserNo, kStatusInUse);
}

void TKeyedRecordFrm::ShowRecordStamp(const std::string& op, int status) {
  OperatorShowLbl->SetCaption(op);
  StatusCmb->SetItemIndex(status);
}

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

void TKeyedRecordFrm::DeleteBtnClick() {
  DeleteRecord(RecordId());
}

// Not bound to a right.
void TKeyedRecordFrm::ChangeCustBtnClick() {
  ChangeRecordId(RecordId());
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
