// The run of an operator script, on whatever platform plays it: the script with its
// position, the stack of open forms, the answers to boxes, the printer that records
// what is printed, and the transcript of it all. The headless platform (ui/headless) is a
// runner and a text measure; a platform with a screen (ui/qt) hands its forms and boxes
// to a runner while a script plays and shows them as they change (ScriptScreen). The
// script and transcript forms are documented in docs/operator-scripts.md.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Platform.h"
#include "ui/script/PrintRecord.h"
#include "ui/script/RecordingPrinter.h"
#include "ui/script/ScriptText.h"
#include "ui/script/Transcript.h"

namespace ui {

class TForm;

// A platform with a screen (ui/qt) plays a script with the forms and boxes on it: it is
// told when a form opens, after each line played on it and when it closes, and it takes
// the pictures of the `shot` action. Without one, `shot` is an error.
class ScriptScreen {
 public:
  virtual ~ScriptScreen() = default;
  virtual void FormShown(TForm& form) = 0;
  virtual void FormChanged(TForm& form) = 0;
  virtual void FormClosed(TForm& form) = 0;
  // Saves a PNG of the topmost form or open box at path (GBK); false with why (UTF-8).
  virtual bool SaveShot(const std::string& path, std::string& why) = 0;
};

class ScriptRunner {
 public:
  // Finished print jobs are recorded and reported with an empty file name until
  // SetPrintWriter says where they go.
  ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;  // its printer reports to this runner
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // The run the environment asks for: the script of TAVRO_UI_SCRIPT ("-" for standard
  // input), the transcript file of TAVRO_UI_TRANSCRIPT, the printer resolution of
  // TAVRO_UI_PRINTER_DPI, finished print jobs written as PDF files into the folder of
  // TAVRO_UI_PRINT_DIR (default: the current folder). A script that cannot be read is
  // the transcript's first error.
  static std::unique_ptr<ScriptRunner> FromEnvironment();

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
  void SetOperator(OperatorFn fn) { operator_ = std::move(fn); }
  void SetScreen(ScriptScreen* screen) { screen_ = screen; }
  ScriptScreen* Screen() const { return screen_; }
  Transcript& Log() { return transcript_; }
  RecordingPrinter& Printer() { return printer_; }
  // Hands each finished job to writer, which stores it and returns the file name it
  // wrote (GBK), shown in the job's "printed" line.
  void SetPrintWriter(std::function<std::string(const PrintJob&)> writer);

  // Writes the error line (what is UTF-8) and fails the run; later forms close at once.
  void Fail(int line, const std::string& what);
  bool Failed() const { return failed_; }

  int ShowModal(TForm& form);
  int MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                 MsgIcon icon);
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value);
  bool FileDialog(bool save, const std::string& filter, std::string& path);
  bool PrintDialog();
  // The closing line of long work (GBK), recorded as `summary "TEXT"`.
  void WorkSummary(const std::string& text);
  // An entry point returns: a line left unplayed while no form is open fails the run.
  void EntryCallEnded();

  // Performs one script action (same grammar) on form, as if it were the next line,
  // then lets the form close if it asked to. False when it failed (the error is in the
  // transcript).
  bool Perform(TForm& form, std::string_view line);

 private:
  struct Frame {
    TForm* Form;
    bool Closed = false;
    int Result = 0;
  };
  Frame* FrameOf(TForm& form);
  void CheckClose(TForm& form);
  void ForceClose(TForm& form);
  void RunLine(TForm& form, const ScriptLine& line);
  // The next line when it is the answer action expected; otherwise problem says why.
  // `shot` lines before it are played with the box open.
  const ScriptLine* TakeAnswer(const char* action, const std::string& box, std::string& problem,
                               int& problemLine);

  // The path of an open dialog's answer: relative names from the script's folder.
  bool AnswerPath(const std::string& answer, std::string& path, std::string& problem) const;

  std::vector<ScriptLine> lines_;
  std::size_t next_ = 0;
  // The folder (UTF-8) that relative answers to an open dialog are taken from: the
  // script file's. Empty: they stay relative to the current folder.
  std::string scriptFolder_;
  int formsShown_ = 0;   // forms shown since an entry point last returned
  int currentLine_ = 0;  // line of the action running, 0 outside one
  bool failed_ = false;
  OperatorFn operator_;
  ScriptScreen* screen_ = nullptr;
  std::vector<Frame> frames_;
  Transcript transcript_;
  RecordingPrinter printer_;
};

}  // namespace ui
