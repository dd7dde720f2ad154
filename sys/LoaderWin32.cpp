// The library loader on Windows. Windows looks for a library's dependencies beside the
// executable, not beside the library that asks, so a name without a folder is looked
// for beside the module first, then by the loader's default search without the current
// folder (LOAD_LIBRARY_SEARCH_DEFAULT_DIRS: the program's folder and the system's),
// so that a library planted in the working folder is never picked up. A name with a
// folder is loaded as given.
#include "sys/Loader.h"

#include "sys/ProcessPaths.h"
#include "sys/Win32Api.h"

namespace sys {
namespace {

void SetError(std::string* error, const std::string& why) {
  if (error != nullptr) {
    *error = why;
  }
}

LibraryHandle Open(const std::string& path, DWORD flags, std::string* error) {
  HMODULE module = ::LoadLibraryExW(win32::Widen(path).c_str(), nullptr, flags);
  if (module == nullptr) {
    SetError(error, "cannot load " + path + ": " + win32::LastErrorText());
  }
  return reinterpret_cast<LibraryHandle>(module);
}

bool HasFolder(const std::string& name) {
  return name.find_first_of("/\\:") != std::string::npos;
}

}  // namespace

std::string ModuleFolder() {
  HMODULE self = nullptr;
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&ModuleFolder), &self)) {
    return FolderOf(ExecutablePath());
  }
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(self, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) {
      return FolderOf(ExecutablePath());
    }
    if (n < name.size()) {
      name.resize(n);
      return FolderOf(win32::Narrow(name));
    }
    name.resize(name.size() * 2);
  }
}

LibraryHandle LoadLibrary(const std::string& name, std::string* error) {
  if (name.empty()) {
    SetError(error, "no library name");
    return nullptr;
  }
  // With a folder the path says which file; LOAD_WITH_ALTERED_SEARCH_PATH has its own
  // dependencies looked for beside it.
  if (HasFolder(name)) {
    return Open(name, LOAD_WITH_ALTERED_SEARCH_PATH, error);
  }
  const std::string folder = ModuleFolder();
  if (!folder.empty()) {
    if (LibraryHandle h = Open(folder + "\\" + name, LOAD_WITH_ALTERED_SEARCH_PATH, nullptr)) {
      return h;
    }
  }
  return Open(name, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS, error);
}

void* GetProcAddress(LibraryHandle library, const std::string& name, std::string* error) {
  if (library == nullptr) {
    SetError(error, "no library");
    return nullptr;
  }
  FARPROC symbol = ::GetProcAddress(static_cast<HMODULE>(library), name.c_str());
  if (symbol == nullptr) {
    SetError(error, "no entry point " + name);
  }
  return reinterpret_cast<void*>(symbol);
}

void FreeLibrary(LibraryHandle library) {
  if (library != nullptr) {
    ::FreeLibrary(static_cast<HMODULE>(library));
  }
}

}  // namespace sys
