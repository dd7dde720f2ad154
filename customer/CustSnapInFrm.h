// The customer import dialog: customers with their CNY account read from a text file,
// one "@"-separated line per customer, each created on the server with its own command,
// with a running log. Opened by the customer dialog's import button.
#pragma once

#include <cstdint>
#include <string>

#include "customer/CustImport.h"
#include "customer/CustImportText.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace customer {

// The background of the file-format description.
inline constexpr ui::TColor kSnapInNoteColor = 10930928;

class TCustSnapInFrm : public ui::TForm {
 public:
  // Creates the controls with their fixed Chinese texts; nothing is read from the
  // language file.
  TCustSnapInFrm();
  const char* ClassName() const override { return "TCustSnapInFrm"; }

  ui::TLabel* Label1;
  ui::TFileNameEdit* FilenameEdt;
  ui::TCheckBox* ConvertChkbox;
  ui::TButton* SaveBtn;
  ui::TBitBtn* BitBtn2;
  ui::TMemo* logMmo;
  ui::TLabel* Label2;

  // Set by the opener before the dialog is shown.
  HWND_T ShellWnd = 0;
  std::int32_t FunctionId = 0;
  std::string UserNo;  // at most 6 bytes
  std::string CorpNo;  // at most 4 bytes

  // Imports the named file; the log grows, the dialog stays open. A file that cannot
  // be opened or read ends the import with the exception, without the summary line. A
  // file in none of the accepted character sets (GBK or UTF-8; Big5 or UTF-8 with the
  // conversion box ticked) ends it with a log line, before anything of it is sent.
  void SaveBtnClick();

 private:
  // Imports one line of the file; false when it counts as a failure.
  bool ImportLine(std::int64_t lineNo, const std::string& line, TImportText& text);
  void Log(std::string_view text) { logMmo->AppendLine(text); }
  void FileProblem(const char* utf8);

  TImportTexts texts_;
};

}  // namespace customer
