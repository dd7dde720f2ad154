// A module that serves function nodes in the tests. With TAVRO_TESTMODULE_LOG set, its
// entry points append the key, the function id and the extra they received to that file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "sys/Abi.h"

namespace {

// Texts are at most 51 bytes; a null one is logged empty, to show rather than crash.
void LogText(std::FILE* log, const char* text) {
  std::fprintf(log, "%.51s\n", text != nullptr ? text : "");
}

void LogCall(std::int32_t functionId, const char* key, const char* extra) {
  if (const char* name = std::getenv("TAVRO_TESTMODULE_LOG"); name != nullptr && *name != 0) {
    if (std::FILE* log = std::fopen(name, "a"); log != nullptr) {
      LogText(log, key);
      std::fprintf(log, "%d\n", static_cast<int>(functionId));
      LogText(log, extra);
      std::fclose(log);
    }
  }
}

}  // namespace

// Sets Code 1 and Text "OK".
TAVRO_EXPORT void TAVRO_STDCALL Tm_EditRecord(TShellResult* Result, HWND_T /*ShellWnd*/,
                                              const char* /*CorpNo*/, const char* /*UserNo*/,
                                              std::int32_t FunctionId, const char* Key,
                                              const char* Extra) {
  LogCall(FunctionId, Key, Extra);
  if (Result == nullptr) {
    return;
  }
  Result->Code = 1;
  std::memset(Result->Text, 0, sizeof Result->Text);
  std::memcpy(Result->Text, "OK", 2);
}

// Fails the way a faulty foreign entry point does: by raising.
TAVRO_EXPORT void TAVRO_STDCALL Tm_Raise(TShellResult* /*Result*/, HWND_T /*ShellWnd*/,
                                         const char* /*CorpNo*/, const char* /*UserNo*/,
                                         std::int32_t /*FunctionId*/, const char* /*Key*/,
                                         const char* /*Extra*/) {
  throw std::runtime_error("Tm_Raise failed on purpose");
}

// An editor left without saving: the result stays as it was handed over.
TAVRO_EXPORT void TAVRO_STDCALL Tm_Cancel(TShellResult* /*Result*/, HWND_T /*ShellWnd*/,
                                          const char* /*CorpNo*/, const char* /*UserNo*/,
                                          std::int32_t FunctionId, const char* Key,
                                          const char* Extra) {
  LogCall(FunctionId, Key, Extra);
}
