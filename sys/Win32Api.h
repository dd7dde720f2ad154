// The Win32 API as the Win32 implementation files use it: <windows.h> included once, here,
// with the macros that would rename the services' own functions (DeleteFile, CopyFile,
// LoadLibrary) and the control model's colour (RGB) taken back, and the helpers those
// files share: UTF-8 paths as wide strings, the current user's SID, and a security
// descriptor that admits that user only. Only the Win32 implementation files include
// this header; no shared header does.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// clang-format off
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#undef DeleteFile
#undef CopyFile
#undef LoadLibrary
#undef RGB

#include <string>
#include <string_view>
#include <vector>

namespace sys::win32 {

// A UTF-8 text (the services' file names) as UTF-16 for the wide API, and back. A byte
// sequence that is no UTF-8 becomes U+FFFD, so it names no file.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The text of GetLastError()'s code.
std::string LastErrorText();

// The SID of the user this process runs as (the token's user), as bytes.
std::vector<unsigned char> CurrentUserSid();

// A security descriptor whose protected DACL grants everything to the current user and
// nothing to anybody else (no inherited entries): what a file or folder holding the
// bank's customers and users gets, as mode 0600/0700 on Linux.
//
// An existing file or folder is narrowed with SetFileSecurityW and the whole
// descriptor, while a handle without FILE_SHARE_DELETE holds it in place: Wine, which
// keeps access as the Unix mode, turns a DACL set through SetSecurityInfo into a mode
// that others may read and write.
class PrivateSecurity {
 public:
  PrivateSecurity();
  PrivateSecurity(const PrivateSecurity&) = delete;
  PrivateSecurity& operator=(const PrivateSecurity&) = delete;

  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }
  PSID UserSid() { return sid_.data(); }
  PACL Dacl() { return reinterpret_cast<PACL>(acl_.data()); }
  PSECURITY_DESCRIPTOR Descriptor() { return &descriptor_; }

 private:
  std::vector<unsigned char> sid_;
  std::vector<unsigned char> acl_;
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
};

// Closes a handle on every path out of a scope.
struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  Handle() = default;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) {
      ::CloseHandle(h);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

}  // namespace sys::win32
