// The user dialog: one bank user of the corporation shown read-only, and the three
// areas in which an administering operator sets that user's rights: the review list,
// the business rights on every node of the shell's function tree, and the accounts.
// Nothing reaches the server before the save, which sends one batch per area that is on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "admin/UserRights.h"
#include "frame/DialogFrm.h"
#include "frame/ManageEdit.h"
#include "frame/RecordCmd.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace admin {

class TUserEditFrm : public frame::TDialogFrm {
 public:
  explicit TUserEditFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  // Reads the operator's own record (his level decides what he may change).
  void LoadOperator(const std::string& userNo);
  // Shows the user whose id IdEdt holds; also the rule for any later reload.
  void LoadUser();
  // UpdateBtn is enabled for an operator of level "D" with the right to modify.
  void EnableSave();

  // Controls.
  ui::TGroupBox* UserInfoGrp;
  ui::TLabel* CorpNameLbl;
  ui::TEdit* CorpNameEdt;
  ui::TLabel* IdLbl;
  ui::TEdit* IdEdt;
  ui::TLabel* UserNameLbl;
  ui::TEdit* NameEdt;
  ui::TLabel* UserRightLbl;
  ui::TComboBox* RightCmb;
  ui::TLabel* StatusLbl;
  ui::TComboBox* StatusCmb;
  ui::TGroupBox* UserRightGrp;
  ui::TLabel* BelongCorpLbl;
  ui::TComboBox* BelongCorpCmb;
  ui::TCheckBox* CheckRightCkb;
  ui::TCheckListBox* CheckRightClb;
  ui::TCheckBox* UserViewNodeCkb;
  ui::TTreeView* MainDirTrv;
  ui::TCheckListBox* RightClb;
  ui::TButton* DefRightBtn;
  ui::TCheckBox* AcRightCkb;
  ui::TCheckListBox* AcNoClb;
  ui::TButton* UpdateBtn;
  ui::TButton* CancelBtn;
  ui::TLabel* StatusShowLbl;

  // State, in the order the dialog holds it (Result is never filled: the caller's record
  // stays zero).
  frame::TUserRec OperatorRec;
  std::string PrevCorpText;  // BelongCorpCmb's text when it last took the focus
  std::string Rights;        // the operator's rights on the dialog's function
  std::string CurNodeId;     // the node whose rights RightClb shows

  // The rights file while business rights are on.
  std::optional<TRightsFile> RightsFile;

  // Handlers.
  void BelongCorpCmbEnter();
  void BelongCorpCmbChange();
  void CheckRightCkbClick();
  void UserViewNodeCkbClick();
  void AcRightCkbClick();
  void MainDirTrvClick();
  void RightClbExit();
  void DefRightBtnClick();
  void UpdateBtnClick();
  void FormCloseQuery(bool& canClose);

  // The three saves of UpdateBtnClick.
  void SaveReviewRights(const std::string& userId, const std::vector<std::string>& items);
  void SaveAccountRights(const std::string& userId, const std::vector<std::string>& accounts);
  void SaveNodeRights(const std::string& corpNo, const std::string& userId);
  void SendRightsBatch(const std::string& batch, std::size_t answerSize);

 private:
  void CreateControls();
  void ApplyLanguage(const sys::IniFile& file) override;
  // The corporation of the rights areas: the first 4 characters of BelongCorpCmb.
  std::string BelongCorpNo() const;
  // The common first step of switching an area on; false (and the area off again)
  // when no corporation is selected.
  bool CorpSelected(ui::TCheckBox& areaCkb);
  void FollowAreaBox(ui::TCheckBox& areaCkb, void (TUserEditFrm::*on)(),
                     void (TUserEditFrm::*off)());
  void ReviewRightsOn();
  void ReviewRightsOff();
  void NodeRightsOn();
  // RightClb takes ticks only for a selected node, from a level D operator.
  void EnableRightList();
  void NodeRightsOff();
  void AccountRightsOn();
  void AccountRightsOff();
  // Asks a Yes/No question owned by the shell's window; true on Yes.
  bool Confirm(const std::string& text) const;
  std::string LangText(const char* key) const;
};

}  // namespace admin
