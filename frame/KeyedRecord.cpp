#include "frame/KeyedRecord.h"

#include <string>

#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/Localisation.h"
#include "ui/Platform.h"

namespace frame {

int KeyedRecordCount(const TKeyedRecordCall& call, std::string_view id) {
  return HostCommandInt(call.Window, kChannelMain,
                        FormatCommand(call.Commands.Exists, {id, call.CorpNo}), 0);
}

void ShowLangMessage(std::string_view langId, std::string_view key) {
  ui::CurrentPlatform().MessageBox("", GetLangText(langId, key, ""), ui::MsgButtons::Ok,
                                   ui::MsgIcon::None);
}

bool AskLangQuestion(std::string_view langId, std::string_view key) {
  return ui::AskYesNo("", GetLangText(langId, key, ""));
}

// A record that is gone closes the dialog: there is nothing left to edit.
TKeyedOutcome DeleteKeyedRecord(const TKeyedRecordCall& call, std::string_view id) {
  if (!AskLangQuestion(call.LangId, "Msg_Common_DeleteRecord_Hint")) {
    return {};
  }
  const int count = KeyedRecordCount(call, id);
  if (count < kRecordExists) {
    ShowLangMessage(call.LangId, "Msg_Common_NoRecord_Hint");
    return {true, 0};
  }
  if (count == kRecordExists && !AskLangQuestion(call.LangId, "Msg_Common_DeleteRecord_Hint")) {
    return {};
  }
  if (count == kRecordWithData && !AskLangQuestion(call.LangId, "Msg_CustEdt_DeleteCustAc_Hint")) {
    return {};
  }
  if (count > kRecordWithData) {
    ShowLangMessage(call.LangId, "Msg_CustEdt_DeleteCust_Error");
    return {};
  }
  const int deleted = HostCommandInt(call.Window, kChannelMain,
                                     FormatCommand(call.Commands.Delete, {id, call.CorpNo}), 0);
  if (deleted < 1) {
    ShowLangMessage(call.LangId, "Msg_CustEdt_CustDelete_Error");
    return {true, 0};
  }
  ShowLangMessage(call.LangId, "Msg_Common_RecordDeleted_Hint");
  return {true, kCodeDeleted};
}

TKeyedOutcome ChangeRecordId(const TKeyedRecordCall& call, std::string_view oldId,
                             std::size_t newIdLen) {
  if (oldId.empty()) {
    return {};
  }
  const int count = KeyedRecordCount(call, oldId);
  if (count < kRecordExists) {
    ShowLangMessage(call.LangId, "Msg_Common_NoRecord_Hint");
    return {true, 0};
  }
  std::string newId;
  if (!ui::CurrentPlatform().InputBox(GetLangText(call.LangId, "Msg_CustEdt_Update_Hint1", ""),
                                      GetLangText(call.LangId, "Msg_CustEdt_Update_Hint2", ""),
                                      newId)) {
    return {};
  }
  newId = GbkCut(newId, newIdLen);
  if (newId.empty()) {
    return {};
  }
  if (KeyedRecordCount(call, newId) >= kRecordExists) {
    ShowLangMessage(call.LangId, "Msg_CustEdt_NewCustId_Error");
    return {};
  }
  if (count == kRecordExists && !AskLangQuestion(call.LangId, "Msg_Common_UpdateOldRecord_Hint")) {
    return {};
  }
  if (count == kRecordWithData && !AskLangQuestion(call.LangId, "Msg_CustEdt_UpdateCustAc_Hint")) {
    return {};
  }
  if (count > kRecordWithData) {
    ShowLangMessage(call.LangId, "Msg_CustEdt_DeleteCust_Error");
    return {};
  }
  const int changed =
      HostCommandInt(call.Window, kChannelMain,
                     FormatCommand(call.Commands.Update, {oldId, newId, call.CorpNo}), 0);
  if (changed < 1) {
    ShowLangMessage(call.LangId, "Msg_CustEdt_CustUpdated_Error");
    return {true, 0};
  }
  ShowLangMessage(call.LangId, "Msg_CustEdt_CustUpdated_Hint");
  return {true, kCodeIdChanged};
}

}  // namespace frame
