// ManageEdit.dll as the shell's loader and caller see it, under Wine: loaded by name,
// its export directory names the sixteen entry points and nothing else, and each entry
// point, called through the name the shell looks up, leaves the stack pointer where the
// caller had it (on i686 the callee removes its parameters) and writes its record and
// nothing beside it. The calls are made in assembly so that nothing the compiler does
// around a call can hide a wrong cleanup.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sys/Abi.h"
#include "sys/Win32Api.h"

namespace {

struct EntryPoint {
  const char* Name;
  bool List;  // six parameters and a TFolderList; otherwise seven and a TShellResult
};

constexpr std::array<EntryPoint, 16> kEntryPoints{{
    {"Mn_AcEdit", false},
    {"Mn_AcOrderEdit", false},
    {"Mn_CheckRecord", false},
    {"Mn_CustAcEdit", false},
    {"Mn_CustAcNoList", false},
    {"Mn_CustCNYAcEdit", false},
    {"Mn_CustomerEdit", false},
    {"Mn_GetAuthoriseList", true},
    {"Mn_GetCheckList", true},
    {"Mn_GetDeletedList", true},
    {"Mn_GetRejectedList", true},
    {"Mn_GetSendList", true},
    {"Mn_StatusFolderList", false},
    {"Mn_UsageEdit", false},
    {"Mn_UserEdit", false},
    {"Mn_UserListPrint", false},
}};

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

// A record with guard bytes before and after it, to see a write beyond its size.
class GuardedRecord {
 public:
  static constexpr std::size_t kGuard = 64;
  static constexpr unsigned char kGuardByte = 0xA5;

  explicit GuardedRecord(std::size_t size) : size_(size), bytes_(size + 2 * kGuard, kGuardByte) {
    std::fill_n(bytes_.begin() + kGuard, size, 0x5A);
  }
  void* Record() { return bytes_.data() + kGuard; }
  bool GuardsIntact() const {
    auto intact = [](unsigned char b) { return b == kGuardByte; };
    return std::all_of(bytes_.begin(), bytes_.begin() + kGuard, intact) &&
           std::all_of(bytes_.end() - kGuard, bytes_.end(), intact);
  }

 private:
  std::size_t size_;
  std::vector<unsigned char> bytes_;
};

class ModuleExports : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(L"ManageEdit.dll");
    ASSERT_NE(module_, nullptr) << "LoadLibrary(ManageEdit.dll) failed: " << GetLastError();
  }
  void TearDown() override {
    if (module_ != nullptr) {
      FreeLibrary(module_);
    }
  }
  HMODULE module_ = nullptr;
};

TEST_F(ModuleExports, ExportsTheSixteenEntryPointsByPlainNameAndNothingElse) {
  std::vector<std::string> expected;
  for (const EntryPoint& entry : kEntryPoints) {
    expected.emplace_back(entry.Name);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ExportedNames(module_), expected);
}

// The entry points run their dialogs on the headless platform linked into the module,
// and reach the test host through the module's import of TavroClient.dll: the transcript
// (TAVRO_UI_TRANSCRIPT, set by the test's environment) shows the forms and the host's
// refusal.
TEST_F(ModuleExports, EveryEntryPointKeepsTheStackAndWritesOnlyItsRecord) {
  const char* transcriptPath = std::getenv("TAVRO_UI_TRANSCRIPT");
  ASSERT_NE(transcriptPath, nullptr);
  std::remove(transcriptPath);
  const char corpNo[] = "0001";
  const char userNo[] = "000001";
  const char key[] = "";
  const char extra[] = "";
  for (const EntryPoint& entry : kEntryPoints) {
    SCOPED_TRACE(entry.Name);
    FARPROC address = GetProcAddress(module_, entry.Name);
    ASSERT_NE(address, nullptr);
    GuardedRecord record(entry.List ? sizeof(TFolderList) : sizeof(TShellResult));
    const std::array<std::uintptr_t, 7> args{reinterpret_cast<std::uintptr_t>(record.Record()),
                                             0,  // no shell window
                                             reinterpret_cast<std::uintptr_t>(corpNo),
                                             reinterpret_cast<std::uintptr_t>(userNo),
                                             1,
                                             reinterpret_cast<std::uintptr_t>(key),
                                             reinterpret_cast<std::uintptr_t>(extra)};
    EXPECT_EQ(CallAndMeasureStack(address, args, entry.List ? 6 : 7), 0);
    EXPECT_TRUE(record.GuardsIntact());
  }
  std::ifstream file(transcriptPath, std::ios::binary);
  std::stringstream transcript;
  transcript << file.rdbuf();
  EXPECT_NE(transcript.str().find("open TCustomerEdtFrm"), std::string::npos);
  EXPECT_NE(transcript.str().find("Error:test host: no bank"), std::string::npos);
}

}  // namespace
