// What the Windows test programs share: fresh folders, posted input, the host library's
// two calls, and a run of the program itself as a child process.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/TavroClient.h"
#include "sys/CodePage.h"
#include "sys/Win32Api.h"

namespace wintest {

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// An empty temporary folder of the test's and the process's own.
inline std::filesystem::path FreshFolder(const std::string& prefix) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      sys::win32::Widen(prefix + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
                        (test != nullptr ? test->name() : "main"));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

inline void PostKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

// A press and release of the button down names (WM_LBUTTONDOWN or WM_RBUTTONDOWN).
inline void PostClick(HWND window, UINT down, POINT at) {
  PostMessageW(window, down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON,
               MAKELPARAM(at.x, at.y));
  PostMessageW(window, down + 1, 0, MAKELPARAM(at.x, at.y));
}

inline HWND ShownMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

inline int MenuItems(HWND menu) {
  return GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)));
}

// Runs this program again with arguments; its exit code, or 1000 when it did not start.
inline DWORD RunSelf(const std::wstring& arguments) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" " + arguments;
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

struct Reply {
  int status = -1;
  std::string answer;
  std::string error;
};

// TavroClient.dll loaded by name from beside the program, called as the module calls it.
class HostLibrary {
 public:
  HostLibrary() : library_(::LoadLibraryW(L"TavroClient.dll")) {
    if (library_ != nullptr) {
      command_ = reinterpret_cast<decltype(&qelCommand)>(
          reinterpret_cast<void*>(::GetProcAddress(library_, "qelCommand")));
      fileGet_ = reinterpret_cast<decltype(&qelFileGet)>(
          reinterpret_cast<void*>(::GetProcAddress(library_, "qelFileGet")));
    }
  }
  // The library holds the bank open; it goes before the bank's files.
  ~HostLibrary() {
    if (library_ != nullptr) {
      ::FreeLibrary(library_);
    }
  }
  HostLibrary(const HostLibrary&) = delete;
  HostLibrary& operator=(const HostLibrary&) = delete;

  bool Loaded() const { return command_ != nullptr && fileGet_ != nullptr; }

  Reply Command(const std::string& command) const {
    const std::string wire = "A01\x07" + sys::Utf8ToGbk(command);
    std::vector<char> result(65536, 'X');
    char error[128];
    std::memset(error, 'X', sizeof error);
    Reply reply;
    reply.status = command_(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                            static_cast<std::int32_t>(result.size() - 1), error, 2);
    reply.answer = result.data();
    if (reply.status != 0) {
      EXPECT_NE(std::memchr(error, '\0', sizeof error), nullptr) << "an unterminated error";
      reply.error = std::string(error, strnlen(error, sizeof error));
    }
    return reply;
  }

  // The answer is what the file holds afterwards.
  Reply FileGet(const std::string& command, const std::filesystem::path& file) const {
    const std::string wire = "A01\x07" + sys::Utf8ToGbk(command);
    const std::string name = sys::win32::Narrow(file.wstring());
    char error[128] = {};
    Reply reply;
    reply.status =
        fileGet_(0, wire.data(), static_cast<std::int32_t>(wire.size()), name.c_str(), error, 2);
    reply.answer = ReadAll(file);
    reply.error = error;
    return reply;
  }

 private:
  HMODULE library_;
  decltype(&qelCommand) command_ = nullptr;
  decltype(&qelFileGet) fileGet_ = nullptr;
};

// Sets a variable for the C runtime (which the host library reads) and the process alike.
inline void SetVariable(const std::string& name, const std::string& value) {
  ASSERT_EQ(_wputenv_s(sys::win32::Widen(name).c_str(), sys::win32::Widen(value).c_str()), 0);
}

}  // namespace wintest
