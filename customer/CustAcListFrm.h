// The customer account list: the bank accounts of one customer in a list view, and the
// account dialogs opened from it for a new or an existing account. The shell (and the
// customer dialog, through the library loader) opens it through Mn_CustAcNoList.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/DialogFrm.h"
#include "sys/Abi.h"
#include "sys/IniFile.h"
#include "ui/Controls.h"

namespace customer {

// The function of a new account when no row names one.
inline constexpr std::int32_t kNewCustAcFunction = 930;

// The function id named by a row's caption "930:name": the text before the first ':',
// trimmed, as a decimal; 0 when it is no number or the caption has no ':' (then it is
// no code-and-name item and names no function).
std::int32_t RowFunctionId(std::string_view caption);

class TCustAcListFrm : public frame::TDialogFrm {
 public:
  // Creates the controls, then takes the captions of lang (the module's language
  // file unless a test gives another) and the font rule. A file that does not exist
  // keeps the designed texts; a key it lacks leaves its text empty.
  explicit TCustAcListFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  ui::TListView* FolderLsv;
  ui::TPopupMenu* AcNoListPmn;
  ui::TMenuItem* NewMit;
  ui::TMenuItem* EditMit;

  // The customer whose accounts are listed, set before the list is loaded.
  std::string CustId;  // at most 24 bytes

  // Fills the list from the server's account folder of the customer.
  void LoadList();
  // The list of custId's accounts.
  void Open(std::string_view custId);
  // Drops every column and row and loads the list again.
  void ReloadList();

  void FolderLsvDblClick();
  void NewMitClick();
  void EditMitClick();

 private:
  void ApplyLanguage(const sys::IniFile& file) override;
  // Opens the account dialog of the selected row's function (or the new-account
  // function without a row) with key and extra; reloads the list after a save.
  void OpenAccount(std::string_view key, std::string_view extra);
  // Column column (1 is the first sub-item) of the selected row; empty when it has none.
  std::string SelectedColumn(std::size_t column);
};

}  // namespace customer
