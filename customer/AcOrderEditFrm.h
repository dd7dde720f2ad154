// The account order dialog: the corporation's accounts in the order they are listed for
// the operator. The operator drags one account onto another to make the two change
// places, and saves the whole order at once. The shell opens it through Mn_AcOrderEdit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/DialogFrm.h"
#include "sys/Abi.h"
#include "sys/IniFile.h"
#include "ui/Controls.h"

namespace customer {

// The statements that give every account its position in the operator's list, first
// line position 0, each ended by CR LF; empty for no accounts.
std::string BuildAcOrderBatch(std::string_view corpNo, std::string_view userNo,
                              const std::vector<std::string>& accounts);

class TAcOrderEditFrm : public frame::TDialogFrm {
 public:
  // Creates the controls, then takes the captions of lang (the module's language
  // file unless a test gives another) and the font rule. A file that does not exist
  // keeps the designed texts; a key it lacks leaves its text empty. The boxes still read the
  // module's file.
  explicit TAcOrderEditFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  ui::TLabel* AcOrderLbl;
  ui::TListBox* AcListLbx;
  ui::TLabel* PromptLbl;
  ui::TButton* UpdateBtn;
  ui::TButton* CancelBtn;

  // Fills the list with the accounts in the operator's current order; a failed read
  // leaves it empty.
  void LoadAccounts();
  // Saving needs the right to modify on the function node.
  void ApplyRights();

  void AcListLbxMouseDown(ui::TMouseButton button, int x, int y);
  void AcListLbxDragOver(bool& accept);
  void AcListLbxDragDrop(ui::TComponent* source, int x, int y);
  void UpdateBtnClick();
  void FormCloseQuery(bool& canClose);

 private:
  void ApplyLanguage(const sys::IniFile& file) override;
  std::string LangText(const char* key) const;
};

}  // namespace customer
