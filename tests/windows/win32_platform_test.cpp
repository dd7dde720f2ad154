// ManageEdit.dll's Win32 platform under Wine, each entry point called as a shell calls it in
// a child process of its own (the platform is chosen once per process), which reports each
// form shown with whether its owner was disabled then: `--play` plays a script, `--operate`
// has a timer act as the operator. And the module's exports as the shell's loader sees them.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "sys/Abi.h"
#include "tests/windows/WinTest.h"

namespace {

using sys::win32::Widen;

std::vector<std::string> gReport;  // the child's; its hook and timer reach it only here
HWND gShell = nullptr;

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

LRESULT CALLBACK WatchShown(int code, WPARAM wParam, LPARAM lParam) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the hook's message comes as an integer
  const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_SHOWWINDOW && message->wParam != 0 &&
      ClassOf(message->hwnd) == L"TavroForm") {
    if (HWND owner = GetWindow(message->hwnd, GW_OWNER)) {
      gReport.push_back("shown owner-enabled=" + std::to_string(IsWindowEnabled(owner) ? 1 : 0));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A visible window of this thread of a class, owned by owner (null: any).
struct Search {
  HWND Owner;
  const wchar_t* Class;
  HWND Found;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the enumeration's data is an integer
  auto* s = reinterpret_cast<Search*>(data);
  if (IsWindowVisible(window) && ClassOf(window) == s->Class &&
      (s->Owner == nullptr || GetWindow(window, GW_OWNER) == s->Owner)) {
    s->Found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindOwned(HWND owner, const wchar_t* className) {
  Search search{owner, className, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &Match, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// An operator's step: the report names where the focus is, then it types or presses a key.
struct KeyStep {
  const char* Says;
  const wchar_t* Chars;
  WPARAM Key;
  bool Shift;
};
std::vector<KeyStep> gSteps;

// Where the focus is: the focused window's text, or its class for a window without one.
std::string FocusName() {
  const std::string text = TextOf(GetFocus());
  return text.empty() ? sys::win32::Narrow(ClassOf(GetFocus())) : text;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  static int ticks = 0;
  static std::size_t step = 0;
  if (++ticks > 200) {  // 20 s: something never came; the form is closed by force
    gReport.push_back("gave up at step " + std::to_string(step));
    if (HWND form = FindOwned(gShell, L"TavroForm")) {
      PostMessageW(form, WM_CLOSE, 0, 0);
    }
    return;
  }
  // A system box (the host's refusal, the question before dropping input) is named and
  // answered with Enter.
  if (HWND box = FindOwned(nullptr, L"#32770")) {
    gReport.push_back("box " + TextOf(box));
    wintest::PostKey(box, VK_RETURN);
    return;
  }
  HWND form = FindOwned(gShell, L"TavroForm");
  if (form == nullptr || GetActiveWindow() != form || step == gSteps.size()) {
    return;
  }
  if (step == 0) {  // after the boxes: closing one must not enable the shell
    gReport.push_back("shell enabled=" + std::to_string(IsWindowEnabled(gShell) ? 1 : 0));
  }
  const KeyStep& now = gSteps[step++];
  gReport.push_back(std::string(now.Says) + " " + FocusName());
  for (const wchar_t* c = now.Chars; *c != 0; ++c) {
    PostMessageW(GetFocus(), WM_CHAR, *c, 1);
  }
  if (now.Key != 0) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = now.Shift ? 0x80 : 0;
    SetKeyboardState(keys);
    wintest::PostKey(GetFocus(), now.Key);
  }
}

// The child: `--play|--operate ENTRY REPORT`.
int Child(const std::string& mode, const std::string& entryName, const std::string& reportPath) {
  WNDCLASSW shellClass{};
  shellClass.lpfnWndProc = DefWindowProcW;
  shellClass.hInstance = GetModuleHandleW(nullptr);
  shellClass.lpszClassName = L"TestShell";
  RegisterClassW(&shellClass);
  gShell = CreateWindowExW(0, L"TestShell", L"shell", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(gShell, SW_SHOW);
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &WatchShown, nullptr, GetCurrentThreadId());
  if (mode == "--operate") {
    // Typed Chinese reaches the edit, a character GBK lacks (Thai) does not.
    if (entryName == "Mn_UsageEdit") {
      gSteps = {{"focus", L"", VK_TAB, false},
                {"tab", L"", VK_TAB, false},
                {"tab", L"", VK_TAB, true},
                {"shift-tab", L"", VK_ESCAPE, false}};
    } else {
      gSteps = {{"focus", L"\u4e2d\u0e01\u6587", 0, false},
                {"typed", L"", VK_TAB, false},
                {"tab", L"", VK_ESCAPE, false}};
    }
    SetTimer(nullptr, 0, 100, &Tick);
  }
  HMODULE module = LoadLibraryW(L"ManageEdit.dll");
  auto entry = module == nullptr ? nullptr
                                 : reinterpret_cast<TShellEntry>(reinterpret_cast<void*>(
                                       GetProcAddress(module, entryName.c_str())));
  if (entry == nullptr) {
    return 2;
  }
  TShellResult result{};
  entry(&result, reinterpret_cast<HWND_T>(gShell), "0001", "000001", 1, "", "");
  UnhookWindowsHookEx(hook);
  gReport.push_back("returned shell enabled=" + std::to_string(IsWindowEnabled(gShell) ? 1 : 0));
  std::ofstream out(reportPath, std::ios::binary);
  for (const std::string& line : gReport) {
    out << line << '\n';
  }
  return 0;
}

DWORD RunChild(const std::string& mode, const std::string& entry, const std::string& kind,
               const std::string& script, const std::string& transcript,
               const std::string& report) {
  SetEnvironmentVariableW(L"TAVRO_UI", Widen(kind).c_str());
  SetEnvironmentVariableW(L"TAVRO_UI_SCRIPT", script.empty() ? nullptr : Widen(script).c_str());
  SetEnvironmentVariableW(L"TAVRO_UI_TRANSCRIPT",
                          transcript.empty() ? nullptr : Widen(transcript).c_str());
  return wintest::RunSelf(Widen(mode + " " + entry + " " + report));
}

// A dialog looked at whole and closed (the refusing host's box first, then the question
// before dropping input); tavro-shell's examples play the other dialogs on Win32.
TEST(Win32Platform, PlaysTheScriptOnWindowsModalToTheShellWithTheHeadlessTranscript) {
  std::ofstream("script.txt", std::ios::binary) << "dump\nclose\nanswer yes\n";
  std::remove("headless-transcript.txt");
  std::remove("win32-transcript.txt");
  ASSERT_EQ(RunChild("--play", "Mn_CustomerEdit", "headless", "script.txt",
                     "headless-transcript.txt", "headless.txt"),
            0u);
  ASSERT_EQ(RunChild("--play", "Mn_CustomerEdit", "win32", "script.txt", "win32-transcript.txt",
                     "win32.txt"),
            0u);
  const std::string headless = wintest::ReadAll("headless-transcript.txt");
  EXPECT_NE(headless.find("open TCustomerEdtFrm"), std::string::npos) << headless;
  EXPECT_NE(headless.find("\ndump "), std::string::npos) << headless;
  EXPECT_EQ(headless.find("error"), std::string::npos) << headless;
  EXPECT_EQ(wintest::ReadAll("win32-transcript.txt"), headless);
  // Headless shows no window; on Win32 the form came up over a disabled shell.
  EXPECT_EQ(wintest::ReadAll("headless.txt"), "returned shell enabled=1\n");
  EXPECT_EQ(wintest::ReadAll("win32.txt"), "shown owner-enabled=0\nreturned shell enabled=1\n");
}

// Tab and Shift+Tab follow the designed order and Esc cancels; typed Chinese reaches the
// edit without the Thai letter, and Esc over a changed edit asks first (the untitled box).
TEST(Win32Keyboard, KeysMoveTypeAndCloseAsDesigned) {
  const std::pair<const char*, const char*> cases[] = {
      {"Mn_UsageEdit", "focus ListBox\ntab 新增\ntab 修改\nshift-tab 新增\n"},
      {"Mn_CustomerEdit", "focus Edit\ntyped 中文\ntab 修改收款人代码\nbox \n"},
  };
  for (const auto& [entry, steps] : cases) {
    ASSERT_EQ(RunChild("--operate", entry, "win32", "", "", "keys.txt"), 0u);
    EXPECT_EQ(wintest::ReadAll("keys.txt"),
              "box ManageEdit\nshown owner-enabled=0\nshell enabled=0\n" + std::string(steps) +
                  "returned shell enabled=1\n");
  }
}

// The shell's entry points: the list ones take six parameters and a TFolderList, the
// others seven and a TShellResult.
constexpr const char* kEntryPoints[] = {
    "Mn_AcEdit",           "Mn_AcOrderEdit",    "Mn_CheckRecord",     "Mn_CustAcEdit",
    "Mn_CustAcNoList",     "Mn_CustCNYAcEdit",  "Mn_CustomerEdit",    "Mn_GetAuthoriseList",
    "Mn_GetCheckList",     "Mn_GetDeletedList", "Mn_GetRejectedList", "Mn_GetSendList",
    "Mn_StatusFolderList", "Mn_UsageEdit",      "Mn_UserEdit",        "Mn_UserListPrint"};
constexpr std::string_view kListEntryPoints =
    "Mn_GetAuthoriseList Mn_GetCheckList "
    "Mn_GetDeletedList Mn_GetRejectedList Mn_GetSendList";

// Calls entry with count of args as the shell pushes them, in assembly so that nothing the
// compiler does hides a wrong cleanup: how far the stack pointer moved (0 when right).
std::intptr_t CallAndMeasureStack(FARPROC entry, const std::array<std::uintptr_t, 7>& args,
                                  int count) {
  std::intptr_t drift = 0;
#if defined(__i386__)
  // stdcall: arguments pushed right to left, the callee pops them; esi and ebx survive.
  const std::uintptr_t* base = args.data();
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "cmpl $7, %%ecx\n\t"
      "jne 1f\n\t"
      "pushl 24(%%ebx)\n"
      "1:\n\t"
      "pushl 20(%%ebx)\n\t"
      "pushl 16(%%ebx)\n\t"
      "pushl 12(%%ebx)\n\t"
      "pushl 8(%%ebx)\n\t"
      "pushl 4(%%ebx)\n\t"
      "pushl 0(%%ebx)\n\t"
      "call *%%eax\n\t"
      "movl %%esp, %%eax\n\t"
      "subl %%esi, %%eax\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(drift), "+c"(count), "+b"(base)
      : "a"(entry)
      : "edx", "esi", "memory", "cc");
#elif defined(__x86_64__)
  // x64 has one convention, the caller's cleanup: nothing to measure, the call must return.
  using Entry = void (*)(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t,
                         std::uintptr_t, std::uintptr_t, std::uintptr_t);
  (void)count;
  reinterpret_cast<Entry>(reinterpret_cast<void*>(entry))(args[0], args[1], args[2], args[3],
                                                          args[4], args[5], args[6]);
#else
#error "the export test knows the calling conventions of i686 and x86-64 only"
#endif
  return drift;
}

// The names in the export directory of a loaded module.
std::vector<std::string> ExportedNames(HMODULE module) {
  const auto* image = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::vector<std::string> names;
  if (directory.Size == 0) {
    return names;
  }
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(image + directory.VirtualAddress);
  const auto* nameRvas = reinterpret_cast<const DWORD*>(image + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.emplace_back(reinterpret_cast<const char*>(image + nameRvas[i]));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Exports the entry points only; each keeps the stack and writes its record and nothing
// beside it (guard bytes), running headless against the refusing TavroClient.dll.
TEST(ModuleExports, ExportsTheEntryPointsAndEachKeepsTheStackAndWritesOnlyItsRecord) {
  HMODULE module = LoadLibraryW(L"ManageEdit.dll");
  ASSERT_NE(module, nullptr) << "LoadLibrary(ManageEdit.dll) failed: " << GetLastError();
  std::vector<std::string> expected(std::begin(kEntryPoints), std::end(kEntryPoints));
  EXPECT_EQ(ExportedNames(module), expected);

  const char* transcriptPath = std::getenv("TAVRO_UI_TRANSCRIPT");
  ASSERT_NE(transcriptPath, nullptr);
  std::remove(transcriptPath);
  constexpr std::size_t kGuard = 64;
  for (const char* name : kEntryPoints) {
    SCOPED_TRACE(name);
    FARPROC address = GetProcAddress(module, name);
    ASSERT_NE(address, nullptr);
    const bool list = kListEntryPoints.find(name) != std::string_view::npos;
    const std::size_t size = list ? sizeof(TFolderList) : sizeof(TShellResult);
    std::vector<unsigned char> bytes(size + 2 * kGuard, 0xA5);
    std::fill_n(bytes.begin() + kGuard, size, 0x5A);
    const std::array<std::uintptr_t, 7> args{reinterpret_cast<std::uintptr_t>(&bytes[kGuard]),
                                             0,  // no shell window
                                             reinterpret_cast<std::uintptr_t>("0001"),
                                             reinterpret_cast<std::uintptr_t>("000001"),
                                             1,
                                             reinterpret_cast<std::uintptr_t>(""),
                                             reinterpret_cast<std::uintptr_t>("")};
    EXPECT_EQ(CallAndMeasureStack(address, args, list ? 6 : 7), 0);
    const auto guard = [](unsigned char b) { return b == 0xA5; };
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.begin() + kGuard, guard));
    EXPECT_TRUE(std::all_of(bytes.end() - kGuard, bytes.end(), guard));
  }
  const std::string transcript = wintest::ReadAll(transcriptPath);
  EXPECT_NE(transcript.find("open TCustomerEdtFrm"), std::string::npos);
  EXPECT_NE(transcript.find("Error:test host: no bank"), std::string::npos);
  FreeLibrary(module);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && (std::string(argv[1]) == "--play" || std::string(argv[1]) == "--operate")) {
    return Child(argv[1], argv[2], argv[3]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
