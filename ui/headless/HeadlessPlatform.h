// The platform without a display: forms are shown modally and driven by an operator
// script (or an operator function in tests), and everything a person would have seen
// is written to a transcript. The script and transcript forms are documented in
// docs/operator-scripts.md.
//
// A test drives a dialog like an operator script:
//
//   auto* p = new ui::HeadlessPlatform();
//   ui::InstallPlatform(std::unique_ptr<ui::Platform>(p));
//   p->RunScript("type NameEdt \"abc\"\nclick UpdateBtn\nanswer yes\n");
//   dialog.ShowModal();
//   EXPECT_EQ(p->Transcript(), (std::vector<std::string>{ ... }));
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Platform.h"
#include "ui/headless/PrintRecord.h"

namespace ui {

class TForm;
class ScriptRunner;
class ScriptScreen;
class TextMeasure;

class HeadlessPlatform : public Platform {
 public:
  HeadlessPlatform();
  ~HeadlessPlatform() override;

  // The platform the environment asks for: the script of TAVRO_UI_SCRIPT ("-" for
  // standard input), the transcript file of TAVRO_UI_TRANSCRIPT, the printer resolution
  // of TAVRO_UI_PRINTER_DPI, finished print jobs written as PDF files into the folder of
  // TAVRO_UI_PRINT_DIR (default: the current folder). A script that cannot be read is
  // the transcript's first error.
  static std::unique_ptr<HeadlessPlatform> FromEnvironment();

  // The operator script (UTF-8), replacing any earlier one; line numbers count from 1.
  // Relative answers to an open dialog stay relative to the current folder.
  void RunScript(std::string_view script);
  // Reads the script from a file, or from standard input for "-"; false (and an error
  // line) when it cannot be read. Relative answers to an open dialog are then taken
  // from the file's folder (the current folder for standard input).
  bool LoadScriptFile(const std::string& path);

  // Called with each form as it is shown, before the script's lines act on it. It may
  // act on the form through ui/Input.h or Perform; boxes it raises take script lines.
  using OperatorFn = std::function<void(TForm& form)>;
  void SetOperator(OperatorFn fn);

  // A platform with a screen that shows the forms as the script plays them and takes
  // the pictures of `shot` (ui/qt); null for none.
  void SetScreen(ScriptScreen* screen);

  // Performs one script action (same grammar) on form, as if it were the next line.
  // Returns false when it failed (the error is in the transcript).
  bool Perform(TForm& form, std::string_view line);

  // Transcript lines (UTF-8), and the file each line is appended to as well.
  const std::vector<std::string>& Transcript() const;
  void SetTranscriptFile(const std::string& path);
  // A script error or failed expect happened.
  bool Failed() const;

  // The printer: recorded jobs, and an optional writer that stores a finished job and
  // returns the file name it wrote (shown in the "printed" line).
  const std::vector<PrintJob>& PrintJobs() const;
  void SetPrintWriter(std::function<std::string(const PrintJob&)> writer);
  void SetPrinterResolution(int pixelsPerInch);

  int ShowModal(TForm& form) override;
  int MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                 MsgIcon icon, int defaultButton = 1) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool FileDialog(bool save, const std::string& filter, std::string& path) override;
  bool PrintDialog() override;
  PrinterCanvas& Printer() override;
  void SetHourglass(bool busy) override;
  // Long work's turns change nothing here: the script's next line waits for the work to
  // end, as the operator's input does on a screen. Its closing line is recorded as
  // `summary "TEXT"`.
  void WorkSummary(const std::string& text) override;
  // Measured with pango on fontconfig's fonts, as the desktop draws them.
  TextSize TextExtent(const TFont& font, const std::string& text) override;
  // A line the script still holds when an entry point returns with no form open is an
  // error naming that line: nothing is left to play it.
  void EntryCallEnded() override;
  bool Hourglass() const { return hourglass_; }

 private:
  std::unique_ptr<ScriptRunner> runner_;
  std::unique_ptr<TextMeasure> measure_;  // made on first use: fonts cost time to load
  bool hourglass_ = false;
};

}  // namespace ui
