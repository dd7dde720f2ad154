// The corporate account dialog: one account of the operator's corporation, of which only
// the description can change, and the exported entry point Mn_AcEdit that opens it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/DialogFrm.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace admin {

class TAccountEditFrm : public frame::TDialogFrm {
 public:
  // Creates the controls, localises them from the language file (when there is one) and
  // applies the font rule.
  explicit TAccountEditFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  ui::TLabel* CorpNameLbl;
  ui::TEdit* CorpNameEdt;
  ui::TLabel* AcNoLbl;
  ui::TEdit* AcNoEdt;
  ui::TLabel* AcNameLbl;
  ui::TEdit* AcNameEdt;
  ui::TLabel* CurrencyLbl;
  ui::TEdit* CurrencyEdt;
  ui::TLabel* AcTypeLbl;
  ui::TComboBox* AcTypeCmb;
  ui::TLabel* StatusLbl;
  ui::TComboBox* StatusCmb;
  ui::TButton* UpdateBtn;
  ui::TButton* CancelBtn;

  // Result is the server's reply to the last save; all zero until a save.

  // Fills the controls from the account record and enables the save when the operator
  // may modify on this dialog's function.
  void LoadAccount(std::string_view accountNo);

  void UpdateBtnClick();
  void FormCloseQuery(bool& canClose);

 private:
  void ApplyLanguage(const sys::IniFile& file) override;
};

}  // namespace admin
