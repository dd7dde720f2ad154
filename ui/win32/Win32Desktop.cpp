// The Win32 platform: modal forms in message loops of their own, the owner window
// disabled beneath them, the system's boxes and dialogs, GDI printing and measuring, and
// the screen of a scripted run.
#include "ui/win32/Win32Desktop.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "sys/CodePage.h"
#include "ui/Edits.h"
#include "ui/Forms.h"
#include "ui/GdiTextExtent.h"
#include "ui/Input.h"
#include "ui/StdCtrls.h"
#include "ui/win32/GdiPrinter.h"
#include "ui/win32/WideText.h"
#include "ui/win32/WindowPicture.h"

namespace ui::win32 {
namespace {

// The resource the module's manifest is linked in as (ISOLATIONAWARE_MANIFEST_RESOURCE_ID).
constexpr WORD kManifestResource = 2;

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The activation context of the manifest linked into this module; none when the module
// has no manifest (a test program that links the platform directly).
HANDLE ManifestContext() {
  HMODULE module = ThisModule();
  if (FindResourceW(module, MAKEINTRESOURCEW(kManifestResource), MAKEINTRESOURCEW(24)) == nullptr) {
    return INVALID_HANDLE_VALUE;
  }
  ACTCTXW context{};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.hModule = module;
  context.lpResourceName = MAKEINTRESOURCEW(kManifestResource);
  return CreateActCtxW(&context);
}

// For the length of a scope: the module's manifest active (common controls v6), and the
// thread per-monitor DPI aware where the system knows the setting, so that every window
// made in it has both. A module cannot make its host process DPI aware; its thread can.
class DesktopScope {
 public:
  explicit DesktopScope(HANDLE context) {
    if (context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie_)) {
      active_ = true;
    }
    using SetAwarenessFn = void*(WINAPI*)(void*);
    auto set = reinterpret_cast<SetAwarenessFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    if (set != nullptr) {
      // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
      previous_ = set(FromInteger<void*>(-4));
      set_ = set;
    }
  }
  ~DesktopScope() {
    if (set_ != nullptr && previous_ != nullptr) {
      set_(previous_);
    }
    if (active_) {
      DeactivateActCtx(0, cookie_);
    }
  }
  DesktopScope(const DesktopScope&) = delete;
  DesktopScope& operator=(const DesktopScope&) = delete;

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
  void*(WINAPI* set_)(void*) = nullptr;
  void* previous_ = nullptr;
};

// The window beneath a form, disabled while the form is up; enabled and activated again
// when the scope ends (or at Release, before the form's window goes, so that the system
// hands the activation back to it and to no other program).
class OwnerDisabled {
 public:
  explicit OwnerDisabled(HWND owner) {
    if (owner != nullptr && IsWindow(owner) && IsWindowEnabled(owner)) {
      owner_ = owner;
      EnableWindow(owner_, FALSE);
    }
  }
  ~OwnerDisabled() { Release(); }
  OwnerDisabled(const OwnerDisabled&) = delete;
  OwnerDisabled& operator=(const OwnerDisabled&) = delete;
  void Release() {
    if (owner_ != nullptr && IsWindow(owner_)) {
      EnableWindow(owner_, TRUE);
      SetActiveWindow(owner_);
    }
    owner_ = nullptr;
  }

 private:
  HWND owner_ = nullptr;
};

UINT IconFlag(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return MB_ICONINFORMATION;
    case MsgIcon::Warning:
      return MB_ICONWARNING;
    case MsgIcon::Question:
      return MB_ICONQUESTION;
    case MsgIcon::Error:
      return MB_ICONERROR;
    case MsgIcon::None:
      break;
  }
  return 0;
}

int ModalResultOf(int answer) {
  switch (answer) {
    case IDOK:
      return mrOk;
    case IDYES:
      return mrYes;
    case IDNO:
      return mrNo;
    default:
      return mrCancel;
  }
}

// "Text files (*.txt)|*.txt|All files|*.*" as the file dialogs take it: pairs ended by
// NULs, the list by one more.
std::wstring FileFilter(const std::string& filter) {
  std::wstring wide = WideFromModel(filter);
  std::replace(wide.begin(), wide.end(), L'|', L'\0');
  wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

// The input box: a form of the model's own controls, shown as any form is.
class InputForm : public TForm {
 public:
  InputForm(const std::string& caption, const std::string& prompt, const std::string& value)
      : TForm(nullptr, "InputBoxFrm") {
    SetCaption(caption);
    SetBounds(0, 0, 360, 118);
    Prompt = Create<TLabel>(this, this, "PromptLbl");
    Prompt->SetCaption(prompt);
    Prompt->SetBounds(12, 12, 336, 16);
    Value = Create<TEdit>(this, this, "ValueEdt");
    Value->SetBounds(12, 34, 336, 22);
    Value->SetText(value);
    Value->SelectAll();
    Ok = Create<TButton>(this, this, "OKBtn");
    Ok->SetCaption("OK");
    Ok->SetBounds(192, 76, 75, 25);
    Ok->SetDefault(true);
    Ok->SetModalResult(mrOk);
    Cancel = Create<TButton>(this, this, "CancelBtn");
    Cancel->SetCaption("Cancel");
    Cancel->SetBounds(273, 76, 75, 25);
    Cancel->SetCancel(true);
    Cancel->SetModalResult(mrCancel);
    SetActiveControl(Value);
  }
  const char* ClassName() const override { return "TInputBoxFrm"; }

  TLabel* Prompt;
  TEdit* Value;
  TButton* Ok;
  TButton* Cancel;
};

}  // namespace

Win32Desktop::Win32Desktop(std::unique_ptr<ScriptRunner> script)
    : script_(std::move(script)),
      context_(ManifestContext()),
      printer_(std::make_unique<GdiPrinter>()),
      measureDc_(CreateCompatibleDC(nullptr)) {
  DesktopScope scope(context_);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  if (script_) {
    script_->SetScreen(this);
  }
}

Win32Desktop::~Win32Desktop() {
  if (script_) {
    script_->SetScreen(nullptr);
  }
  played_.clear();
  measureFonts_.Clear();
  if (measureDc_ != nullptr) {
    DeleteDC(measureDc_);
  }
  if (context_ != INVALID_HANDLE_VALUE) {
    ReleaseActCtx(context_);
  }
}

HWND Win32Desktop::Owner() const {
  if (!windows_.empty()) {
    return windows_.back()->Handle();
  }
  const auto owner = reinterpret_cast<HWND>(OwnerWindow());
  return owner != nullptr && IsWindow(owner) ? owner : nullptr;
}

void Win32Desktop::Paint() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    const bool input = (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) ||
                       (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST);
    if (!input) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

void Win32Desktop::SyncAll() {
  for (FormWindow* window : windows_) {
    if (!window->Closed()) {
      window->SyncChanges();
    }
  }
}

// Only the innermost form takes input; a form further out that a handler asked to close
// is asked when the input that opened the inner one has been handled.
void Win32Desktop::AfterInput() {
  if (!windows_.empty()) {
    windows_.back()->CheckClose();
  }
  SyncAll();
}

void Win32Desktop::Refused() {
  ++refusals_;
  MessageBeep(MB_ICONWARNING);
}

int Win32Desktop::ShowModal(TForm& form) {
  DesktopScope scope(context_);
  SyncAll();
  if (script_) {
    return script_->ShowModal(form);
  }
  std::optional<OwnerDisabled> owner;
  owner.emplace(Owner());
  FormWindow window(form, *this, Owner(), true);
  windows_.push_back(&window);
  struct Pop {
    std::vector<FormWindow*>& windows;
    ~Pop() { windows.pop_back(); }
  } pop{windows_};

  Dispatch([&] { form.BeginModal(); });
  window.Sync();
  window.CheckClose();
  if (!window.Closed()) {
    window.Present();
    window.Sync();  // again once shown: the focus goes only to a visible window
    MSG message;
    while (!window.Closed()) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got <= 0) {
        if (got == 0) {
          PostQuitMessage(static_cast<int>(message.wParam));  // for the caller's loop
        }
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  owner.reset();  // before the window goes
  ShowWindow(window.Handle(), SW_HIDE);
  // A loop ended from outside (the application quitting) closes the form as cancelled.
  const int result = window.Closed() ? window.Result() : static_cast<int>(mrCancel);
  Dispatch([&] { form.EndModal(); });
  form.SetModalResult(result);
  return result;
}

int Win32Desktop::MessageBox(const std::string& caption, const std::string& text,
                             MsgButtons buttons, MsgIcon icon, int defaultButton) {
  SyncAll();
  if (script_) {
    return script_->MessageBox(caption, text, buttons, icon);
  }
  UINT flags = IconFlag(icon) | MB_TASKMODAL;
  flags |= buttons == MsgButtons::OkCancel ? MB_OKCANCEL
           : buttons == MsgButtons::YesNo  ? MB_YESNO
                                           : MB_OK;
  if (defaultButton == 2) {
    flags |= MB_DEFBUTTON2;
  }
  DesktopScope scope(context_);
  const int answer =
      MessageBoxW(Owner(), WideFromModel(text).c_str(), WideFromModel(caption).c_str(), flags);
  return ModalResultOf(answer);
}

bool Win32Desktop::InputBox(const std::string& caption, const std::string& prompt,
                            std::string& value) {
  SyncAll();
  if (script_) {
    return script_->InputBox(caption, prompt, value);
  }
  InputForm box(caption, prompt, value);
  if (!windows_.empty()) {
    box.SetFont(windows_.back()->Form().Font());  // the dialog's language, in its face
  }
  if (ShowModal(box) != mrOk) {
    return false;
  }
  value = box.Value->Text();
  return true;
}

bool Win32Desktop::FileDialog(bool save, const std::string& filter, std::string& path) {
  SyncAll();
  if (script_) {
    return script_->FileDialog(save, filter, path);
  }
  DesktopScope scope(context_);
  const std::wstring filters = FileFilter(filter);
  std::wstring name = WideFromGbk(path);
  for (;;) {
    std::wstring buffer(std::max<std::size_t>(name.size() + 1, 4096), L'\0');
    std::copy(name.begin(), name.end(), buffer.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Owner();
    dialog.lpstrFilter = filter.empty() ? nullptr : filters.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) {
      return false;
    }
    name = buffer.c_str();
    if (std::optional<std::string> gbk = GbkFromWide(name)) {
      path = *gbk;
      return true;
    }
    // The module's texts are GBK: a name it cannot write would name another file.
    Refused();
    MessageBox(kAppTitle,
               sys::Utf8ToGbk("The file name cannot be written in the module's code page "
                              "(GBK); choose another name."),
               MsgButtons::Ok, MsgIcon::Warning);
  }
}

bool Win32Desktop::PrintDialog() {
  SyncAll();
  if (script_) {
    return script_->PrintDialog();
  }
  DesktopScope scope(context_);
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Owner();
  dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
  const bool chosen = PrintDlgW(&dialog) && dialog.hDC != nullptr;
  if (chosen) {
    printer_->Attach(dialog.hDC);
  }
  if (dialog.hDevMode != nullptr) {
    GlobalFree(dialog.hDevMode);
  }
  if (dialog.hDevNames != nullptr) {
    GlobalFree(dialog.hDevNames);
  }
  return chosen;
}

PrinterCanvas& Win32Desktop::Printer() {
  if (script_) {
    return script_->Printer();
  }
  return *printer_;
}

void Win32Desktop::SetHourglass(bool busy) {
  if (busy == hourglass_) {
    return;
  }
  hourglass_ = busy;
  if (busy) {
    cursorBefore_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  } else {
    SetCursor(cursorBefore_ != nullptr ? cursorBefore_ : LoadCursorW(nullptr, IDC_ARROW));
  }
}

void Win32Desktop::ProcessPendingEvents() {
  SyncAll();
  working_ = true;
  struct Done {
    bool& working;
    ~Done() { working = false; }
  } done{working_};
  Paint();
}

void Win32Desktop::WorkSummary(const std::string& text) {
  if (script_) {
    script_->WorkSummary(text);
  }
}

TextSize Win32Desktop::TextExtent(const TFont& font, const std::string& text) {
  if (measureDc_ == nullptr) {
    throw std::runtime_error("no device context to measure text with (GDI)");
  }
  HGDIOBJ previous = SelectObject(measureDc_, measureFonts_.Get(font, kScreenPixelsPerInch));
  struct Deselect {
    HDC dc;
    HGDIOBJ previous;
    ~Deselect() { SelectObject(dc, previous); }
  } deselect{measureDc_, previous};
  return GdiTextExtent(measureDc_, WideFromModel(text));
}

void Win32Desktop::EntryCallEnded() {
  if (script_) {
    script_->EntryCallEnded();
  }
}

// A played form is modal to the window beneath it as an operated one is: that window is
// disabled until the form closes (FormClosed).
void Win32Desktop::FormShown(TForm& form) {
  SyncAll();
  const HWND owner = Owner();
  FormHost& host = *this;
  Played played{std::make_unique<FormWindow>(form, host, owner, false), nullptr};
  if (owner != nullptr && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    played.Disabled = owner;
  }
  played.Window->Sync();
  played.Window->Present();
  played.Window->Sync();
  windows_.push_back(played.Window.get());
  played_.push_back(std::move(played));
  Paint();
  AutoShot(*windows_.back(), form.ClassName());
}

void Win32Desktop::FormChanged(TForm&) {
  SyncAll();
  Paint();
}

void Win32Desktop::FormClosed(TForm& form) {
  for (auto it = played_.begin(); it != played_.end(); ++it) {
    if (&it->Window->Form() == &form) {
      // As the script leaves it: the window still shows the model's last state.
      AutoShot(*it->Window, std::string(form.ClassName()) + "-end");
      windows_.erase(std::remove(windows_.begin(), windows_.end(), it->Window.get()),
                     windows_.end());
      // The window beneath comes back before this one goes, so that it is activated.
      if (it->Disabled != nullptr && IsWindow(it->Disabled)) {
        EnableWindow(it->Disabled, TRUE);
        SetActiveWindow(it->Disabled);
      }
      played_.erase(it);
      break;
    }
  }
  Paint();
}

void Win32Desktop::AutoShot(const FormWindow& window, const std::string& what) {
  if (shotFolder_.empty()) {
    return;
  }
  ++shots_;
  std::array<char, 16> number{};
  std::snprintf(number.data(), number.size(), "%02d-", shots_);
  const std::string path = shotFolder_ + "\\" + number.data() + what + ".bmp";
  std::string why;
  if (!SaveWindowPicture(window.Handle(), path, why)) {
    std::fprintf(stderr, "ManageEdit (Win32): cannot save the picture %s: %s\n", path.c_str(),
                 why.c_str());
  }
}

// A picture of the topmost form's window, as PNG: not written on this platform, which
// keeps no image encoder; the transcript says so as an error of the `shot` line.
bool Win32Desktop::SaveShot(const std::string& /*path*/, std::string& why) {
  why = "the Win32 platform takes no pictures; take them from the display";
  return false;
}

}  // namespace ui::win32
