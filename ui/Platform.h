// The one interface between the dialogs and the outside: modal forms, message boxes,
// the input box, file and print dialogs, the printer canvas, the hourglass cursor and
// the owner window of everything the module shows.
//
// All texts crossing this interface are GBK bytes, as everywhere inside the module.
#pragma once

#include <memory>
#include <string>

#include "sys/Abi.h"
#include "ui/ScreenFont.h"

namespace ui {

class TForm;

// Modal results, with the values of the original platform.
enum ModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
};

enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgIcon { None, Information, Warning, Question, Error };

// Where a printed text's baseline lies below the point TextOut is given, in ems of its
// font. The original platform's text cell is one em of its Song face high, and reports
// lay their rules out around that cell; the CJK faces here draw their ideographs in the
// em square with 0.88 of it above the baseline. Placed so, the glyphs fill the cell the
// report expects instead of the taller line box of the faces here (1.45 ems), which
// would run into a rule drawn just below the cell.
inline constexpr double kTextBaselineEms = 0.88;

// The printer as the report sees it: a device with a resolution on which text and
// lines are drawn at pixel coordinates, page by page. TextOut's point is the top left of
// the text's cell (see kTextBaselineEms).
class PrinterCanvas {
 public:
  virtual ~PrinterCanvas() = default;
  virtual int PixelsPerInchX() const = 0;
  virtual int PixelsPerInchY() const = 0;
  virtual void BeginDoc(const std::string& title) = 0;
  virtual void NewPage() = 0;
  virtual void EndDoc() = 0;
  virtual void SetFont(const std::string& name, int pointSize) = 0;
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Shows the form modally and returns its modal result.
  virtual int ShowModal(TForm& form) = 0;

  // A message box owned by the owner window. defaultButton is the 1-based button that
  // Enter would press. Returns mrOk, mrCancel, mrYes or mrNo.
  virtual int MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                         MsgIcon icon, int defaultButton = 1) = 0;

  // Returns false when the operator cancels; value holds the default on entry.
  virtual bool InputBox(const std::string& caption, const std::string& prompt,
                        std::string& value) = 0;

  // An open or save file dialog. Returns false when cancelled; path holds the initial
  // name on entry and the chosen one on return.
  virtual bool FileDialog(bool save, const std::string& filter, std::string& path) = 0;

  // The print dialog; true when the operator prints.
  virtual bool PrintDialog() = 0;
  virtual PrinterCanvas& Printer() = 0;

  virtual void SetHourglass(bool busy) = 0;

  // Long work inside an event handler (ui/LongWork.h) calls this at a bounded rate and
  // once as it ends. A platform with windows shows the model as it is now and handles
  // what its window system has queued (painting, moves, the window manager's pings), so
  // that the window never freezes. No input reaches a form meanwhile: what the operator
  // types or clicks then is dropped, so the handler at work is never entered again and
  // nothing is played after the work as if it had been meant for its end.
  virtual void ProcessPendingEvents() {}

  // The line that closes long work, as its dialog shows it (GBK): a platform that keeps
  // a transcript records it, so that whoever ran the dialog learns how the work ended.
  virtual void WorkSummary(const std::string& /*text*/) {}

  // The size text (GBK) takes on this platform's screen in font (ui/ScreenFont.h):
  // the real font's extents, so that designed forms can be checked against them.
  virtual TextSize TextExtent(const TFont& font, const std::string& text) = 0;

  // The language of the module's texts for the entry call, as a locale name ("zh_CN",
  // "ja"; empty for English). A platform that puts texts of its own in boxes and dialogs
  // (their buttons, the file and print dialogs) speaks it, whatever the desktop's
  // language, so that one dialog speaks one language.
  virtual void SetLanguage(const std::string& /*locale*/) {}

  // An entry point of the module is returning to its caller. A platform that plays an
  // operator script checks here that no line of it was left unplayed.
  virtual void EntryCallEnded() {}

  HWND_T OwnerWindow() const { return owner_; }
  void SetOwnerWindow(HWND_T owner) { owner_ = owner; }

 private:
  HWND_T owner_ = 0;
};

// The platform of this module instance, chosen on first use from TAVRO_UI and the
// display (ui/PlatformFactory.h). Throws std::runtime_error when TAVRO_UI asks for a
// platform that cannot run.
Platform& CurrentPlatform();

// Replaces the platform (tests install their own); returns the previous one.
std::unique_ptr<Platform> InstallPlatform(std::unique_ptr<Platform> platform);

// Called as an entry point begins: the platform speaks locale (SetLanguage) for the
// call. A platform first needed later in the call is told as it is made, so that an
// entry point that shows nothing makes none.
void BeginEntryCall(const std::string& locale);

// Called as an entry point returns normally: tells the platform (EntryCallEnded). When
// no platform was needed during the call but the environment names an operator script,
// the platform is made now, so that a script for an entry point that showed nothing is
// checked as well.
void EndEntryCall();

// The caption of the module's own boxes: the application's title.
inline constexpr char kAppTitle[] = "ManageEdit";

// The platform's plain message box: OK only, no icon, the application's title as
// caption.
void ShowMessage(const std::string& text);

// A Yes/No question owned by the owner window; true when the operator answers Yes.
// defaultButton 2 makes No what Enter answers.
bool AskYesNo(const std::string& caption, const std::string& text, MsgIcon icon = MsgIcon::None,
              int defaultButton = 1);

// The hourglass over the dialogs for the length of a scope, taken away on every path
// out of it.
class HourglassScope {
 public:
  HourglassScope();
  ~HourglassScope();
  HourglassScope(const HourglassScope&) = delete;
  HourglassScope& operator=(const HourglassScope&) = delete;
};

// Makes the shell's window the owner of everything shown for the length of a scope
// and gives the former owner back on every path out of it.
class OwnerWindowScope {
 public:
  explicit OwnerWindowScope(HWND_T owner);
  ~OwnerWindowScope();
  OwnerWindowScope(const OwnerWindowScope&) = delete;
  OwnerWindowScope& operator=(const OwnerWindowScope&) = delete;

 private:
  HWND_T previous_;
};

}  // namespace ui
