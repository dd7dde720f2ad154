// The SWIFT bank search dialog: the operator looks a bank up in the server's SWIFT
// directory by name or code and picks one; its SWIFT address goes back to the caller.
#pragma once

#include <cstddef>
#include <string>

#include "frame/DialogFrm.h"
#include "frame/ListFillers.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace payee {

// Opens the search owned by `owner` with `initialCode` in the code field (searching
// by it at once when it is not blank). Returns the chosen SWIFT address (GBK, at most
// 12 bytes), or an empty text when the operator cancelled or chose nothing.
std::string ShowSwiftSearch(HWND_T owner, const std::string& initialCode);

// Longest keyword sent to the server, in bytes.
inline constexpr std::size_t kSwfKeywordLen = 255;

class TSwfSearchFrm : public frame::TDialogFrm {
 public:
  // Commands go out with the call's window, the one the caller's dialogs are owned by.
  explicit TSwfSearchFrm(const frame::EntryArgs& call);

  ui::TLabel* BankLeftLbl;
  ui::TEdit* BankNameLeftEdt;
  ui::TLabel* BankAnyLbl;
  ui::TEdit* BankNameAnyEdt;
  ui::TLabel* CityLbl;
  ui::TEdit* CityEdt;
  ui::TLabel* BankSwiftLbl;
  ui::TEdit* BankSwiftEdt;
  ui::TPanel* BankDetailsPnl;
  ui::TLabel* DetailsLbl;
  ui::TListBox* BankNameLbx;
  ui::TLabel* NameLbl;
  ui::TLabel* Addr1Lbl;
  ui::TLabel* Addr2Lbl;
  ui::TLabel* Addr3Lbl;
  ui::TLabel* Addr4Lbl;
  ui::TLabel* SwiftLbl;
  ui::TButton* YesBtn;
  ui::TButton* NoBtn;
  ui::TButton* FindBtn;

  // The SWIFT address of the line last selected (at most 12 bytes), and its bank.
  const std::string& SelectedSwift() const { return swfAddress_; }
  const frame::TBankAddress& SelectedBank() const { return bank_; }

  void FormShow();
  void FindBtnClick();
  void BankNameLbxClick();
  void BankDetailsPnlExit();

 private:
  void ShowDetails();

  std::string swfAddress_;
  frame::TBankAddress bank_;
};

}  // namespace payee
