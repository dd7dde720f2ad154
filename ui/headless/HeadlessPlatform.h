// The platform without a display: forms are shown modally and driven by an operator
// script (or an operator function in tests), and everything a person would have seen
// is written to a transcript. The run itself is the script engine's (ui/script/
// ScriptRunner.h); what is headless here is that nothing else shows the forms, and
// that texts are measured with pango on fontconfig's fonts. The script and transcript
// forms are documented in docs/operator-scripts.md.
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
#include "ui/script/ScriptRunner.h"

namespace ui {

class TForm;
class TextMeasure;

class HeadlessPlatform : public Platform {
 public:
  // A run that records print jobs only.
  HeadlessPlatform();
  explicit HeadlessPlatform(std::unique_ptr<ScriptRunner> runner);
  ~HeadlessPlatform() override;

  // The platform the environment asks for (ScriptRunner::FromEnvironment).
  static std::unique_ptr<HeadlessPlatform> FromEnvironment();

  // The script, the operator function, single actions, the transcript and the printer:
  // ScriptRunner's, which says what each does.
  void RunScript(std::string_view script) { runner_->RunScript(script); }
  bool LoadScriptFile(const std::string& path) { return runner_->LoadScriptFile(path); }
  using OperatorFn = ScriptRunner::OperatorFn;
  void SetOperator(OperatorFn fn) { runner_->SetOperator(std::move(fn)); }
  bool Perform(TForm& form, std::string_view line) { return runner_->Perform(form, line); }
  // Transcript lines (UTF-8), and the file each line is appended to as well.
  const std::vector<std::string>& Transcript() const { return runner_->Log().Lines(); }
  void SetTranscriptFile(const std::string& path) { runner_->Log().SetFile(path); }
  // A script error or failed expect happened.
  bool Failed() const { return runner_->Failed(); }
  const std::vector<PrintJob>& PrintJobs() const { return runner_->Printer().Jobs(); }
  void SetPrintWriter(std::function<std::string(const PrintJob&)> writer) {
    runner_->SetPrintWriter(std::move(writer));
  }
  void SetPrinterResolution(int pixelsPerInch) {
    runner_->Printer().SetPixelsPerInch(pixelsPerInch);
  }

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
  // Kept for whoever asks which language the entry call speaks; no box here has texts
  // of the platform's own.
  void SetLanguage(const std::string& locale) override { language_ = locale; }
  const std::string& Language() const { return language_; }

 private:
  std::unique_ptr<ScriptRunner> runner_;
  std::unique_ptr<TextMeasure> measure_;  // made on first use: fonts cost time to load
  bool hourglass_ = false;
  std::string language_;
};

}  // namespace ui
