// A module that serves function nodes in the tests: one entry point that edits a
// record and reports what it received, one that raises.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "sys/Abi.h"

namespace {

// Texts arrive as zero-terminated buffers of at most 51 bytes; a null pointer reads
// as empty so that a careless caller shows up in the log, not as a crash.
void LogText(std::FILE* log, const char* text) {
  if (text == nullptr) {
    text = "";
  }
  std::fprintf(log, "%.51s\n", text);
}

// With TAVRO_TESTMODULE_LOG set, appends the key, the function id and the extra of a
// call to that file, one line each.
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

// Sets Code 1 and Text "OK"; with TAVRO_TESTMODULE_LOG set, appends the key, the
// function id and the extra it received to that file, one line each.
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

// An editor the operator left without saving: logs the call like Tm_EditRecord and
// leaves the result as it was handed over.
TAVRO_EXPORT void TAVRO_STDCALL Tm_Cancel(TShellResult* /*Result*/, HWND_T /*ShellWnd*/,
                                          const char* /*CorpNo*/, const char* /*UserNo*/,
                                          std::int32_t FunctionId, const char* Key,
                                          const char* Extra) {
  LogCall(FunctionId, Key, Extra);
}
