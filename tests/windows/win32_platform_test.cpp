// The Win32 platform under Wine, through ManageEdit.dll as a shell calls it: the same
// operator script is played once on the headless platform and once on the Win32
// platform's real windows, each in a process of its own (the platform is chosen once per
// process), and the two transcripts must be equal. The Win32 run also records, as each
// form's window is shown, whether the window it is modal to was disabled then, and
// whether the shell's window is enabled again after the entry points returned.
//
// The program is its own child: `--play ENTRY REPORT` makes a shell window, calls the
// entry point with it as the owner and writes REPORT.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sys/Abi.h"
#include "sys/Win32Api.h"

namespace {

// Two dialogs of different kinds, each looked at whole (`dump`) and closed, each in a
// run of its own (a script belongs to one run of the module). The test host refuses
// every command, so each dialog first says so in a box the run answers itself; the
// customer dialog asks before it drops what it holds.
struct Call {
  const char* Entry;
  const char* Script;
  const char* Form;
};
constexpr Call kCalls[] = {
    {"Mn_CustomerEdit", "dump\nclose\nanswer yes\n", "open TCustomerEdtFrm"},
    {"Mn_UsageEdit", "dump\nclose\n", "open TUsageEdtFrm"},
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// ---- the child: a shell window and the entry points ----

// What the child saw, one line per form window shown and one at the end.
struct ChildReport {
  std::vector<std::string> Lines;
};
ChildReport* gReport = nullptr;  // the hook's only way to its report (one thread)

LRESULT CALLBACK WatchShown(int code, WPARAM wParam, LPARAM lParam) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the hook's message comes as an integer
  const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && gReport != nullptr && message->message == WM_SHOWWINDOW &&
      message->wParam != 0) {
    HWND owner = GetWindow(message->hwnd, GW_OWNER);
    wchar_t className[64] = {};
    GetClassNameW(message->hwnd, className, 63);
    if (owner != nullptr && std::wstring(className) == L"TavroForm") {
      gReport->Lines.push_back(std::string("shown owner-enabled=") +
                               (IsWindowEnabled(owner) ? "1" : "0"));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

int Play(const std::string& entryName, const std::string& reportPath) {
  WNDCLASSW shellClass{};
  shellClass.lpfnWndProc = DefWindowProcW;
  shellClass.hInstance = GetModuleHandleW(nullptr);
  shellClass.lpszClassName = L"TestShell";
  RegisterClassW(&shellClass);
  HWND shell = CreateWindowExW(0, L"TestShell", L"shell", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(shell, SW_SHOW);
  ChildReport report;
  gReport = &report;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &WatchShown, nullptr, GetCurrentThreadId());

  HMODULE module = LoadLibraryW(L"ManageEdit.dll");
  if (module == nullptr) {
    std::fprintf(stderr, "cannot load ManageEdit.dll: %lu\n", GetLastError());
    return 2;
  }
  auto entry = reinterpret_cast<TShellEntry>(
      reinterpret_cast<void*>(GetProcAddress(module, entryName.c_str())));
  if (entry == nullptr) {
    return 2;
  }
  TShellResult result{};
  entry(&result, reinterpret_cast<HWND_T>(shell), "0001", "000001", 1, "", "");
  UnhookWindowsHookEx(hook);
  gReport = nullptr;
  report.Lines.push_back(std::string("after owner-enabled=") +
                         (IsWindowEnabled(shell) ? "1" : "0"));
  std::ofstream out(reportPath, std::ios::binary);
  for (const std::string& line : report.Lines) {
    out << line << '\n';
  }
  DestroyWindow(shell);
  return 0;
}

// ---- the parent: both runs and their comparison ----

// Runs this program as `--play entry report` with the platform and the script set;
// returns its exit code.
DWORD RunChild(const std::string& kind, const std::string& entry, const std::string& script,
               const std::string& transcript, const std::string& report) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  SetEnvironmentVariableW(L"TAVRO_UI", sys::win32::Widen(kind).c_str());
  SetEnvironmentVariableW(L"TAVRO_UI_SCRIPT", sys::win32::Widen(script).c_str());
  SetEnvironmentVariableW(L"TAVRO_UI_TRANSCRIPT", sys::win32::Widen(transcript).c_str());
  std::wstring command = L"\"" + std::wstring(self) + L"\" --play " + sys::win32::Widen(entry) +
                         L" " + sys::win32::Widen(report);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return 1000;
  }
  WaitForSingleObject(process.hProcess, 120000);
  DWORD code = 1001;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(Win32Platform, PlaysTheScriptOnWindowsModalToTheShellWithTheHeadlessTranscript) {
  for (const Call& call : kCalls) {
    SCOPED_TRACE(call.Entry);
    const std::string script = std::string(call.Entry) + "-script.txt";
    {
      std::ofstream out(script, std::ios::binary);
      out << call.Script;
    }
    const std::string headlessFile = std::string(call.Entry) + "-headless.txt";
    const std::string win32File = std::string(call.Entry) + "-win32.txt";
    std::remove(headlessFile.c_str());
    std::remove(win32File.c_str());
    ASSERT_EQ(RunChild("headless", call.Entry, script, headlessFile, "report-headless.txt"), 0u);
    ASSERT_EQ(RunChild("win32", call.Entry, script, win32File, "report-win32.txt"), 0u);

    const std::string headless = ReadFile(headlessFile);
    EXPECT_NE(headless.find(call.Form), std::string::npos) << headless;
    EXPECT_NE(headless.find("\ndump "), std::string::npos) << headless;
    EXPECT_EQ(headless.find("error"), std::string::npos) << headless;
    EXPECT_EQ(ReadFile(win32File), headless);

    // Headless shows no window; on Win32 the form's window came up over a disabled
    // shell window, which is enabled again once the entry point returned.
    EXPECT_EQ(ReadFile("report-headless.txt"), "after owner-enabled=1\n");
    EXPECT_EQ(ReadFile("report-win32.txt"),
              "shown owner-enabled=0\n"
              "after owner-enabled=1\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--play") {
    return Play(argv[2], argv[3]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
