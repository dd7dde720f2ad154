// The sys/ services on the Win32 API under Wine: private folders and files and their
// DACLs, Chinese file names, share modes, the loader, process paths, ticks and the locale.
#include <io.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "sys/FileReader.h"
#include "sys/FileSystemName.h"
#include "sys/Files.h"
#include "sys/IniFile.h"
#include "sys/Loader.h"
#include "sys/Locale.h"
#include "sys/ProcessPaths.h"
#include "sys/TempFolder.h"
#include "sys/TickCount.h"
#include "tests/windows/WinTest.h"

namespace {

namespace fs = std::filesystem;
using sys::win32::Narrow;
using sys::win32::Widen;

class Win32SysTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::string Root() const { return Narrow(root_.wstring()) + "\\"; }

  fs::path root_ = wintest::FreshFolder("tavro-wintest");
};

// Whom the DACL of path admits: the SIDs of its allowing entries, as text.
std::vector<std::string> Admitted(const std::string& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::vector<std::string> sids;
  if (::GetNamedSecurityInfoW(Widen(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    ADD_FAILURE() << path << ": no security information";
    return sids;
  }
  if (dacl == nullptr) {
    sids.emplace_back("everybody (no DACL)");
  }
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (::GetAce(dacl, i, &ace) &&
        static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
      wchar_t* text = nullptr;
      ::ConvertSidToStringSidW(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, &text);
      sids.push_back(Narrow(text));
      ::LocalFree(text);
    }
  }
  ::LocalFree(descriptor);
  return sids;
}

// path admits the user and nobody else but the local system account (which Wine, keeping
// access as the Unix mode, always reports).
void ExpectPrivate(const std::string& path) {
  std::vector<unsigned char> sid = sys::win32::CurrentUserSid();
  wchar_t* text = nullptr;
  ::ConvertSidToStringSidW(sid.data(), &text);
  const std::string user = Narrow(text);
  ::LocalFree(text);
  const std::vector<std::string> admitted = Admitted(path);
  EXPECT_NE(std::find(admitted.begin(), admitted.end(), user), admitted.end()) << path;
  for (const std::string& admits : admitted) {
    EXPECT_TRUE(admits == user || admits == "S-1-5-18") << path << " admits " << admits;
  }
}

// Adds an entry that lets Everyone read and write, as a careless tool might.
void OpenToEveryone(const std::string& path) {
  EXPLICIT_ACCESSW access{};
  access.grfAccessPermissions = GENERIC_ALL;
  access.grfAccessMode = GRANT_ACCESS;
  access.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  access.Trustee.ptstrName = const_cast<wchar_t*>(L"Everyone");
  PACL acl = nullptr;
  ASSERT_EQ(::SetEntriesInAclW(1, &access, nullptr, &acl), ERROR_SUCCESS);
  ASSERT_EQ(
      ::SetNamedSecurityInfoW(const_cast<wchar_t*>(Widen(path).c_str()), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, acl, nullptr),
      ERROR_SUCCESS);
  ::LocalFree(acl);
  const std::vector<std::string> admitted = Admitted(path);
  ASSERT_NE(std::find(admitted.begin(), admitted.end(), "S-1-1-0"), admitted.end());
}

// The file opened as another program would, sharing reading and writing.
sys::win32::Handle Open(const std::string& path, DWORD access) {
  return sys::win32::Handle(::CreateFileW(Widen(path).c_str(), access,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
}

// The temporary folder (under TMP) is the user's alone, narrowed again when opened, refused
// if a file.
TEST_F(Win32SysTest, TempFolderIsPrivateAndNarrowedAgain) {
  wchar_t oldTmp[MAX_PATH] = {};
  const bool hadTmp = ::GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH) > 0;
  ::SetEnvironmentVariableW(L"TMP", root_.wstring().c_str());
  const std::string folder = sys::TempFolder();
  ASSERT_EQ(folder.rfind(Root() + "tavro-S-1-", 0), 0u) << folder;
  ASSERT_EQ(folder.back(), '\\');
  EXPECT_TRUE(fs::is_directory(Widen(folder)));
  ExpectPrivate(folder);
  OpenToEveryone(folder);
  EXPECT_EQ(sys::TempFolder(), folder);
  ExpectPrivate(folder);

  fs::remove(Widen(folder));
  sys::WriteFileBytes(folder.substr(0, folder.size() - 1), "x");
  EXPECT_THROW(sys::TempFolder(), std::runtime_error);
  ::SetEnvironmentVariableW(L"TMP", hadTmp ? oldTmp : nullptr);
}

// UTF-8 names reach the wide API; a name typed in GBK names those characters.
TEST_F(Win32SysTest, ChineseFileNamesRoundTrip) {
  const std::string name =
      Root() + "\xe5\xae\xa2\xe6\x88\xb7\xe5\x90\x8d\xe5\x8d\x95.txt";  // 客户名单
  sys::WriteLines(name, {"a", "\xb0\xa1"});
  EXPECT_TRUE(fs::exists(root_ / L"\u5ba2\u6237\u540d\u5355.txt"));
  EXPECT_TRUE(sys::FileExists(name));
  EXPECT_EQ(sys::ReadLines(name), (std::vector<std::string>{"a", "\xb0\xa1"}));
  const std::string copy = Root() + "\xe5\x89\xaf\xe6\x9c\xac.txt";
  sys::CopyFile(name, copy);
  EXPECT_EQ(sys::ReadFileBytes(copy), "a\r\n\xb0\xa1\r\n");
  ExpectPrivate(copy);
  EXPECT_TRUE(sys::DeleteFile(copy));
  EXPECT_FALSE(sys::PathExists(copy));
  EXPECT_FALSE(sys::DeleteFile(copy));

  const std::optional<std::string> typed = sys::FileSystemName("\xbf\xcd\xbb\xa7.csv");
  ASSERT_TRUE(typed.has_value());
  EXPECT_EQ(*typed, "\xe5\xae\xa2\xe6\x88\xb7.csv");
  sys::WriteFileBytes(Root() + *typed, "1");
  EXPECT_TRUE(fs::exists(root_ / L"\u5ba2\u6237.csv"));
  EXPECT_FALSE(sys::FileSystemName("a\xb0").has_value());
  EXPECT_FALSE(sys::FileSystemName("\xaa\xa1").has_value()) << "user-defined area";
  EXPECT_EQ(sys::FileNameCharset(), "UTF-8");
}

// A private file is new and the user's alone, shared for reading only while written.
TEST_F(Win32SysTest, PrivateFileIsNewAndSharesReadingOnly) {
  const std::string name = Root() + "result.txt";
  const int fd = sys::OpenPrivateFile(name);
  ASSERT_GE(fd, 0);
  ExpectPrivate(name);
  EXPECT_FALSE(Open(name, GENERIC_WRITE).Valid());
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(Open(name, GENERIC_READ).Valid());
  EXPECT_EQ(::_write(fd, "x", 1), 1);
  ::_close(fd);
  errno = 0;
  EXPECT_EQ(sys::OpenPrivateFile(name), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(sys::ReadFileBytes(name), "x");

  const std::string fresh = Root() + "fresh.pdf";
  ASSERT_TRUE(sys::PreparePrivateFile(fresh));
  ExpectPrivate(fresh);
  const std::string opened = Root() + "opened.pdf";
  sys::WriteFileBytes(opened, "%PDF");
  OpenToEveryone(opened);
  ASSERT_TRUE(sys::PreparePrivateFile(opened));
  ExpectPrivate(opened);
  EXPECT_EQ(sys::ReadFileBytes(opened), "%PDF");
  EXPECT_FALSE(sys::PreparePrivateFile(Root()));
}

// A file another program holds open for writing is read all the same; a folder is no file.
TEST_F(Win32SysTest, FileHeldOpenForWritingElsewhereCanBeRead) {
  const std::string name = Root() + "\xe5\xaf\xbc\xe5\x85\xa5.txt";
  sys::WriteFileBytes(name, "one\r\ntwo");
  const sys::win32::Handle held = Open(name, GENERIC_WRITE);
  ASSERT_TRUE(held.Valid());
  EXPECT_EQ(sys::ReadFileBytes(name), "one\r\ntwo");
  std::vector<std::string> lines;
  sys::ForEachLine(name, [&lines](std::string_view line) { lines.emplace_back(line); });
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
  sys::FileReader reader(name, sys::FileReader::Links::Follow);
  ASSERT_EQ(reader.Error(), 0);
  EXPECT_EQ(reader.Size(), 8u);
  std::string got;
  char piece[3];
  for (std::ptrdiff_t n; (n = reader.Read(piece, sizeof piece)) > 0;) {
    got.append(piece, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(got, "one\r\ntwo");

  EXPECT_NE(sys::FileReader(Root(), sys::FileReader::Links::Refuse).Error(), 0);
  EXPECT_EQ(sys::FileReader(Root() + "missing", sys::FileReader::Links::Follow).Error(), ENOENT);
  EXPECT_FALSE(sys::FileExists(Root()));
  EXPECT_FALSE(sys::FileReachable(Root()));
  EXPECT_TRUE(sys::PathExists(Root()));
  EXPECT_THROW(sys::ReadFileBytes(Root()), std::runtime_error);
  EXPECT_THROW(sys::ReadFileBytes(Root() + "missing"), std::runtime_error);
}

// The language file in a Chinese folder: quotes and GBK kept (the profile API would strip
// and convert), and a rewritten file replaces the old one, private.
TEST_F(Win32SysTest, LanguageFileKeepsQuotesAndGbk) {
  const std::string name = Root() + "\xe8\xaf\xad\xe8\xa8\x80\\TavroLang.ini";
  fs::create_directories(root_ / L"\u8bed\u8a00");
  sys::WriteFileBytes(name, "[Msg]\r\nQuoted=\"\xd6\xd0\xce\xc4\"\r\nPlain=\xbf\xcd\xbb\xa7\r\n");
  sys::IniFile ini(name);
  EXPECT_EQ(ini.ReadString("msg", "QUOTED", ""), "\"\xd6\xd0\xce\xc4\"");
  ini.WriteString("Msg", "Plain", "\xb0\xa1");
  ini.Save();
  EXPECT_EQ(sys::ReadFileBytes(name), "[Msg]\r\nQuoted=\"\xd6\xd0\xce\xc4\"\r\nPlain=\xb0\xa1\r\n");
  ExpectPrivate(name);
}

// A bare name is found beside the module, never in the working folder (anybody's).
TEST_F(Win32SysTest, LoaderLooksBesideTheModuleAndNeverInTheWorkingFolder) {
  using ProbeFn = int (*)(int);
  const fs::path probe = fs::path(Widen(sys::ModuleFolder())) / L"sys_loader_probe.dll";
  ASSERT_TRUE(fs::exists(probe));
  fs::copy_file(probe, root_ / L"planted_probe.dll");
  const fs::path before = fs::current_path();
  fs::current_path(root_);

  std::string error;
  sys::LibraryHandle beside = sys::LoadLibrary("sys_loader_probe.dll", &error);
  EXPECT_NE(beside, nullptr) << error;
  EXPECT_EQ(sys::LoadLibrary("planted_probe.dll", &error), nullptr) << "the working folder's";
  sys::LibraryHandle named = sys::LoadLibrary(Root() + "planted_probe.dll", &error);
  ASSERT_NE(named, nullptr) << error;
  auto fn = reinterpret_cast<ProbeFn>(sys::GetProcAddress(named, "ProbeAnswer", &error));
  ASSERT_NE(fn, nullptr) << error;
  EXPECT_EQ(fn(20), 41);
  EXPECT_EQ(sys::GetProcAddress(named, "NoSuchEntry", &error), nullptr);
  EXPECT_NE(error.find("NoSuchEntry"), std::string::npos) << error;
  sys::FreeLibrary(named);
  sys::FreeLibrary(beside);
  fs::current_path(before);

  sys::LibraryHandle kernel = sys::LoadLibrary("kernel32.dll");
  EXPECT_NE(sys::GetProcAddress(kernel, "GetTickCount64"), nullptr);
  sys::FreeLibrary(kernel);
  EXPECT_EQ(sys::LoadLibrary("NoSuchLibrary.dll", &error), nullptr);
  EXPECT_NE(error.find("NoSuchLibrary.dll"), std::string::npos) << error;
}

TEST(Win32ProcessPaths, ExecutableModuleAndFolders) {
  const std::string exe = sys::ExecutablePath();
  EXPECT_NE(exe.find("windows_sys_tests.exe"), std::string::npos) << exe;
  // In a program the code's module is the program itself.
  EXPECT_EQ(sys::ModuleFolder(), sys::FolderOf(exe));
  EXPECT_FALSE(sys::CurrentFolder().empty());
  EXPECT_NE(sys::CurrentFolder().back(), '\\');
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\bank\\TavroLang.ini", "C:\\bank"}, {"C:/bank/TavroLang.ini", "C:/bank"},
      {"C:\\TavroLang.ini", "C:\\"},           {"\\TavroLang.ini", "\\"},
      {"bank\\sub/x.txt", "bank\\sub"},        {"TavroLang.ini", ""},
  };
  for (const auto& [path, folder] : cases) {
    EXPECT_EQ(sys::FolderOf(path), folder) << path;
  }
}

// The system's count of milliseconds, read between two readings of it.
TEST(Win32TickCount, FollowsTheSystemsCount) {
  const std::uint64_t before = ::GetTickCount64();
  const std::uint64_t ticks = sys::TickCount();
  EXPECT_GE(ticks, before);
  EXPECT_LE(ticks, ::GetTickCount64());
}

// Wine hands the module the locale it started in as the thread's language and code page.
TEST(Win32Locale, ThreadLocaleOfTheEnvironment) {
  const char* name = std::getenv("TAVRO_TEST_LOCALE");
  const bool traditional = name != nullptr && std::string(name) == "zh_TW";
  ASSERT_TRUE(traditional || (name != nullptr && std::string(name) == "zh_CN")) << "a locale";
  const sys::LocaleInfo info = sys::SystemLocale();
  EXPECT_EQ(info.primary, sys::kLangChinese);
  EXPECT_EQ(info.sub,
            traditional ? sys::kSubLangChineseTraditional : sys::kSubLangChineseSimplified);
  EXPECT_EQ(info.codePage, traditional ? 950 : 936);
}

}  // namespace
