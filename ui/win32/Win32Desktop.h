// The Win32 platform itself (made by CreateWin32Platform in ui/win32/Win32Platform.h).
// Two ways to run, as on Qt:
//
// - the operator drives: each form is a top-level window (ui/win32/FormWindow.h) owned
//   by the window beneath it, run in a message loop of its own until the form closes;
//   message boxes are MessageBoxW, the file dialogs GetOpenFileNameW/GetSaveFileNameW,
//   the print dialog PrintDlgW with printing through GDI (ui/win32/GdiPrinter.h), the
//   input box a form of the model's own controls.
// - a script plays: the script engine's runner plays it (ui/script/ScriptRunner.h),
//   writing the same transcript as headless and printing as headless does; this platform
//   shows each form in its window while it is played. Boxes are the runner's answers
//   only: a system box would wait for a person.
//
// Either way a form is modal to the window beneath it: that window (the shell's window
// the entry point was given, or the form that opened this one) is disabled while the
// form is up and enabled and activated again as it closes.
//
// The windows use the common controls of version 6 from the module's manifest (an
// activation context made from the resource of the module holding this code, when it
// has one) and are per-monitor DPI aware where the system offers it.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/Platform.h"
#include "ui/script/ScriptRunner.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/WinApi.h"

namespace ui::win32 {

class GdiPrinter;

class Win32Desktop : public Platform, private FormHost, private ScriptScreen {
 public:
  // script: the run of the environment's script, or null when the operator drives.
  explicit Win32Desktop(std::unique_ptr<ScriptRunner> script);
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  int ShowModal(TForm& form) override;
  int MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                 MsgIcon icon, int defaultButton = 1) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool FileDialog(bool save, const std::string& filter, std::string& path) override;
  bool PrintDialog() override;
  PrinterCanvas& Printer() override;
  void SetHourglass(bool busy) override;
  // The windows show the model as it is and what is queued for them is handled; input
  // is dropped meanwhile. A script's run records the work's summary.
  void ProcessPendingEvents() override;
  void WorkSummary(const std::string& text) override;
  // GDI's extent in the font the windows draw with, at 96 pixels per inch.
  TextSize TextExtent(const TFont& font, const std::string& text) override;
  void EntryCallEnded() override;

  // With a script: a BMP picture of every form's window as it opens and as the script
  // leaves it goes to this folder (UTF-8), NN-CLASS.bmp and NN-CLASS-end.bmp, NN counting
  // the pictures, as the Qt platform names its PNG files.
  void SetShotFolder(std::string folder) { shotFolder_ = std::move(folder); }

  // The innermost open form's window; null when none is open.
  FormWindow* TopWindow() const { return windows_.empty() ? nullptr : windows_.back(); }
  // Texts refused (with the beep) for a character GBK cannot write.
  int Refusals() const { return refusals_; }

 private:
  // FormHost
  void AfterInput() override;
  void Refused() override;
  bool TakesInput() const override { return !working_; }
  // ScriptScreen
  void FormShown(TForm& form) override;
  void FormChanged(TForm& form) override;
  void FormClosed(TForm& form) override;
  bool SaveShot(const std::string& path, std::string& why) override;

  // The window a new form or box is owned by: the innermost form's, else the shell's.
  HWND Owner() const;
  void SyncAll();
  // Lets the windows paint and handles what the system sent them; input is dropped.
  static void Paint();
  // The next picture of the shot folder, of a form's window; a failure is told on
  // standard error and leaves the run as it is.
  void AutoShot(const FormWindow& window, const std::string& what);

  std::unique_ptr<ScriptRunner> script_;
  HANDLE context_ = INVALID_HANDLE_VALUE;  // common controls v6 (the module's manifest)
  std::vector<FormWindow*> windows_;       // open forms, innermost last
  // The window of a form a script plays, and the window beneath it that it disabled
  // (null when that one was disabled already).
  struct Played {
    std::unique_ptr<FormWindow> Window;
    HWND Disabled = nullptr;
  };
  std::vector<Played> played_;
  std::unique_ptr<GdiPrinter> printer_;
  FontCache measureFonts_;
  HDC measureDc_ = nullptr;
  bool hourglass_ = false;
  HCURSOR cursorBefore_ = nullptr;
  bool working_ = false;
  int refusals_ = 0;
  std::string shotFolder_;
  int shots_ = 0;
};

}  // namespace ui::win32
