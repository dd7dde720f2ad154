// The embedded bank's file on Windows: its default place under the user's local
// application data (%LOCALAPPDATA%\Tavro\bank.db, which roaming profiles do not copy
// between machines, as a workstation's bank is the workstation's), and its folders and
// file created with a DACL that admits the user alone, as modes 0700/0600 on Linux.
// Paths are UTF-8, widened for the wide API, so Chinese folder names work.
#include <stdexcept>

#include "host/BankFile.h"
#include "host/Database.h"
#include "sys/Win32Api.h"
// clang-format off
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

namespace host {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// A variable of the process's environment as UTF-8; empty when it is not set. The wide
// call, since the ANSI one would turn a Chinese path into question marks.
std::string Environment(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = GetEnvironmentVariableW(name, value, sizeof value / sizeof value[0]);
  if (length == 0 || length >= sizeof value / sizeof value[0]) {
    return {};
  }
  return sys::win32::Narrow(std::wstring_view(value, length));
}

// The user's local application data folder, when the environment does not name it.
std::string KnownLocalAppData() {
  PWSTR folder = nullptr;
  std::string found;
  if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder) == S_OK) {
    found = sys::win32::Narrow(folder);
  }
  CoTaskMemFree(folder);
  return found;
}

}  // namespace

void CreateParentFolders(const std::string& path) {
  // The first folder that may be missing comes after the drive ("C:\") or the share
  // ("\\server\share\") the path starts with.
  std::string::size_type start = 1;
  if (path.size() > 2 && path[1] == ':') {
    start = 3;
  } else if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    start = path.find_first_of("\\/", path.find_first_of("\\/", 2) + 1);
    if (start == std::string::npos) {
      return;
    }
    ++start;
  }
  sys::win32::PrivateSecurity security;
  for (std::string::size_type at = path.find_first_of("\\/", start); at != std::string::npos;
       at = path.find_first_of("\\/", at + 1)) {
    const std::string folder = path.substr(0, at);
    if (!CreateDirectoryW(sys::win32::Widen(folder).c_str(), security.Attributes()) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      throw std::runtime_error("cannot create folder " + folder + ": " +
                               sys::win32::LastErrorText());
    }
  }
}

void CreatePrivateFile(const std::string& path) {
  // SQLite's -wal and -shm files are made in the same folder and take its inherited
  // entries; the folders made above admit the user alone, so they stay private too.
  sys::win32::PrivateSecurity security;
  const sys::win32::Handle file(
      CreateFileW(sys::win32::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                  security.Attributes(), CREATE_NEW,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
      return;
    }
    throw std::runtime_error("cannot create " + path + ": " + sys::win32::LastErrorText());
  }
}

std::string DefaultDatabasePath() {
  if (std::string named = Environment(L"TAVRO_BANK_DB"); !named.empty()) {
    return named;
  }
  std::string data = Environment(L"LOCALAPPDATA");
  if (data.empty()) {
    data = KnownLocalAppData();
  }
  return data + "\\Tavro\\bank.db";
}

bool NothingAt(const std::string& path) {
  if (GetFileAttributesW(sys::win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool FileHasContent(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExW(sys::win32::Widen(path).c_str(), GetFileExInfoStandard, &info)) {
    return false;
  }
  return (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
         info.nFileSizeLow != 0 || info.nFileSizeHigh != 0;
}

}  // namespace host
