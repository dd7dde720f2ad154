// A host library for the module's export test, built as TavroClient.dll beside the test
// program: qelCommand and qelFileGet by their plain names with the host's calling
// convention, answering every command with a failure (no bank stands behind it), so
// that each entry point runs its path for a host that refuses and returns.
#include <cstdint>
#include <cstring>

#include "host/TavroClient.h"

namespace {

constexpr char kNoBank[] = "test host: no bank";

void WriteError(char* error) {
  if (error != nullptr) {
    std::memcpy(error, kNoBank, sizeof kNoBank);
  }
}

}  // namespace

extern "C" std::int32_t TAVRO_STDCALL qelCommand(HWND_T /*window*/, const char* /*command*/,
                                                 std::int32_t /*length*/, char* result,
                                                 std::int32_t capacity, char* error,
                                                 std::int32_t /*mode*/) {
  if (result != nullptr && capacity >= 0) {
    result[0] = 0;
  }
  WriteError(error);
  return 1;
}

extern "C" std::int32_t TAVRO_STDCALL qelFileGet(HWND_T /*window*/, const char* /*command*/,
                                                 std::int32_t /*length*/, const char* /*file*/,
                                                 char* error, std::int32_t /*mode*/) {
  WriteError(error);
  return 1;
}
