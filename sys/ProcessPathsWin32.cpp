// The running executable and the working folder on Windows, as UTF-8 paths. A folder
// part is cut at either separator, since Windows takes '/' and '\' alike.
#include "sys/ProcessPaths.h"

#include "sys/Win32Api.h"

namespace sys {

std::string ExecutablePath() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) {
      return {};
    }
    if (n < name.size()) {
      name.resize(n);
      return win32::Narrow(name);
    }
    if (name.size() >= (1u << 15)) {
      return {};
    }
    name.resize(name.size() * 2);
  }
}

std::string CurrentFolder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) {
    return {};
  }
  std::wstring folder(size, L'\0');
  const DWORD n = ::GetCurrentDirectoryW(size, folder.data());
  if (n == 0 || n >= size) {
    return {};
  }
  folder.resize(n);
  // "C:\" keeps its separator, as "/" does on Linux; any other folder drops it.
  if (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) {
    folder.pop_back();
  }
  return win32::Narrow(folder);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) {
    return {};
  }
  // The root of a drive ("C:\x") or of the current drive ("\x") keeps its separator.
  if (slash == 0 || (slash == 2 && path[1] == ':')) {
    return path.substr(0, slash + 1);
  }
  return path.substr(0, slash);
}

}  // namespace sys
