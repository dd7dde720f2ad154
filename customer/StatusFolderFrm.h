// The processing status dialog: for one business record, its authorisation trail, its
// signature trail and the log of operations on it, one list above the other. Read-only;
// the shell opens it through Mn_StatusFolderList.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/DialogFrm.h"
#include "sys/Abi.h"
#include "sys/IniFile.h"
#include "ui/Controls.h"

namespace customer {

class TStatusFolderFrm : public frame::TDialogFrm {
 public:
  // Creates the controls, then takes the captions of lang (the module's language
  // file unless a test gives another) and the font rule. A file that does not exist
  // keeps the designed texts, and so does a key it lacks.
  explicit TStatusFolderFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  ui::TGroupBox* GroupBox1;
  ui::TListView* AuthoriseFolderLsv;
  ui::TGroupBox* GroupBox2;
  ui::TListView* SignFolderLsv;
  ui::TGroupBox* GroupBox3;
  ui::TListView* AuditFolderLsv;

  // The business whose status is shown.
  std::string BusinessNo;  // at most 15 bytes

  // Shows businessNo's trails: the three lists from their folder commands, in order; a
  // failed one leaves its list without rows and the others are still loaded.
  void Open(std::string_view businessNo);

 private:
  void ApplyLanguage(const sys::IniFile& file) override;
};

}  // namespace customer
