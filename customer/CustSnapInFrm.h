// The customer import dialog: customers with their CNY account read from a text file,
// one "@"-separated line per customer, each created on the server with its own command,
// with a running log. Opened by the customer dialog's import button.
#pragma once

#include <cstdint>
#include <string>

#include "customer/CustImport.h"
#include "customer/CustImportText.h"
#include "frame/DialogFrm.h"
#include "sys/Abi.h"
#include "ui/Controls.h"
#include "ui/LongWork.h"

namespace customer {

// The background of the file-format description.
inline constexpr ui::TColor kSnapInNoteColor = 10930928;

class TCustSnapInFrm : public frame::TDialogFrm {
 public:
  // Creates the controls with their fixed Chinese texts; nothing is read from the
  // language file.
  explicit TCustSnapInFrm(const frame::EntryArgs& call);

  ui::TLabel* Label1;
  ui::TFileNameEdit* FilenameEdt;
  ui::TCheckBox* ConvertChkbox;
  ui::TButton* SaveBtn;
  ui::TBitBtn* BitBtn2;
  ui::TMemo* logMmo;
  ui::TLabel* Label2;

  // Imports the named file; the log grows, the dialog stays open. While it runs the log
  // follows its last line, with a count every kImportProgressLines lines, and the window
  // is shown afresh at a bounded rate (ui::LongWork); no input reaches the dialog. It
  // ends with the summary line, which the platform is told too. A file that cannot be
  // opened raises at once. One that cannot be read further, or that is in none of the
  // accepted character sets (GBK or UTF-8; Big5 or UTF-8 with the conversion box ticked:
  // refused with a log line before anything of the refused piece is sent), ends the
  // import with a line saying where it stopped, and then raises: the event loop shows the
  // reason in an error box.
  void SaveBtnClick();

 private:
  // Imports one line of the file; false when it counts as a failure.
  bool ImportLine(std::int64_t lineNo, const std::string& line, TImportText& text);
  void Log(std::string_view text) { logMmo->AppendLine(text); }
  // The log's caret at its end, so that a window shows its last lines.
  void ShowLogEnd();
  // The closing line: logged, and told to the platform.
  void Finish(ui::LongWork& work, const std::string& summary);
  void FileProblem(const char* utf8);

  TImportTexts texts_;
};

}  // namespace customer
