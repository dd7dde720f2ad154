// The processing status dialog: for one business record, its authorisation trail, its
// signature trail and the log of operations on it, one list above the other. Read-only;
// the shell opens it through Mn_StatusFolderList.
#pragma once

#include <cstdint>
#include <string>

#include "frame/ShellTypeDef.h"
#include "sys/IniFile.h"
#include "ui/Controls.h"

namespace customer {

class TStatusFolderFrm : public ui::TForm {
 public:
  // Creates the controls, then localises them from the language file (when there is
  // one) and applies the font rule.
  TStatusFolderFrm();
  const char* ClassName() const override { return "TStatusFolderFrm"; }

  ui::TGroupBox* GroupBox1;
  ui::TListView* AuthoriseFolderLsv;
  ui::TGroupBox* GroupBox2;
  ui::TListView* SignFolderLsv;
  ui::TGroupBox* GroupBox3;
  ui::TListView* AuditFolderLsv;

  // The ids of the call, set by the entry point before the lists are loaded.
  HWND_T ShellWnd = 0;
  std::string CorpNo;      // at most 4 bytes
  std::string UserNo;      // at most 6 bytes
  std::string BusinessNo;  // at most 15 bytes
  std::string LangId;
  std::int32_t FunctionId = 0;

  // The captions from an opened language file; a file that does not exist changes
  // nothing, and a key the file lacks gives the designed text.
  void ApplyLanguage(const sys::IniFile& file);

  // Fills the three lists from their folder commands, in order; a failed one leaves
  // its list without rows and the others are still loaded.
  void LoadFolders();
};

}  // namespace customer
