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

// Status items: index 0 deleted, index 1 in use.
inline constexpr int kStatusInUse = 1;

// The colour of the fields the operator cannot change.
inline constexpr ui::TColor kReadOnlyColor = ui::RGB(192, 220, 192);

class TCustCNYAcEditFrm : public frame::TKeyedRecordFrm {
 public:
  // Creates the controls, then localises them ("CustCNYAc") and applies the font rule.
  explicit TCustCNYAcEditFrm(const frame::EntryArgs& call);

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
  ui::TLabel* StatusLbl;
  ui::TComboBox* StatusCmb;
  ui::TLabel* OperatorLbl;
  ui::TLabel* OperatorShowLbl;
  ui::TButton* UpdateBtn;
  ui::TButton* CancelBtn;
  ui::TButton* DeleteBtn;
  ui::TButton* ChangeCustBtn;
  ui::TButton* ImportBtn;

  // The payee the key names, or a new one for a blank key; then the rights.
  void Open(std::string_view key);
  // Fills the fields from the server's record of payeeId; the id field is then read-only.
  void LoadPayee(std::string_view payeeId);
  // A new payee: the current operator and the status "in use".
  void PrepareNewPayee();
  // Enables save and delete by the operator's rights on the function node.
  void ApplyRights();

  // The record a save sends, built from the fields.
  frame::TCustCNYAcRec PayeeRecord() const;

  void UpdateBtnClick();
  void DeleteBtnClick();
  void ChangeCustBtnClick();
  void EMailMmoExit();
  void FormCloseQuery(bool& canClose);

 private:
  void ShowFixedMessage(const char* utf8, ui::TWinControl* focus);
};

// The dialog of the running Mn_CustCNYAcEdit call; null outside one.
extern TCustCNYAcEditFrm* CustCNYAcEditFrm;

}  // namespace payee
