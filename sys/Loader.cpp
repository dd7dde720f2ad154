#include "sys/Loader.h"

#include <dlfcn.h>
#include <strings.h>

#include <vector>

#include "sys/ProcessPaths.h"

namespace sys {
namespace {

void SetError(std::string* error, const char* why, const std::string& fallback) {
  if (error != nullptr) {
    *error = why != nullptr ? why : fallback;
  }
}

LibraryHandle Open(const std::string& name, std::string* error) {
  LibraryHandle handle = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    SetError(error, ::dlerror(), "cannot load " + name);
  }
  return handle;
}

bool EndsWithDll(const std::string& name) {
  return name.size() > 4 && ::strcasecmp(name.c_str() + name.size() - 4, ".dll") == 0;
}

}  // namespace

std::string ModuleFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) == 0 || info.dli_fname == nullptr) {
    return FolderOf(ExecutablePath());
  }
  std::string self = info.dli_fname;
  // The main program is reported by the name it was started with, which may be relative
  // to a folder the process has left since; the kernel knows its real path.
  if (self.empty() || self.front() != '/') {
    const std::string exe = ExecutablePath();
    if (self.find('/') == std::string::npos ||
        self.substr(self.rfind('/') + 1) == exe.substr(exe.rfind('/') + 1)) {
      return FolderOf(exe);
    }
  }
  return FolderOf(self);
}

LibraryHandle LoadLibrary(const std::string& name, std::string* error) {
  if (name.empty()) {
    SetError(error, nullptr, "no library name");
    return nullptr;
  }
  if (!EndsWithDll(name)) {
    return Open(name, error);
  }
  if (LibraryHandle h = Open(name, error)) {
    return h;
  }
  std::string base = name.substr(0, name.size() - 4);
  std::size_t slash = base.rfind('/');
  std::string stem = slash == std::string::npos ? base : base.substr(slash + 1);
  std::string soName = "lib" + stem + ".so";
  std::string folder = ModuleFolder();
  if (!folder.empty()) {
    if (LibraryHandle h = Open(folder + "/" + soName, error)) {
      return h;
    }
  }
  return Open(soName, error);
}

void* GetProcAddress(LibraryHandle library, const std::string& name, std::string* error) {
  if (library == nullptr) {
    SetError(error, nullptr, "no library");
    return nullptr;
  }
  ::dlerror();
  void* symbol = ::dlsym(library, name.c_str());
  if (symbol == nullptr) {
    SetError(error, ::dlerror(), "no entry point " + name);
  }
  return symbol;
}

void FreeLibrary(LibraryHandle library) {
  if (library != nullptr) {
    ::dlclose(library);
  }
}

}  // namespace sys
