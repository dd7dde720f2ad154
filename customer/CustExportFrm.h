// The customer export dialog: the corporation's customers, their CNY or their foreign-
// currency data, written to a delimited text file the operator names. Opened from the
// customer dialog, which sets the ids, shows it modally and destroys it.
#pragma once

#include <cstdint>
#include <string>

#include "frame/DialogFrm.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace customer {

// The export types of "MN_CustExport".
inline constexpr std::int32_t kExportCny = 0;
inline constexpr std::int32_t kExportForeign = 1;

class TCustExportFrm : public frame::TDialogFrm {
 public:
  // Creates the controls with their fixed Chinese texts; the dialog has no language-file
  // texts.
  explicit TCustExportFrm(const frame::EntryArgs& call);

  ui::TRadioGroup* RadioGroup1;
  ui::TRadioButton* RMBrbtn;
  ui::TRadioButton* Otherrbtn;
  ui::TLabel* Label2;
  ui::TEdit* separatorEdt;
  ui::TLabel* Label1;
  ui::TFileNameEdit* FilenameEdit1;
  ui::TBitBtn* BitBtn1;
  ui::TBitBtn* BitBtn2;

  // The export type the radio buttons choose.
  std::int32_t ExportType() const;

  // Runs one export; the dialog stays open. The file name typed is converted to the
  // file system's character set; a name it cannot hold is refused with a box.
  void BitBtn1Click();
};

}  // namespace customer
