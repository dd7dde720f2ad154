// What the shell asks of Windows: the module and a substitute host library loaded by
// LoadLibraryW, the environment set through the C runtime the module reads it from, the
// private transcript in the user's own temporary folder, files through the wide API
// (a Chinese name works), and a main window of the shell's own that owns the dialogs.
#include "shell/ShellSystem.h"

#include <cstdlib>

#include "shell/ShellRun.h"
#include "shell/ShellText.h"
#include "sys/Loader.h"
#include "sys/ProcessPaths.h"
#include "sys/Win32Api.h"

namespace shell {
namespace {

constexpr wchar_t kShellWindowClass[] = L"TavroShellWindow";

// Windows binds the module's import of TavroClient.dll to a library of that name that
// is loaded already, so a substitute must carry that name.
bool NamedAsTheHostLibrary(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\:");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return ::lstrcmpiW(sys::win32::Widen(name).c_str(), L"TavroClient.dll") == 0;
}

bool IsDirectory(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

void PrepareProcess() {
  // Windows has no SIGPIPE, and no signal handler may remove a file; a console's Ctrl-C
  // during a call leaves its private transcript in the user's temporary folder.
}

std::string DefaultModulePath() {
  const std::string folder = sys::FolderOf(sys::ExecutablePath());
  return folder.empty() ? "ManageEdit.dll" : folder + "\\ManageEdit.dll";
}

std::string ModuleFileName(const std::string& name) {
  // LoadLibraryW searches the system's folders for a bare name.
  if (name.find_first_of("/\\:") != std::string::npos) {
    return name;
  }
  const std::string here = sys::CurrentFolder();
  return here.empty() ? ".\\" + name : here + "\\" + name;
}

bool LoadHostLibrary(std::ostream& err) {
  const char* host = std::getenv("TAVRO_HOST_LIBRARY");
  if (host == nullptr || *host == 0) {
    return true;
  }
  std::string why = "its file must be named TavroClient.dll";
  if (NamedAsTheHostLibrary(host) && sys::LoadLibrary(host, &why) != nullptr) {
    return true;
  }
  err << "tavro-shell: cannot load the host library named by TAVRO_HOST_LIBRARY: "
      << ShownInMessage(why) << '\n';
  return false;
}

void SetVariable(const char* name, const std::string& value) {
  // Through the C runtime, whose copy of the environment the module's getenv reads
  // (both use the same msvcrt.dll); the bytes stay as given, UTF-8 like every path.
  ::_putenv_s(name, value.c_str());
}

std::uintmax_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(sys::win32::Widen(path).c_str(), GetFileExInfoStandard, &data)) {
    return 0;
  }
  return (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(sys::win32::Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !IsDirectory(attributes);
}

bool CanAppend(const std::string& path, std::string& why) {
  HANDLE file = ::CreateFileW(sys::win32::Widen(path).c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = sys::win32::LastErrorText();
    return false;
  }
  ::CloseHandle(file);
  return true;
}

void RemoveFile(const std::string& path) {
  ::DeleteFileW(sys::win32::Widen(path).c_str());
}

bool CreatePrivateFile(PrivateFile& file, std::string& why) {
  // The user's temporary folder is the user's own; GetTempFileNameW makes a new file of
  // a name nobody holds.
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  wchar_t name[MAX_PATH + 1] = {};
  if (length == 0 || length > MAX_PATH || ::GetTempFileNameW(folder, L"tvs", 0, name) == 0) {
    why = sys::win32::LastErrorText();
    return false;
  }
  file.path = sys::win32::Narrow(name);
  return true;
}

bool ReadRowsFile(const char* name, std::string& content, std::string& error) {
  // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, which is no regular file.
  HANDLE file = ::CreateFileW(sys::win32::Widen(name).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = sys::win32::LastErrorText();
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
      IsDirectory(info.dwFileAttributes) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    ::CloseHandle(file);
    error = "not a regular file";
    return false;
  }
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
      error = sys::win32::LastErrorText();
      ::CloseHandle(file);
      return false;
    }
    if (n == 0) {
      break;
    }
    content.append(buffer, n);
  }
  ::CloseHandle(file);
  return true;
}

ShellWindow OpenShellWindow() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = ::GetSysColorBrush(COLOR_APPWORKSPACE);
  windowClass.lpszClassName = kShellWindowClass;
  // A second call finds the class registered already, which is as good.
  ::RegisterClassExW(&windowClass);
  HWND window =
      ::CreateWindowExW(0, kShellWindowClass, L"tavro-shell", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
  if (window != nullptr) {
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
  }
  return ShellWindow{reinterpret_cast<HWND_T>(window)};
}

void CloseShellWindow(ShellWindow& window) {
  if (window.handle != 0) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the entry points take the window as an integer
    ::DestroyWindow(reinterpret_cast<HWND>(window.handle));
    window.handle = 0;
  }
}

}  // namespace shell
