// The operator's keyboard on the Win32 platform under Wine, through real window
// messages: no script plays; a timer on the calling thread, which keeps running inside
// the module's modal loops, acts as the operator. It answers the boxes the test host's
// refusals raise, then posts keys and characters to the focused window and records where
// the focus went and what the windows show. Each entry point runs in a process of its
// own (`--operate ENTRY REPORT`), so that the platform is chosen afresh.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sys/Abi.h"
#include "sys/Win32Api.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 63);
  return name;
}

std::string TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 255);
  return sys::win32::Narrow(text);
}

// The operator: one step per timer tick, each step's outcome a line of the report.
struct Operator {
  std::string Entry;
  HWND Shell = nullptr;
  int Step = 0;
  int Ticks = 0;
  std::vector<std::string> Lines;
};
Operator* gOperator = nullptr;  // the timer's only way to its state (one thread)

// A visible window of this thread of a class, owned by owner (null: any owner).
struct OwnedSearch {
  HWND Owner;
  const wchar_t* Class;
  HWND Found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM data) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the enumeration's data is an integer
  auto* search = reinterpret_cast<OwnedSearch*>(data);
  if (IsWindowVisible(window) && ClassOf(window) == search->Class &&
      (search->Owner == nullptr || GetWindow(window, GW_OWNER) == search->Owner)) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindOwned(HWND owner, const wchar_t* className) {
  OwnedSearch search{owner, className, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchOwned, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

void PostKey(HWND window, WPARAM key, bool shift) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

// Where the focus is, as the report names it: the focused window's text, or its class
// for a window without one.
std::string FocusName() {
  HWND focus = GetFocus();
  const std::string text = TextOf(focus);
  return text.empty() ? sys::win32::Narrow(ClassOf(focus)) : text;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  Operator& op = *gOperator;
  if (++op.Ticks > 200) {  // 20 s: something never came; the form is closed by force
    op.Lines.push_back("gave up at step " + std::to_string(op.Step));
    if (HWND form = FindOwned(op.Shell, L"TavroForm")) {
      PostMessageW(form, WM_CLOSE, 0, 0);
    }
    return;
  }
  // A system box (the host's refusal, the question before dropping input) is answered
  // with Enter (its default button); the report names it by its caption.
  if (HWND box = FindOwned(nullptr, L"#32770")) {
    op.Lines.push_back("box " + TextOf(box));
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
    return;
  }
  HWND form = FindOwned(op.Shell, L"TavroForm");
  if (form == nullptr || GetActiveWindow() != form) {
    return;
  }
  const bool usage = op.Entry == "Mn_UsageEdit";
  switch (op.Step++) {
    case 0:
      op.Lines.push_back("shell enabled=" + std::to_string(IsWindowEnabled(op.Shell) ? 1 : 0));
      op.Lines.push_back("focus " + FocusName());
      if (usage) {
        PostKey(GetFocus(), VK_TAB, false);
      } else {
        // Typed Chinese through WM_CHAR, and a character GBK lacks (Thai), refused.
        PostMessageW(GetFocus(), WM_CHAR, 0x4E2D, 1);
        PostMessageW(GetFocus(), WM_CHAR, 0x0E01, 1);
        PostMessageW(GetFocus(), WM_CHAR, 0x6587, 1);
      }
      break;
    case 1:
      if (usage) {
        op.Lines.push_back("tab " + FocusName());
        PostKey(GetFocus(), VK_TAB, false);
      } else {
        op.Lines.push_back("typed " + TextOf(GetFocus()));
        PostKey(GetFocus(), VK_TAB, false);
      }
      break;
    case 2:
      if (usage) {
        op.Lines.push_back("tab " + FocusName());
        PostKey(GetFocus(), VK_TAB, true);
      } else {
        op.Lines.push_back("tab " + FocusName());
        PostKey(GetFocus(), VK_ESCAPE, false);
      }
      break;
    case 3:
      if (usage) {
        op.Lines.push_back("shift-tab " + FocusName());
        PostKey(GetFocus(), VK_ESCAPE, false);
      }
      break;
    default:
      break;
  }
}

int Operate(const std::string& entryName, const std::string& reportPath) {
  WNDCLASSW shellClass{};
  shellClass.lpfnWndProc = DefWindowProcW;
  shellClass.hInstance = GetModuleHandleW(nullptr);
  shellClass.lpszClassName = L"TestShell";
  RegisterClassW(&shellClass);
  Operator op;
  op.Entry = entryName;
  op.Shell = CreateWindowExW(0, L"TestShell", L"shell", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(op.Shell, SW_SHOW);
  gOperator = &op;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &Tick);

  HMODULE module = LoadLibraryW(L"ManageEdit.dll");
  auto entry = module == nullptr ? nullptr
                                 : reinterpret_cast<TShellEntry>(reinterpret_cast<void*>(
                                       GetProcAddress(module, entryName.c_str())));
  if (entry == nullptr) {
    return 2;
  }
  TShellResult result{};
  entry(&result, reinterpret_cast<HWND_T>(op.Shell), "0001", "000001", 1, "", "");
  KillTimer(nullptr, timer);
  gOperator = nullptr;
  op.Lines.push_back("returned shell enabled=" + std::to_string(IsWindowEnabled(op.Shell) ? 1 : 0));
  std::ofstream out(reportPath, std::ios::binary);
  for (const std::string& line : op.Lines) {
    out << line << '\n';
  }
  DestroyWindow(op.Shell);
  return 0;
}

DWORD RunChild(const std::string& entry, const std::string& report) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  SetEnvironmentVariableW(L"TAVRO_UI", L"win32");
  SetEnvironmentVariableW(L"TAVRO_UI_SCRIPT", nullptr);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --operate " + sys::win32::Widen(entry) +
                         L" " + sys::win32::Widen(report);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return 1000;
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1001;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// Tab and Shift+Tab follow the form's designed order (the list, then the buttons down
// the side); Esc presses the cancel button, which closes the form; the shell's window is
// disabled while the form is up and enabled once the entry point returned.
TEST(Win32Keyboard, TabShiftTabAndEscapeMoveAndCloseAsDesigned) {
  ASSERT_EQ(RunChild("Mn_UsageEdit", "keys-usage.txt"), 0u);
  EXPECT_EQ(ReadFile("keys-usage.txt"),
            "box ManageEdit\n"
            "shell enabled=0\n"
            "focus ListBox\n"
            "tab 新增\n"
            "tab 修改\n"
            "shift-tab 新增\n"
            "returned shell enabled=1\n");
}

// Chinese typed through WM_CHAR reaches the model and its edit shows it; a character GBK
// cannot write is refused; Tab leaves the edit; Esc asks before dropping the typed name.
TEST(Win32Keyboard, TypedChineseReachesTheEditAndACharacterGbkLacksIsRefused) {
  ASSERT_EQ(RunChild("Mn_CustomerEdit", "keys-customer.txt"), 0u);
  EXPECT_EQ(ReadFile("keys-customer.txt"),
            "box ManageEdit\n"
            "shell enabled=0\n"
            "focus Edit\n"
            "typed 中文\n"
            "tab 修改收款人代码\n"
            "box \n"
            "returned shell enabled=1\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--operate") {
    return Operate(argv[2], argv[3]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
