// The script's run: the lines played on the topmost form, the boxes answered, the run
// set up from the environment.
#include "ui/script/ScriptRunner.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "sys/CodePage.h"
#include "sys/FileSystemName.h"
#include "ui/Forms.h"
#include "ui/Input.h"
#include "ui/script/PdfPrintWriter.h"
#include "ui/script/ScriptActions.h"

namespace ui {
namespace {

// The folder separator of the system's file names, which a dialog's answer is joined with.
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// Whether a dialog's answer names a file from the root: "/..." on Linux; on Windows also
// "\\..." and a drive's "X:\..." or "X:/...". Only its first bytes count, which are
// ASCII in GBK too.
bool IsAbsoluteAnswer(const std::string& answer) {
  if (answer.empty()) {
    return false;
  }
#ifdef _WIN32
  if (answer.front() == '\\') {
    return true;
  }
  const bool drive =
      answer.size() >= 3 && answer[1] == ':' && (answer[2] == '\\' || answer[2] == '/');
  if (drive) {
    return true;
  }
#endif
  return answer.front() == '/';
}

std::string ResultWord(int result) {
  switch (result) {
    case mrOk:
      return "ok";
    case mrCancel:
      return "cancel";
    case mrYes:
      return "yes";
    case mrNo:
      return "no";
    default:
      return std::to_string(result);
  }
}

const char* ButtonsWord(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return "ok";
    case MsgButtons::OkCancel:
      return "okcancel";
    case MsgButtons::YesNo:
      return "yesno";
  }
  return "ok";
}

const char* IconWord(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::None:
      return "none";
    case MsgIcon::Information:
      return "information";
    case MsgIcon::Warning:
      return "warning";
    case MsgIcon::Question:
      return "question";
    case MsgIcon::Error:
      return "error";
  }
  return "none";
}

bool IsAnswerAction(const std::string& action) {
  return action == "answer" || action == "input" || action == "file" || action == "print";
}

}  // namespace

ScriptRunner::ScriptRunner() {
  SetPrintWriter(nullptr);
}

std::unique_ptr<ScriptRunner> ScriptRunner::FromEnvironment() {
  auto runner = std::make_unique<ScriptRunner>();
  // A run from the environment (tavro-shell, the module) puts what it prints on paper:
  // a PDF in TAVRO_UI_PRINT_DIR. A runner made directly (a test) records jobs only.
  runner->SetPrintWriter(PdfPrintWriter(PrintFolderFromEnvironment()));
  if (const char* transcript = std::getenv("TAVRO_UI_TRANSCRIPT"); transcript && *transcript) {
    runner->Log().SetFile(transcript);
  }
  if (const char* dpi = std::getenv("TAVRO_UI_PRINTER_DPI"); dpi && *dpi) {
    int value = 0;
    std::string_view text(dpi);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // An unreadable or absurd resolution keeps the default rather than a broken page.
    if (ec == std::errc() && end == text.data() + text.size() && value >= 72 && value <= 4800) {
      runner->Printer().SetPixelsPerInch(value);
    }
  }
  if (const char* script = std::getenv("TAVRO_UI_SCRIPT"); script && *script) {
    runner->LoadScriptFile(script);
  }
  return runner;
}

void ScriptRunner::RunScript(std::string_view script) {
  lines_ = ParseScript(script);
  next_ = 0;
  scriptFolder_.clear();
}

bool ScriptRunner::LoadScriptFile(const std::string& path) {
  std::ostringstream text;
  bool read = false;
  if (path == "-") {
    text << std::cin.rdbuf();
    read = !std::cin.bad();
  } else {
    std::ifstream in(sys::PathOfUtf8(path), std::ios::binary);
    if (in) {
      text << in.rdbuf();
    }
    read = static_cast<bool>(in);
  }
  if (!read) {
    Fail(0, "cannot read the operator script " + path);
    return false;
  }
  RunScript(text.str());
  if (path != "-") {
    // Made absolute now, so that a later change of the current folder cannot move it.
    std::error_code ignored;
    // The script's name and its folder are UTF-8 both ways: on Windows a path's narrow
    // string is the ANSI code page's.
    const std::u8string name(path.begin(), path.end());
    const std::u8string folder =
        std::filesystem::absolute(std::filesystem::path(name), ignored).parent_path().u8string();
    scriptFolder_.assign(folder.begin(), folder.end());
  }
  return true;
}

// Each finished job is handed to the writer and reported with the file it became.
void ScriptRunner::SetPrintWriter(std::function<std::string(const PrintJob&)> writer) {
  printer_.SetOnEndDoc([this, writer = std::move(writer)](const PrintJob& job) {
    std::string path = writer ? writer(job) : std::string();
    transcript_.Add("printed " + std::to_string(job.Pages.size()) + " pages " + QuoteText(path));
  });
}

void ScriptRunner::Fail(int line, const std::string& what) {
  transcript_.Add("error " + std::to_string(line) + " " + QuoteUtf8(what));
  failed_ = true;
}

ScriptRunner::Frame* ScriptRunner::FrameOf(TForm& form) {
  for (auto& frame : frames_) {
    if (frame.Form == &form) {
      return &frame;
    }
  }
  return nullptr;
}

// A form that asked to close asks its close query; a refusal (or a query that raised)
// keeps it open with no result.
void ScriptRunner::CheckClose(TForm& form) {
  Frame* frame = FrameOf(form);
  if (!frame || frame->Closed || form.ModalResult() == mrNone) {
    return;
  }
  bool canClose = false;
  if (!Dispatch([&] { canClose = form.CloseQuery(); })) {
    form.SetModalResult(mrNone);
  }
  if (!canClose) {
    return;
  }
  frame->Closed = true;
  frame->Result = form.ModalResult();
}

// Closing without the close query: the script has ended or failed.
void ScriptRunner::ForceClose(TForm& form) {
  form.SetModalResult(mrCancel);
  if (Frame* frame = FrameOf(form)) {
    frame->Closed = true;
    frame->Result = mrCancel;
  }
}

int ScriptRunner::ShowModal(TForm& form) {
  const std::string name = form.ClassName();
  ++formsShown_;
  transcript_.Add("open " + name + " " + QuoteText(form.Caption()));
  frames_.push_back(Frame{&form});
  struct Pop {
    std::vector<Frame>& frames;
    ~Pop() { frames.pop_back(); }
  } pop{frames_};

  Dispatch([&] { form.BeginModal(); });
  if (screen_) {
    screen_->FormShown(form);
  }
  CheckClose(form);
  if (!FrameOf(form)->Closed && !failed_ && operator_) {
    operator_(form);
    CheckClose(form);
  }
  while (!FrameOf(form)->Closed) {
    if (failed_) {
      ForceClose(form);
    } else if (next_ >= lines_.size()) {
      transcript_.Add("script-end " + name);
      ForceClose(form);
    } else {
      RunLine(form, lines_[next_++]);
      CheckClose(form);
      if (screen_) {
        screen_->FormChanged(form);
      } else {
        // Nothing shows the form: what the line changed is let go, so that the change
        // records hold no more than one line's changes.
        for (TControl* control : form.TakeChangedControls()) {
          control->TakeChanges();
        }
      }
    }
  }
  if (screen_) {
    screen_->FormClosed(form);
  }
  int result = FrameOf(form)->Result;
  Dispatch([&] { form.EndModal(); });
  form.SetModalResult(result);
  transcript_.Add("close " + name + " " + ResultWord(result));
  return result;
}

bool ScriptRunner::Perform(TForm& form, std::string_view text) {
  ScriptLine line;
  line.Source = std::string(text);
  if (auto error = TokenizeLine(text, line.Tokens)) {
    line.Error = *error;
  }
  Frame* frame = FrameOf(form);
  if (!frame || frame->Closed) {
    Fail(line.Number, std::string("the form ") + form.ClassName() + " is not open");
    return false;
  }
  bool failedBefore = failed_;
  RunLine(form, line);
  CheckClose(form);
  return failedBefore || !failed_;
}

void ScriptRunner::RunLine(TForm& form, const ScriptLine& line) {
  int outer = currentLine_;
  currentLine_ = line.Number;
  if (!line.Error.empty()) {
    Fail(line.Number, line.Error);
  } else if (line.Tokens.empty()) {
    Fail(line.Number, "empty action");
  } else if (IsAnswerAction(line.Tokens[0].Text)) {
    Fail(line.Number, "no box is open to take: " + line.Source);
  } else {
    RunAction(*this, form, line);
  }
  currentLine_ = outer;
}

// Lines cannot wait for a later call: the shell makes one call per script, and a line
// that no form took would otherwise pass unnoticed (an expect that never ran).
void ScriptRunner::EntryCallEnded() {
  if (!frames_.empty()) {
    return;  // a nested entry point returns into a form that is still open
  }
  const bool shownNone = formsShown_ == 0;
  formsShown_ = 0;
  if (failed_ || next_ >= lines_.size()) {
    return;
  }
  const ScriptLine& line = lines_[next_];
  Fail(line.Number, std::string(shownNone ? "the entry point opened no form"
                                          : "no form is open any more (the last one has closed)") +
                        ", so this line is not played: " + line.Source);
}

const ScriptLine* ScriptRunner::TakeAnswer(const char* action, const std::string& box,
                                           std::string& problem, int& problemLine) {
  if (failed_) {
    return nullptr;  // closing down: boxes take their negative answer quietly
  }
  while (next_ < lines_.size() && IsShotLine(lines_[next_])) {
    const ScriptLine& shot = lines_[next_++];
    int outer = currentLine_;
    currentLine_ = shot.Number;
    RunShot(*this, shot);
    currentLine_ = outer;
    if (failed_) {
      return nullptr;
    }
  }
  if (next_ >= lines_.size()) {
    problem = "the script ended while " + box + " was open";
    problemLine = currentLine_;
    return nullptr;
  }
  const ScriptLine& line = lines_[next_++];
  problemLine = line.Number;
  if (!line.Error.empty()) {
    problem = line.Error;
  } else if (line.Tokens.empty() || line.Tokens[0].Text != action) {
    problem = box + " is open and needs \"" + action + " ...\", not: " + line.Source;
  } else if (line.Tokens.size() != 2) {
    problem = std::string("\"") + action + "\" takes one value: " + line.Source;
  } else {
    return &line;
  }
  return nullptr;
}

// OK-only boxes are acknowledged without a script line; the others take the next line.
int ScriptRunner::MessageBox(const std::string& caption, const std::string& text,
                             MsgButtons buttons, MsgIcon icon) {
  std::string head = std::string("message ") + ButtonsWord(buttons) + " " + IconWord(icon) + " " +
                     QuoteText(caption) + " " + QuoteText(text) + " -> ";
  if (buttons == MsgButtons::Ok) {
    transcript_.Add(head + "ok");
    return mrOk;
  }
  bool yesNo = buttons == MsgButtons::YesNo;
  int result = yesNo ? mrNo : mrCancel;
  std::string problem;
  int problemLine = 0;
  std::string box = std::string(yesNo ? "a Yes/No" : "an OK/Cancel") + " box " + QuoteText(text);
  if (const ScriptLine* line = TakeAnswer("answer", box, problem, problemLine)) {
    const std::string& value = line->Tokens[1].Text;
    if (yesNo && (value == "yes" || value == "no")) {
      result = value == "yes" ? mrYes : mrNo;
    } else if (!yesNo && (value == "ok" || value == "cancel")) {
      result = value == "ok" ? mrOk : mrCancel;
    } else {
      problem = box + " cannot be answered \"" + sys::GbkToUtf8(value) + "\"";
    }
  }
  transcript_.Add(head + ResultWord(result));
  if (!problem.empty()) {
    Fail(problemLine, problem);
  }
  return result;
}

bool ScriptRunner::InputBox(const std::string& caption, const std::string& prompt,
                            std::string& value) {
  std::string head =
      "input " + QuoteText(caption) + " " + QuoteText(prompt) + " " + QuoteText(value) + " -> ";
  std::string problem;
  int problemLine = 0;
  bool ok = false;
  if (const ScriptLine* line =
          TakeAnswer("input", "an input box " + QuoteText(prompt), problem, problemLine)) {
    const ScriptToken& answer = line->Tokens[1];
    if (answer.Quoted || answer.Text != "cancel") {
      value = answer.Text;
      ok = true;
    }
  }
  transcript_.Add(head + (ok ? QuoteText(value) : std::string("cancel")));
  if (!problem.empty()) {
    Fail(problemLine, problem);
  }
  return ok;
}

bool ScriptRunner::AnswerPath(const std::string& answer, std::string& path,
                              std::string& problem) const {
  path = answer;
  if (scriptFolder_.empty() || answer.empty() || IsAbsoluteAnswer(answer)) {
    return true;
  }
  // Paths inside the module are GBK like every other text.
  std::optional<std::string> folder = Utf8ToGbkStrict(scriptFolder_);
  if (!folder) {
    problem =
        "the script's folder " + scriptFolder_ +
        " cannot be written in GBK, so a file cannot be named from it: " + sys::GbkToUtf8(answer);
    return false;
  }
  path = *folder + (folder->back() == kSeparator ? "" : std::string(1, kSeparator)) + answer;
  return true;
}

// An open dialog's answer names a file that comes with the script, so a relative name
// is taken from the script's folder; a save dialog's answer is a file the run makes, in
// the current folder like the printed files.
bool ScriptRunner::FileDialog(bool save, const std::string& filter, std::string& path) {
  std::string head = std::string("file ") + (save ? "save " : "open ") + QuoteText(filter) + " -> ";
  std::string problem;
  int problemLine = 0;
  bool ok = false;
  if (const ScriptLine* line =
          TakeAnswer("file", save ? "a save dialog" : "an open dialog", problem, problemLine)) {
    const ScriptToken& answer = line->Tokens[1];
    if (answer.Quoted || answer.Text != "cancel") {
      std::string chosen;
      if (save) {
        chosen = answer.Text;
        ok = true;
      } else {
        ok = AnswerPath(answer.Text, chosen, problem);
      }
      if (ok) {
        path = chosen;
      }
    }
  }
  transcript_.Add(head + (ok ? QuoteText(path) : std::string("cancel")));
  if (!problem.empty()) {
    Fail(problemLine, problem);
  }
  return ok;
}

void ScriptRunner::WorkSummary(const std::string& text) {
  transcript_.Add("summary " + QuoteText(text));
}

bool ScriptRunner::PrintDialog() {
  std::string problem;
  int problemLine = 0;
  bool ok = false;
  if (const ScriptLine* line = TakeAnswer("print", "the print dialog", problem, problemLine)) {
    const std::string& value = line->Tokens[1].Text;
    if (value == "yes" || value == "no") {
      ok = value == "yes";
    } else {
      problem = "the print dialog cannot be answered \"" + sys::GbkToUtf8(value) + "\"";
    }
  }
  transcript_.Add(std::string("print -> ") + (ok ? "yes" : "no"));
  if (!problem.empty()) {
    Fail(problemLine, problem);
  }
  return ok;
}

}  // namespace ui
