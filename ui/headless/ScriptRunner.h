// The session of a headless run: the operator script with its position, the stack of
// open forms, the answers to boxes, and the transcript of it all.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Platform.h"
#include "ui/headless/HeadlessPrinter.h"
#include "ui/headless/ScriptText.h"
#include "ui/headless/Transcript.h"

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
  using OperatorFn = std::function<void(TForm& form)>;

  void SetScript(std::vector<ScriptLine> lines);
  // The folder (UTF-8) that relative answers to an open dialog are taken from: the
  // script file's. Empty: they stay relative to the current folder.
  void SetScriptFolder(std::string folder) { scriptFolder_ = std::move(folder); }
  void SetOperator(OperatorFn fn) { operator_ = std::move(fn); }
  void SetScreen(ScriptScreen* screen) { screen_ = screen; }
  ScriptScreen* Screen() const { return screen_; }
  Transcript& Log() { return transcript_; }
  HeadlessPrinter& Printer() { return printer_; }

  // Writes the error line (what is UTF-8) and fails the run; later forms close at once.
  void Fail(int line, const std::string& what);
  bool Failed() const { return failed_; }

  int ShowModal(TForm& form);
  int MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                 MsgIcon icon);
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value);
  bool FileDialog(bool save, const std::string& filter, std::string& path);
  bool PrintDialog();
  // An entry point returns: a line left unplayed while no form is open fails the run.
  void EntryCallEnded();

  // Runs one line on form, then lets the form close if it asked to. False on failure.
  bool Perform(TForm& form, const ScriptLine& line);

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
  std::string scriptFolder_;
  int formsShown_ = 0;   // forms shown since an entry point last returned
  int currentLine_ = 0;  // line of the action running, 0 outside one
  bool failed_ = false;
  OperatorFn operator_;
  ScriptScreen* screen_ = nullptr;
  std::vector<Frame> frames_;
  Transcript transcript_;
  HeadlessPrinter printer_;
};

}  // namespace ui
