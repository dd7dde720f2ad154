// The usage list editor: the corporation's payment usage texts, edited and reordered
// locally and stored in one batch on save; the first entry is the default usage. The
// exported entry point Mn_UsageEdit opens it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "frame/DialogFrm.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace admin {

// The save batch: the corporation's stored list is emptied, then every text is inserted
// at its index, the first (index 0) being the default.
std::string BuildUsageSaveBatch(std::string_view corpNo, std::string_view userNo,
                                const std::vector<std::string>& usages);

class TUsageEdtFrm : public frame::TDialogFrm {
 public:
  // Creates the controls, localises them ("Usage") and applies the font rule.
  explicit TUsageEdtFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  ui::TListBox* UsageList;
  ui::TLabel* TipLbl;
  ui::TButton* AddNewBtn;
  ui::TButton* EditBtn;
  ui::TButton* DeleteBtn;
  ui::TButton* UpBtn;
  ui::TButton* DownBtn;
  ui::TButton* SetDefaultBtn;
  ui::TButton* SaveBtn;
  ui::TButton* CancelBtn;
  ui::TPopupMenu* UsagePop;
  ui::TMenuItem* AddNewMit;
  ui::TMenuItem* EditMit;
  ui::TMenuItem* DeleteMit;
  ui::TMenuItem* SepMit;
  ui::TMenuItem* UpMit;
  ui::TMenuItem* DownMit;
  ui::TMenuItem* SetDefaultMit;

  bool Modified = false;

  // Replaces the items with the stored list; a failed read leaves the list empty.
  void LoadUsages();

  void AddNewBtnClick();
  void EditBtnClick();
  void DeleteBtnClick();
  void UpBtnClick();
  void DownBtnClick();
  void SetDefaultBtnClick();
  void SaveBtnClick();
  void CancelBtnClick();
  void FormCloseQuery(bool& canClose);

 private:
  void ApplyLanguage(const sys::IniFile& file) override;
  // The input box's answer; a cancelled box answers its default.
  std::string AskUsage(const char* captionUtf8, const std::string& def);
  void SwapItems(int a, int b);
};

}  // namespace admin
