// The CNY payee dialog: one payee of the operator's corporation (id, account name,
// account number, bank, remark, e-mail addresses, SMS number), created, saved over,
// deleted or given a new id. The shell opens it through Mn_CustCNYAcEdit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/KeyedRecordFrm.h"
#include "frame/RecordCmd.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace payee {

// The colour of the fields the operator cannot change.
inline constexpr ui::TColor kReadOnlyColor = ui::RGB(192, 220, 192);

class TCustCNYAcEditFrm : public frame::TKeyedRecordFrm {
 public:
  // Creates the controls, then localises them ("CustCNYAc") and applies the font rule.
  explicit TCustCNYAcEditFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  ui::TLabel* CustIdLbl;
  ui::TEdit* CustIdEdt;
  ui::TLabel* CustNameLbl;
  ui::TEdit* CustNameEdt;
  ui::TLabel* CustAcNoLbl;
  ui::TEdit* CustAcNoEdt;
  ui::TLabel* CustBankNameLbl;
  ui::TEdit* CustBankNameEdt;
  ui::TLabel* RefLbl;
  ui::TEdit* RefEdt;
  ui::TLabel* EMailLbl;
  ui::TMemo* EMailMmo;
  ui::TLabel* CustSmsLbl;
  ui::TEdit* SmsEdt;
  ui::TButton* ChangeCustBtn;
  ui::TButton* ImportBtn;

  // Fills the fields from the server's record of payeeId; the id field is then read-only.
  void LoadRecord(std::string_view payeeId) override;
  // Enables save and delete by the operator's rights on the function node.
  void ApplyRights() override;

  // The record a save sends, built from the fields.
  frame::TCustCNYAcRec PayeeRecord() const;

  void UpdateBtnClick() override;
  void EMailMmoExit();
  void FormCloseQuery(bool& canClose);

 private:
  std::string RecordId() const override { return CustIdEdt->Text(); }
  void ApplyLanguage(const sys::IniFile& file) override;
  void ShowFixedMessage(const char* utf8, ui::TWinControl* focus);
};

// The dialog of the running Mn_CustCNYAcEdit call; null outside one.
extern TCustCNYAcEditFrm* CustCNYAcEditFrm;

}  // namespace payee
