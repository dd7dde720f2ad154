// TCustAcEdtFrm: one bank account of a customer (payee) of the operator's corporation.
// A CNY account names its bank in plain Chinese; any other currency names it in SWIFT
// form: a bank type, an account at the bank, the bank's name and address (for type "A"
// its SWIFT code, expanded from the server's directory) and an intermediary bank.
// Opened by the exported entry point Mn_CustAcEdit for a new or an existing account.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/DialogFrm.h"
#include "frame/ManageEdit.h"
#include "payee/AddrPnl.h"
#include "payee/RuleEdit.h"
#include "payee/swift/fixmemo.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace payee {

class TCustAcEdtFrm : public frame::TDialogFrm {
 public:
  // Creates the dialog for the call's ids and localises it.
  explicit TCustAcEdtFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  // Fills the lists, loads the account the key names (or prepares a new one, with the
  // customer extra names) and enables saving by the operator's rights.
  void Open(std::string_view key, std::string_view extra);

  // The dialog's own window, handed to the command channel for the SWIFT lookup.
  HWND_T Handle() const { return reinterpret_cast<HWND_T>(this); }

  // Result holds the answer of the last save; the entry point hands it back after OK.
  std::int32_t AcId = 0;  // 0 or less: a new account

  ui::TLabel* CodeLbl = nullptr;
  ui::TComboBox* CustIdCmb = nullptr;
  ui::TLabel* CurrencyLbl = nullptr;
  ui::TComboBox* CurrencyCmb = nullptr;
  ui::TLabel* AcNoLbl = nullptr;
  ui::TEdit* AcNoEdt = nullptr;
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TLabel* AcBankCNameLbl = nullptr;
  ui::TEdit* CBankEdt = nullptr;
  ui::TGroupBox* GroupBox2 = nullptr;
  ui::TComboBox* SelectIdCmb = nullptr;
  ui::TLabel* SlashLbl = nullptr;
  TRuleEdit* BankAcNoEdt = nullptr;
  ui::TLabel* AcBankENameLbl = nullptr;
  TFixedMemo* BankNameMmo = nullptr;
  ui::TLabel* F2HintLbl = nullptr;
  ui::TLabel* IntBankLbl = nullptr;
  TAddrPnl* IntBankPnl = nullptr;
  ui::TLabel* StatusLbl = nullptr;
  ui::TComboBox* StatusCmb = nullptr;
  ui::TLabel* OperatorLbl = nullptr;
  ui::TLabel* OperatorShowLbl = nullptr;
  ui::TButton* UpdateBtn = nullptr;
  ui::TButton* CancelBtn = nullptr;

 private:
  void CreateControls();
  void ApplyLanguage(const sys::IniFile& file) override;
  void LoadAccount();
  void ApplyCurrencyRule();
  void ApplyTypeRule();
  bool ExpandSwift();
  bool OnlyCodeLineTypable() const;

  void CurrencyCmbChange(ui::TComponent* sender);
  void SelectIdCmbChange(ui::TComponent* sender);
  void BankNameMmoKeyDown(ui::TComponent* sender, std::uint16_t& key, ui::TShiftState shift);
  void BankNameMmoKeyPress(ui::TComponent* sender, char& key);
  void BankNameMmoKeyUp(ui::TComponent* sender, std::uint16_t& key, ui::TShiftState shift);
  void BankNameMmoExit(ui::TComponent* sender);
  void UpdateBtnClick(ui::TComponent* sender);
  void FormCloseQuery(ui::TComponent* sender, bool& canClose);
};

}  // namespace payee
