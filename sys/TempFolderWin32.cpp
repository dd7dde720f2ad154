// The private temporary folder on Windows. The base is the system's temporary folder for
// the user (GetTempPathW: TMP, TEMP, USERPROFILE, the Windows folder), which TMP may well
// point at a folder others share; so the module always works in a folder "tavro-<SID>"
// inside it that admits the user alone:
// - it is created with a protected DACL granting the user everything, nobody else
//   anything;
// - an existing one is refused when it is a link or junction (a reparse point), not a
//   folder, or owned by somebody else; its DACL is set to the private one again on
//   every call, as the Linux build narrows the mode to 0700.
#include "sys/TempFolder.h"

#include <stdexcept>

#include "sys/Win32Api.h"

namespace sys {
namespace {

using win32::Handle;
using win32::Narrow;

[[noreturn]] void Refuse(const std::wstring& folder, const std::string& why) {
  throw std::runtime_error("temporary folder " + Narrow(folder) + " refused: " + why);
}

std::wstring SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!::ConvertSidToStringSidW(sid, &text)) {
    return L"user";
  }
  std::wstring out = text;
  ::LocalFree(text);
  return out;
}

std::wstring SystemTempBase() {
  std::wstring base(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD n = ::GetTempPathW(static_cast<DWORD>(base.size()), base.data());
    if (n == 0) {
      Refuse(L"(system)", win32::LastErrorText());
    }
    if (n < base.size()) {
      base.resize(n);
      return base;
    }
    base.resize(n + 1);
  }
}

}  // namespace

std::string TempFolder() {
  win32::PrivateSecurity security;
  std::wstring base = SystemTempBase();
  if (!base.empty() && base.back() != L'\\' && base.back() != L'/') {
    base += L'\\';
  }
  const std::wstring folder = base + L"tavro-" + SidText(security.UserSid());
  if (!::CreateDirectoryW(folder.c_str(), security.Attributes()) &&
      ::GetLastError() != ERROR_ALREADY_EXISTS) {
    Refuse(folder, win32::LastErrorText());
  }
  // Opened as what stands there, never through it: a planted junction is seen as one;
  // held without FILE_SHARE_DELETE, so nothing takes its place until it is narrowed.
  Handle dir(::CreateFileW(folder.c_str(), READ_CONTROL | WRITE_DAC,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!dir.Valid()) {
    Refuse(folder, win32::LastErrorText());
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(dir.h, &info)) {
    Refuse(folder, win32::LastErrorText());
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    Refuse(folder, "it is a link");
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    Refuse(folder, "it is not a directory");
  }
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(dir.h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS) {
    Refuse(folder, "its owner cannot be read");
  }
  const bool ours = owner != nullptr && ::EqualSid(owner, security.UserSid());
  ::LocalFree(descriptor);
  if (!ours) {
    Refuse(folder, "it belongs to another user");
  }
  if (!::SetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, security.Descriptor())) {
    Refuse(folder, "its access cannot be narrowed to the user");
  }
  return Narrow(folder) + "\\";
}

}  // namespace sys
