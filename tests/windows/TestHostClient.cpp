// TavroClient.dll for the module's tests: the host's two calls by their plain names,
// refusing every command, so that each entry point runs its path for a refusing host.
#include <cstdint>
#include <cstring>

#include "host/TavroClient.h"

namespace {

void WriteError(char* error) {
  constexpr char kNoBank[] = "test host: no bank";
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
