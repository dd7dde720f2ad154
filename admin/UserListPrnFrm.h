// The user report dialog: every user of one corporation with level, status and card
// dates, printed as a paginated report or exported as a CSV file for a spreadsheet.
// Nothing is changed or saved; the caller's result record stays all zero.
#pragma once

#include <cstdint>
#include <string>

#include "admin/UserReportLayout.h"
#include "frame/DialogFrm.h"
#include "frame/ManageEdit.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace admin {

class TUserListPrnFrm : public frame::TDialogFrm {
 public:
  explicit TUserListPrnFrm(const frame::EntryArgs& call);

  // Shows the corporation's id and name and fills the list from the server.
  void Open();

  ui::TLabel* CorpIdLbl;
  ui::TEdit* CorpIdEdt;
  ui::TLabel* CorpNameLbl;
  ui::TEdit* CorpNameEdt;
  ui::TListView* UserLv;
  ui::TButton* PrnBtn;
  ui::TButton* CancelBtn;
  ui::TPrintDialog* PrintDialog1;
  ui::TPopupMenu* PopupMenu1;
  ui::TMenuItem* PrintListMit;
  ui::TMenuItem* ExportExcelMit;

  // The report as it prints now: the corporation's name, the rows of the list and the
  // current date and time.
  TUserReport Report() const;

  void PrnBtnClick();
  void PrintListMitClick();
  void ExportExcelMitClick();

 private:
  void FillUserList();
};

// The user select, with the quoted corporation id in place (GBK).
std::string UserReportSelect(const std::string& corpNo);

}  // namespace admin
