// A form's top-level window: made from the model, kept in step with its change notices,
// and turning the operator's messages into the model's input.
#include "ui/win32/FormWindow.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ui/Input.h"
#include "ui/VisitKind.h"
#include "ui/win32/WideText.h"

namespace ui::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"TavroForm";

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The class of every form's window; registering it again is harmless.
void RegisterFormClass(WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ThisModule();
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = FromInteger<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kFormClass;
  RegisterClassExW(&windowClass);
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi != nullptr && window != nullptr) {
    if (const UINT dpi = getDpi(window); dpi != 0) {
      return static_cast<int>(dpi);
    }
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

TShiftState ShiftNow() {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) {
    shift |= ssShift;
  }
  if (GetKeyState(VK_CONTROL) < 0) {
    shift |= ssCtrl;
  }
  if (GetKeyState(VK_MENU) < 0) {
    shift |= ssAlt;
  }
  return shift;
}

bool IsEditor(const TControl& control) {
  return dynamic_cast<const TCustomEdit*>(&control) != nullptr ||
         (dynamic_cast<const TComboBox*>(&control) != nullptr &&
          static_cast<const TComboBox&>(control).Style() == csDropDown);
}

// A key an editor takes as a character (WM_CHAR follows): no Ctrl or Alt, and a key
// that types something.
bool TypesCharacter(WPARAM key, TShiftState shift) {
  if ((shift & (ssCtrl | ssAlt)) != 0) {
    return false;
  }
  return key == VK_SPACE || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
         (key >= VK_NUMPAD0 && key <= VK_DIVIDE) || (key >= VK_OEM_1 && key <= VK_OEM_8) ||
         key == VK_OEM_102 || key == VK_PROCESSKEY;
}

// The clipboard's text in the module's code page: empty when there is none, nothing when
// a character of it has no form there (the paste is then refused, as typing it is).
std::optional<std::string> ClipboardText(HWND window) {
  std::optional<std::string> text = std::string();
  if (!OpenClipboard(window)) {
    return text;
  }
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = ModelFromWide(wide);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The system's clipboard takes text as UTF-16.
void SetClipboardText(HWND window, const std::string& text) {
  const std::wstring wide = WideFromModel(text);
  if (!OpenClipboard(window)) {
    return;
  }
  EmptyClipboard();
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    void* at = GlobalLock(data);
    if (at != nullptr) {
      std::memcpy(at, wide.c_str(), bytes);
      GlobalUnlock(data);
    }
    if (at == nullptr || SetClipboardData(CF_UNICODETEXT, data) == nullptr) {
      GlobalFree(data);  // the clipboard owns it only once set
    }
  }
  CloseClipboard();
}

// The texts of an edit's menu as Windows gives them in the thread's language.
struct EditMenuTexts {
  const wchar_t* Cut;
  const wchar_t* Copy;
  const wchar_t* Paste;
  const wchar_t* Delete;
  const wchar_t* SelectAll;
};

EditMenuTexts EditMenuTextsNow() {
  const LANGID language = LANGIDFROMLCID(GetThreadLocale());
  if (PRIMARYLANGID(language) == LANG_CHINESE) {
    if (SUBLANGID(language) == SUBLANG_CHINESE_SIMPLIFIED ||
        SUBLANGID(language) == SUBLANG_CHINESE_SINGAPORE) {
      return {L"\u526a\u5207(&T)", L"\u590d\u5236(&C)", L"\u7c98\u8d34(&P)", L"\u5220\u9664(&D)",
              L"\u5168\u9009(&A)"};
    }
    return {L"\u526a\u4e0b(&T)", L"\u8907\u88fd(&C)", L"\u8cbc\u4e0a(&P)", L"\u522a\u9664(&D)",
            L"\u5168\u9078(&A)"};
  }
  return {L"Cu&t", L"&Copy", L"&Paste", L"&Delete", L"Select &All"};
}

bool HidesText(const TWinControl& target) {
  const auto* edit = dynamic_cast<const TEdit*>(&target);
  return edit != nullptr && edit->PasswordChar() != 0;
}

bool IsGroupBox(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return _wcsicmp(name, WC_BUTTONW) == 0 &&
         (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// A mouse message's point, signed (a point left of or above the window is negative).
POINT PointOf(LPARAM point) {
  return POINT{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
}

// The index of node in its tree's order, as SelectItem takes it; -1 when absent.

int TreeIndex(const TTreeView& tree, const TTreeNode* node) {
  const std::vector<TTreeNode*> nodes = tree.Nodes();
  const auto found = std::find(nodes.begin(), nodes.end(), node);
  return found == nodes.end() ? -1 : static_cast<int>(found - nodes.begin());
}

}  // namespace

FormWindow::FormWindow(TForm& form, FormHost& host, HWND owner, bool interactive)
    : form_(form), host_(host), owner_(owner), interactive_(interactive) {
  RegisterFormClass(&FormProc);
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (form.BorderStyle() == bsSizeable) {
    style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
  }
  window_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kFormClass, L"", style,
                            CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner, nullptr, ThisModule(), this);
  scale_.Dpi = WindowDpi(window_);
}

FormWindow::~FormWindow() {
  syncing_ = true;  // the windows going send notices the model must not take
  for (auto& [control, native] : natives_) {
    DestroyNative(native);
  }
  natives_.clear();
  // Windows not destroyed above keep no pointer to the records going with this form.
  for (auto& [window, record] : windows_) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record.Own));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  }
  windows_.clear();
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

HWND FormWindow::WindowOf(const TControl& control) const {
  const auto found = natives_.find(&control);
  return found == natives_.end() ? nullptr : found->second.Window;
}

void FormWindow::Sync() {
  syncing_ = true;
  for (TControl* control : form_.TakeChangedControls()) {
    control->TakeChanges();
  }
  TChangeRecord all;
  all.Mark(chAll);
  SyncForm(all);
  for (auto& [control, native] : natives_) {
    native.Seen = false;
  }
  Walk(form_);
  // Controls that left the form leave their windows.
  for (auto it = natives_.begin(); it != natives_.end();) {
    if (!it->second.Seen) {
      DestroyNative(it->second);
      it = natives_.erase(it);
    } else {
      ++it;
    }
  }
  SyncFocus();
  syncing_ = false;
}

void FormWindow::Walk(TWinControl& parent) {
  TChangeRecord all;
  all.Mark(chAll);
  for (TControl* control : parent.Controls()) {
    auto found = natives_.find(control);
    if (found == natives_.end() || found->second.Window == nullptr ||
        *found->second.Kind != typeid(*control)) {
      if (found != natives_.end()) {
        DestroyNative(found->second);
      }
      found = natives_.insert_or_assign(control, CreateNative(*control, window_)).first;
    }
    found->second.Seen = true;
    ShowControl(*control, found->second, all, scale_, fonts_);
    // Every window of the control, a radio group's items made just now too, hands its
    // keys to the model.
    Subclass(found->second.Window, *control, -1);
    Subclass(found->second.Inner, *control, -1);
    for (std::size_t item = 0; item < found->second.Items.size(); ++item) {
      Subclass(found->second.Items[item], *control, static_cast<int>(item));
    }
    RaiseNative(found->second);
    if (auto* container = dynamic_cast<TWinControl*>(control)) {
      Walk(*container);
    }
  }
}

void FormWindow::Subclass(HWND window, TControl& control, int item) {
  if (window == nullptr || windows_.count(window) != 0) {
    return;
  }
  ControlWindow& record = windows_[window];
  record = ControlWindow{this, &control, item, nullptr};
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&record));
  record.Own = FromInteger<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlProc)));
}

TControl* FormWindow::ControlOf(HWND window, int& item) const {
  const auto found = windows_.find(window);
  if (found == windows_.end()) {
    item = -1;
    return nullptr;
  }
  item = found->second.Item;
  return found->second.Control;
}

bool FormWindow::NeedsWalk(const TControl& control, const TChangeRecord& changes) const {
  if (&control == &form_) {
    return changes.Has(chChildren | chFont);
  }
  const auto found = natives_.find(&control);
  if (found == natives_.end() || *found->second.Kind != typeid(control) ||
      changes.Has(chChildren) ||
      (dynamic_cast<const TRadioGroup*>(&control) != nullptr && changes.Has(chItems))) {
    return true;  // a radio group's new items get their windows in the walk
  }
  const auto* container = dynamic_cast<const TWinControl*>(&control);
  return container != nullptr && container->ControlCount() > 0 &&
         changes.Has(chGeometry | chVisible | chEnabled | chFont | chSelection);
}

void FormWindow::SyncChanges() {
  if (closed_) {
    return;
  }
  std::vector<std::pair<TControl*, TChangeRecord>> changed;
  for (TControl* control : form_.TakeChangedControls()) {
    changed.emplace_back(control, control->TakeChanges());
  }
  if (std::any_of(changed.begin(), changed.end(),
                  [this](const auto& entry) { return NeedsWalk(*entry.first, entry.second); })) {
    Sync();
    return;
  }
  syncing_ = true;
  for (auto& [control, changes] : changed) {
    if (control == &form_) {
      SyncForm(changes);
      continue;
    }
    ShowControl(*control, natives_.at(control), changes, scale_, fonts_);
    // A sheet's caption is its page control's tab.
    if (changes.Has(chText) && control->Parent() != &form_) {
      VisitKind(
          *control->Parent(),
          [&](TPageControl& pages) {
            TChangeRecord tabs;
            tabs.Mark(chItems);
            ShowControl(pages, natives_.at(&pages), tabs, scale_, fonts_);
          },
          [](TComponent&) {});
    }
  }
  // The default button is drawn on the button Enter presses, which follows the focus.
  TButton* enter = form_.EnterButton();
  for (auto& [control, native] : natives_) {
    if (const auto* button = dynamic_cast<const TButton*>(control)) {
      SendMessageW(native.Window, BM_SETSTYLE, button == enter ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                   TRUE);
    }
  }
  SyncFocus();
  syncing_ = false;
}

void FormWindow::SyncForm(const TChangeRecord& changes) {
  if (changes.Has(chText)) {
    SetWindowTextW(window_, WideFromModel(form_.Caption()).c_str());
  }
  if (changes.Has(chFont)) {
    SendMessageW(window_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(fonts_.Get(form_.Font(), scale_.Dpi)), FALSE);
  }
  if (changes.Has(chGeometry)) {
    Place(true);
  }
}

// The window's client area is the form's designed size at the window's DPI; a window
// not yet shown is centred on its owner, or on the work area.
void FormWindow::Place(bool keepPosition) {
  RECT frame{0, 0, scale_.Px(form_.Width()), scale_.Px(form_.Height())};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (keepPosition && IsWindowVisible(window_)) {
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  RECT area{};
  if (owner_ == nullptr || !GetWindowRect(owner_, &area) || area.right <= area.left) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  const int left = std::max(0, static_cast<int>(area.left + (area.right - area.left - width) / 2));
  const int top = std::max(0, static_cast<int>(area.top + (area.bottom - area.top - height) / 2));
  SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::Present() {
  Place(false);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  SyncFocus();
}

// The native focus follows the model's; a form without a focused control keeps it on
// its own window, so that its keys still reach the model.
void FormWindow::SyncFocus() {
  if (!IsWindowVisible(window_) || GetActiveWindow() != window_) {
    return;
  }
  HWND wanted = window_;
  if (TWinControl* active = form_.ActiveControl()) {
    const auto found = natives_.find(active);
    if (found != natives_.end()) {
      wanted = found->second.Inner != nullptr ? found->second.Inner : found->second.Window;
    }
  }
  if (GetFocus() != wanted) {
    const bool was = syncing_;
    syncing_ = true;
    SetFocus(wanted);
    syncing_ = was;
  }
}

void FormWindow::CheckClose() {
  if (closed_ || form_.ModalResult() == mrNone) {
    return;
  }
  bool canClose = false;
  if (!Dispatch([&] { canClose = form_.CloseQuery(); })) {
    form_.SetModalResult(mrNone);
  }
  if (!canClose) {
    return;
  }
  closed_ = true;
  result_ = form_.ModalResult();
}

void FormWindow::Input(const std::function<void()>& action) {
  if (!interactive_ || syncing_ || closed_ || !host_.TakesInput()) {
    return;
  }
  action();
  host_.AfterInput();
}

LRESULT CALLBACK FormWindow::FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = FromInteger<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = FromInteger<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->OnFormMessage(message, wParam, lParam);
}

LRESULT FormWindow::OnFormMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        OnCommand(FromInteger<HWND>(lParam), HIWORD(wParam));
      }
      return 0;
    case WM_NOTIFY:
      return OnNotify(*FromInteger<NMHDR*>(lParam));
    case WM_CLOSE:
      // The close box and Alt+F4: the model's cancel and close query decide.
      Input([this] { CloseByOperator(form_); });
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        SyncFocus();
        return 0;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (OnControlMessage(window_, message, wParam, lParam)) {
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC: {
      // The face brush as ever; a disabled label's text in a grey that reads.
      const LRESULT brush = DefWindowProcW(window_, message, wParam, lParam);
      int item = -1;
      const TControl* control = ControlOf(FromInteger<HWND>(lParam), item);
      if (dynamic_cast<const TLabel*>(control) != nullptr && !control->IsUsable()) {
        SetTextColor(FromInteger<HDC>(static_cast<std::intptr_t>(wParam)), LegibleDisabledText());
      }
      return brush;
    }
    case WM_DPICHANGED: {
      scale_.Dpi = HIWORD(wParam);
      fonts_.Clear();
      const auto* suggested = FromInteger<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      Sync();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void FormWindow::OnCommand(HWND source, UINT code) {
  int item = -1;
  TControl* control = ControlOf(source, item);
  if (control == nullptr || natives_.count(control) == 0) {
    return;
  }
  switch (code) {
    case BN_CLICKED:
      Input([&] {
        if (auto* group = dynamic_cast<TRadioGroup*>(control); group != nullptr && item >= 0) {
          SelectItem(*group, item);
        } else {
          ClickControl(*control);  // a file-name edit's browse button opens its dialog
        }
      });
      break;
    case CBN_SELCHANGE:  // LBN_SELCHANGE is the same code; the control tells them apart
      Input([&] {
        const bool combo = dynamic_cast<TComboBox*>(control) != nullptr;
        const auto index =
            static_cast<int>(SendMessageW(source, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
        if (index >= 0) {
          SelectItem(static_cast<TWinControl&>(*control), index);
        }
      });
      break;
    case LBN_DBLCLK:
      if (dynamic_cast<TListBox*>(control) != nullptr) {
        Input([&] { DblClickControl(*control); });
      }
      break;
    default:
      break;
  }
}

LRESULT FormWindow::OnNotify(NMHDR& header) {
  int item = -1;
  TControl* control = ControlOf(header.hwndFrom, item);
  if (control == nullptr || natives_.count(control) == 0) {
    return 0;
  }
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
      if (const auto* list = dynamic_cast<const TListView*>(control);
          list != nullptr && (info.item.mask & LVIF_TEXT) != 0 && info.item.cchTextMax > 0) {
        rowText_ = WideFromModel(RowText(*list, info.item.iItem, info.item.iSubItem));
        lstrcpynW(info.item.pszText, rowText_.c_str(), info.item.cchTextMax);
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (auto* checks = dynamic_cast<TCheckListBox*>(control);
          checks != nullptr && change.iItem >= 0 &&
          ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0 &&
          (change.uOldState & LVIS_STATEIMAGEMASK) != 0) {
        const bool checked = (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
        if (checked != checks->Checked(change.iItem)) {
          Input([&] { CheckItem(*checks, change.iItem, checked); });
        }
        return 0;
      }
      if (change.iItem >= 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
          (change.uOldState & LVIS_SELECTED) == 0) {
        Input([&] { SelectItem(static_cast<TWinControl&>(*control), change.iItem); });
      }
      return 0;
    }
    case TVN_SELCHANGEDW: {
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      auto* tree = dynamic_cast<TTreeView*>(control);
      if (tree == nullptr || change.action == TVC_UNKNOWN) {
        return 0;
      }
      const NativeControl& native = natives_.at(control);
      for (const auto& [node, handle] : native.Nodes) {
        if (handle == change.itemNew.hItem) {
          const int index = TreeIndex(*tree, node);
          if (index >= 0) {
            Input([&] { SelectItem(*tree, index); });
          }
          break;
        }
      }
      return 0;
    }
    case TCN_SELCHANGE: {
      auto* pages = dynamic_cast<TPageControl*>(control);
      const int index = TabCtrl_GetCurSel(header.hwndFrom);
      if (pages != nullptr && index >= 0 && index < static_cast<int>(pages->Pages().size())) {
        Input([&] { ClickControl(*pages->Pages()[static_cast<std::size_t>(index)]); });
      }
      return 0;
    }
    case TVN_ITEMEXPANDINGW: {
      auto* tree = dynamic_cast<TTreeView*>(control);
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      return tree != nullptr && OnTreeExpanding(*tree, change.itemNew.hItem, change.action) ? TRUE
                                                                                            : FALSE;
    }
    case NM_DBLCLK:
      Input([&] { DblClickControl(*control); });
      return 0;
    default:
      return 0;
  }
}

LRESULT CALLBACK FormWindow::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* record = FromInteger<ControlWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (record == nullptr) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // The model's handlers may destroy the window and its record: the class's procedure
  // is kept aside first.
  const WNDPROC own = record->Own;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    record->Form->windows_.erase(window);
  } else if (message == WM_ERASEBKGND && IsGroupBox(window)) {
    // A group box draws its frame and caption only, and the form does not paint under
    // its children: the inside around the box's items would keep whatever was there.
    RECT inside{};
    GetClientRect(window, &inside);
    FillRect(FromInteger<HDC>(static_cast<std::intptr_t>(wParam)), &inside,
             GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  } else if (record->Form->OnControlMessage(window, message, wParam, lParam)) {
    return 0;
  }
  return CallWindowProcW(own, window, message, wParam, lParam);
}

bool FormWindow::OnTreeExpanding(TTreeView& tree, HTREEITEM item, UINT action) {
  if (syncing_) {
    return false;  // the tree shows what the model holds
  }
  const NativeControl& native = natives_.at(&tree);
  for (const auto& [node, handle] : native.Nodes) {
    if (handle == item) {
      TTreeNode* open = tree.Node(TreeIndex(tree, node));
      const bool expand = (action & TVE_EXPAND) != 0 && !node->Expanded();
      Input([&] { Dispatch([&] { tree.SetExpanded(open, expand); }); });
      break;
    }
  }
  return true;
}

bool FormWindow::OnRightPress(TWinControl& target, HWND window, LPARAM point) {
  const POINT at = PointOf(point);
  if (auto* list = dynamic_cast<TListView*>(&target)) {
    LVHITTESTINFO hit{};
    hit.pt = at;
    const auto row =
        static_cast<int>(SendMessageW(window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    Input([&] { row >= 0 ? SelectItem(*list, row) : FocusByOperator(*list); });
    return true;
  }
  if (auto* tree = dynamic_cast<TTreeView*>(&target)) {
    TVHITTESTINFO hit{};
    hit.pt = at;
    const auto item = FromInteger<HTREEITEM>(
        SendMessageW(window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    int index = -1;
    for (const auto& [node, handle] : natives_.at(tree).Nodes) {
      if (item != nullptr && handle == item && (hit.flags & TVHT_ONITEM) != 0) {
        index = TreeIndex(*tree, node);
      }
    }
    Input([&] { index >= 0 ? SelectItem(*tree, index) : FocusByOperator(*tree); });
    return true;
  }
  return false;
}

bool FormWindow::OnRightRelease(TWinControl& target, HWND window, LPARAM point) {
  TPopupMenu* menu = nullptr;
  for (TControl* c = &target; c != nullptr && menu == nullptr; c = c->Parent()) {
    menu = c->PopupMenu();
  }
  const bool list =
      dynamic_cast<TListView*>(&target) != nullptr || dynamic_cast<TTreeView*>(&target) != nullptr;
  auto* edit = dynamic_cast<TCustomEdit*>(&target);
  if ((menu == nullptr && edit == nullptr) || !target.IsUsable()) {
    return list;  // the press was the model's; the native control has nothing to finish
  }
  POINT screen = PointOf(point);
  ClientToScreen(window, &screen);
  if (menu != nullptr) {
    ShowMenu(*menu, screen);
  } else {
    ShowEditMenu(*edit, screen);
  }
  return true;
}

void FormWindow::ShowEditMenu(TCustomEdit& edit, POINT screen) {
  if (!interactive_ || syncing_ || closed_ || !host_.TakesInput()) {
    return;
  }
  const bool selected = edit.SelLength() != 0;
  const bool writable = !edit.ReadOnly();
  const bool hidden = HidesText(edit);
  enum : UINT { kCut = 1, kCopy, kPaste, kDelete, kSelectAll };
  const EditMenuTexts texts = EditMenuTextsNow();
  HMENU popup = CreatePopupMenu();
  auto add = [&](UINT id, const wchar_t* text, bool enabled) {
    AppendMenuW(popup, MF_STRING | (enabled ? 0U : MF_GRAYED), id, text);
  };
  add(kCut, texts.Cut, selected && writable && !hidden);
  add(kCopy, texts.Copy, selected && !hidden);
  add(kPaste, texts.Paste, writable && IsClipboardFormatAvailable(CF_UNICODETEXT) != 0);
  add(kDelete, texts.Delete, selected && writable);
  AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  add(kSelectAll, texts.SelectAll, !edit.Text().empty());
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       screen.x, screen.y, 0, window_, nullptr));
  DestroyMenu(popup);
  if (chosen == 0 || !edit.IsUsable()) {
    return;
  }
  Input([&] { FocusByOperator(edit); });
  if (!edit.Focused()) {
    return;
  }
  switch (chosen) {
    case kCut:
      CutSelection(edit);
      break;
    case kCopy:
      Input([&] { PressKey(edit, 'C', ssCtrl); });
      CopySelection(edit);
      break;
    case kPaste:
      if (const std::optional<std::string> text = ClipboardText(window_); !text) {
        host_.Refused();
      } else if (!text->empty()) {
        Input([&] { PasteText(edit, *text); });
      }
      break;
    case kDelete:
      Input([&] { PressKey(edit, vk::Delete); });
      break;
    case kSelectAll:
      Input([&] { PressKey(edit, 'A', ssCtrl); });
      break;
    default:
      break;
  }
}

void FormWindow::CopySelection(const TWinControl& target) {
  const auto* edit = dynamic_cast<const TCustomEdit*>(&target);
  if (edit != nullptr && edit->SelLength() != 0 && !HidesText(target)) {
    SetClipboardText(window_, edit->SelText());
  }
}

// A read-only or password text is not cut.
void FormWindow::CutSelection(TWinControl& target) {
  const auto* edit = dynamic_cast<const TCustomEdit*>(&target);
  if (edit == nullptr || edit->ReadOnly() || HidesText(target)) {
    return;
  }
  CopySelection(target);
  Input([&] { PressKey(target, 'X', ssCtrl); });
}

void FormWindow::ShowMenu(TPopupMenu& menu, POINT screen) {
  if (!interactive_ || syncing_ || closed_ || !host_.TakesInput()) {
    return;
  }
  Input([&] {
    Dispatch([&] {
      if (menu.OnPopup) {
        menu.OnPopup(&menu);
      }
    });
  });
  HMENU popup = CreatePopupMenu();
  std::vector<TMenuItem*> shown;
  for (TMenuItem* item : menu.Items()) {
    if (!item->Visible()) {
      continue;
    }
    if (item->Caption() == "-") {
      AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    shown.push_back(item);
    const UINT flags =
        MF_STRING | (item->Enabled() ? 0U : MF_GRAYED) | (item->Checked() ? MF_CHECKED : 0U);
    AppendMenuW(popup, flags, shown.size(), WideFromModel(item->Caption()).c_str());
  }
  const auto chosen = shown.empty() ? 0
                                    : static_cast<std::size_t>(TrackPopupMenu(
                                          popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                          screen.x, screen.y, 0, window_, nullptr));
  DestroyMenu(popup);
  if (chosen >= 1 && chosen <= shown.size()) {
    TMenuItem* clicked = shown[chosen - 1];
    Input([clicked] { Dispatch([clicked] { clicked->Click(); }); });
  }
}

// Keys and typed characters go to the model, never to the native control; so does the
// focus the operator moves with the mouse.
bool FormWindow::OnControlMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  int item = -1;
  TControl* control = window == window_ ? &form_ : ControlOf(window, item);
  auto* target = dynamic_cast<TWinControl*>(control);
  if (target == nullptr) {
    return false;
  }
  switch (message) {
    case WM_SETFOCUS:
      if (target != &form_ && form_.ActiveControl() != target) {
        Input([&] { FocusByOperator(*target); });
      }
      return false;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const TShiftState shift = ShiftNow();
      if (wParam == VK_SHIFT || wParam == VK_CONTROL || wParam == VK_MENU ||
          (message == WM_SYSKEYDOWN && wParam == VK_F4)) {
        return false;  // Alt+F4 closes through WM_CLOSE
      }
      if (IsEditor(*target) && TypesCharacter(wParam, shift)) {
        return true;  // its character follows as WM_CHAR
      }
      if (IsEditor(*target) && wParam == 'V' && shift == ssCtrl) {
        if (const std::optional<std::string> text = ClipboardText(window_); !text) {
          host_.Refused();
        } else {
          Input([&] { PasteText(*target, *text); });
        }
        return true;
      }
      if (IsEditor(*target) && wParam == 'C' && shift == ssCtrl) {
        Input([&] { PressKey(*target, 'C', ssCtrl); });
        CopySelection(*target);
        return true;
      }
      if (IsEditor(*target) && wParam == 'X' && shift == ssCtrl) {
        CutSelection(*target);
        return true;
      }
      if (auto* edit = dynamic_cast<TCustomEdit*>(target);
          edit != nullptr && (wParam == VK_APPS || (wParam == VK_F10 && shift == ssShift))) {
        RECT box{};
        GetWindowRect(window, &box);
        ShowEditMenu(*edit, POINT{box.left + 4, box.bottom});
        return true;
      }
      Input([&] { PressKey(*target, static_cast<std::uint16_t>(wParam), shift); });
      return true;
    }
    case WM_CHAR: {
      const auto character = static_cast<wchar_t>(wParam);
      if (!IsEditor(*target) || character < 0x20) {
        return true;  // the key was the model's as WM_KEYDOWN
      }
      const std::optional<std::string> typed = ModelFromWide(std::wstring_view(&character, 1));
      if (!typed) {
        host_.Refused();
        return true;
      }
      Input([&] { TypeText(*target, *typed); });
      return true;
    }
    case WM_RBUTTONDOWN:
      return OnRightPress(*target, window, lParam);
    case WM_RBUTTONUP:
      return OnRightRelease(*target, window, lParam);
    case WM_CONTEXTMENU:
      return IsEditor(*target);  // an edit's own menu would change its text behind the model
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
      return wParam != VK_F4;
    default:
      return false;
  }
}

}  // namespace ui::win32
