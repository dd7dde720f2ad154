// The host stand-in of the fuzz targets: answers every command with the fuzzer's bytes,
// as a broken or hostile host would (FuzzSupport.h).
#include <algorithm>
#include <cstring>

#include "host/TavroClient.h"
#include "sys/Files.h"
#include "tests/fuzz/FuzzSupport.h"

namespace fuzzhost {
namespace {

// The host's C functions take no context, so the answer lives here.
std::string gBytes;
bool gTerminated = true;

}  // namespace

void SetAnswer(std::string_view answer, bool terminated) {
  gBytes.assign(answer);
  gTerminated = terminated;
}

}  // namespace fuzzhost

extern "C" {

std::int32_t TAVRO_STDCALL qelCommand(HWND_T /*window*/, const char* /*command*/,
                                      std::int32_t /*length*/, char* result, std::int32_t capacity,
                                      char* /*error*/, std::int32_t /*mode*/) {
  const std::string& bytes = fuzzhost::gBytes;
  const auto room = static_cast<std::size_t>(std::max<std::int32_t>(capacity, 0));
  if (fuzzhost::gTerminated) {
    const std::size_t n = std::min(bytes.size(), room);
    std::memcpy(result, bytes.data(), n);
    result[n] = '\0';
  } else {
    std::memcpy(result, bytes.data(), std::min(bytes.size(), room + 1));
  }
  return 0;
}

std::int32_t TAVRO_STDCALL qelFileGet(HWND_T /*window*/, const char* /*command*/,
                                      std::int32_t /*length*/, const char* file, char* /*error*/,
                                      std::int32_t /*mode*/) {
  sys::WriteFileBytes(file, fuzzhost::gBytes);
  return 0;
}
}
