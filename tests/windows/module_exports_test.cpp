// ManageEdit.dll as the shell's loader and caller see it, under Wine: its export
// directory names the entry points and nothing else, and each, called through its name in
// assembly (so that nothing the compiler does can hide a wrong cleanup), leaves the stack
// pointer where the caller had it and writes its record and nothing beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "sys/Abi.h"
#include "tests/windows/WinTest.h"

namespace {

// The shell's entry points: the list ones take six parameters and a TFolderList, the
// others seven and a TShellResult.
constexpr const char* kEntryPoints[] = {
    "Mn_AcEdit",           "Mn_AcOrderEdit",    "Mn_CheckRecord",     "Mn_CustAcEdit",
    "Mn_CustAcNoList",     "Mn_CustCNYAcEdit",  "Mn_CustomerEdit",    "Mn_GetAuthoriseList",
    "Mn_GetCheckList",     "Mn_GetDeletedList", "Mn_GetRejectedList", "Mn_GetSendList",
    "Mn_StatusFolderList", "Mn_UsageEdit",      "Mn_UserEdit",        "Mn_UserListPrint"};
constexpr std::string_view kListEntryPoints =
    "Mn_GetAuthoriseList Mn_GetCheckList "
    "Mn_GetDeletedList Mn_GetRejectedList Mn_GetSendList";

// Calls entry with the first count of args as the shell pushes them and returns how far
// the stack pointer moved over the call: 0 when the callee cleaned up as its convention
// says.
std::intptr_t CallAndMeasureStack(FARPROC entry, const std::array<std::uintptr_t, 7>& args,
                                  int count) {
  std::intptr_t drift = 0;
#if defined(__i386__)
  // stdcall: arguments pushed right to left, the callee pops them; esi and ebx survive.
  const std::uintptr_t* base = args.data();
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "cmpl $7, %%ecx\n\t"
      "jne 1f\n\t"
      "pushl 24(%%ebx)\n"
      "1:\n\t"
      "pushl 20(%%ebx)\n\t"
      "pushl 16(%%ebx)\n\t"
      "pushl 12(%%ebx)\n\t"
      "pushl 8(%%ebx)\n\t"
      "pushl 4(%%ebx)\n\t"
      "pushl 0(%%ebx)\n\t"
      "call *%%eax\n\t"
      "movl %%esp, %%eax\n\t"
      "subl %%esi, %%eax\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(drift), "+c"(count), "+b"(base)
      : "a"(entry)
      : "edx", "esi", "memory", "cc");
#elif defined(__x86_64__)
  // The x64 convention: four arguments in registers, the rest above 32 bytes of shadow
  // space the caller reserves and removes; r12 and r13 survive the call.
  const std::uintptr_t* base = args.data();
  (void)count;
  asm volatile(
      "movq %%rsp, %%r12\n\t"
      "andq $-16, %%rsp\n\t"
      "subq $64, %%rsp\n\t"
      "movq 32(%%rbx), %%r10\n\t"
      "movq %%r10, 32(%%rsp)\n\t"
      "movq 40(%%rbx), %%r10\n\t"
      "movq %%r10, 40(%%rsp)\n\t"
      "movq 48(%%rbx), %%r10\n\t"
      "movq %%r10, 48(%%rsp)\n\t"
      "movq 0(%%rbx), %%rcx\n\t"
      "movq 8(%%rbx), %%rdx\n\t"
      "movq 16(%%rbx), %%r8\n\t"
      "movq 24(%%rbx), %%r9\n\t"
      "movq %%rsp, %%r13\n\t"
      "call *%%rax\n\t"
      "movq %%rsp, %%rax\n\t"
      "subq %%r13, %%rax\n\t"
      "movq %%r12, %%rsp\n\t"
      : "=a"(drift), "+b"(base)
      : "a"(entry)
      : "rcx", "rdx", "r8", "r9", "r10", "r11", "r12", "r13", "xmm0", "xmm1", "xmm2", "xmm3",
        "xmm4", "xmm5", "memory", "cc");
#else
#error "the export test knows the calling conventions of i686 and x86-64 only"
#endif
  return drift;
}

// The names in the export directory of a loaded module.
std::vector<std::string> ExportedNames(HMODULE module) {
  const auto* image = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::vector<std::string> names;
  if (directory.Size == 0) {
    return names;
  }
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(image + directory.VirtualAddress);
  const auto* nameRvas = reinterpret_cast<const DWORD*>(image + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.emplace_back(reinterpret_cast<const char*>(image + nameRvas[i]));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The entry points run their dialogs on the headless platform linked into the module and
// reach the test host through the module's import of TavroClient.dll: the transcript
// (TAVRO_UI_TRANSCRIPT) shows the forms and the host's refusal. Guard bytes around each
// record show a write beyond its size.
TEST(ModuleExports, ExportsTheEntryPointsAndEachKeepsTheStackAndWritesOnlyItsRecord) {
  HMODULE module = LoadLibraryW(L"ManageEdit.dll");
  ASSERT_NE(module, nullptr) << "LoadLibrary(ManageEdit.dll) failed: " << GetLastError();
  std::vector<std::string> expected(std::begin(kEntryPoints), std::end(kEntryPoints));
  EXPECT_EQ(ExportedNames(module), expected);

  const char* transcriptPath = std::getenv("TAVRO_UI_TRANSCRIPT");
  ASSERT_NE(transcriptPath, nullptr);
  std::remove(transcriptPath);
  constexpr std::size_t kGuard = 64;
  for (const char* name : kEntryPoints) {
    SCOPED_TRACE(name);
    FARPROC address = GetProcAddress(module, name);
    ASSERT_NE(address, nullptr);
    const bool list = kListEntryPoints.find(name) != std::string_view::npos;
    const std::size_t size = list ? sizeof(TFolderList) : sizeof(TShellResult);
    std::vector<unsigned char> bytes(size + 2 * kGuard, 0xA5);
    std::fill_n(bytes.begin() + kGuard, size, 0x5A);
    const std::array<std::uintptr_t, 7> args{reinterpret_cast<std::uintptr_t>(&bytes[kGuard]),
                                             0,  // no shell window
                                             reinterpret_cast<std::uintptr_t>("0001"),
                                             reinterpret_cast<std::uintptr_t>("000001"),
                                             1,
                                             reinterpret_cast<std::uintptr_t>(""),
                                             reinterpret_cast<std::uintptr_t>("")};
    EXPECT_EQ(CallAndMeasureStack(address, args, list ? 6 : 7), 0);
    const auto guard = [](unsigned char b) { return b == 0xA5; };
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.begin() + kGuard, guard));
    EXPECT_TRUE(std::all_of(bytes.end() - kGuard, bytes.end(), guard));
  }
  const std::string transcript = wintest::ReadAll(transcriptPath);
  EXPECT_NE(transcript.find("open TCustomerEdtFrm"), std::string::npos);
  EXPECT_NE(transcript.find("Error:test host: no bank"), std::string::npos);
  FreeLibrary(module);
}

}  // namespace
