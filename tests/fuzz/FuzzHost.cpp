// The host stand-in of the fuzz targets (FuzzHost.h).
#include "tests/fuzz/FuzzHost.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "host/TavroClient.h"
#include "sys/Files.h"

namespace fuzzhost {
namespace {

// The host's two C functions take no context, so the answer they give lives here.
struct Answer {
  std::string bytes;
  bool terminated = true;
};

Answer& Current() {
  static Answer answer;
  return answer;
}

}  // namespace

void SetAnswer(std::string_view answer, bool terminated) {
  Current().bytes.assign(answer);
  Current().terminated = terminated;
}

}  // namespace fuzzhost

extern "C" {

std::int32_t TAVRO_STDCALL qelCommand(HWND_T /*window*/, const char* /*command*/,
                                      std::int32_t /*length*/, char* result, std::int32_t capacity,
                                      char* /*error*/, std::int32_t /*mode*/) {
  const fuzzhost::Answer& answer = fuzzhost::Current();
  const auto room = static_cast<std::size_t>(std::max<std::int32_t>(capacity, 0));
  if (answer.terminated) {
    const std::size_t n = std::min(answer.bytes.size(), room);
    std::memcpy(result, answer.bytes.data(), n);
    result[n] = '\0';
  } else {
    std::memcpy(result, answer.bytes.data(), std::min(answer.bytes.size(), room + 1));
  }
  return 0;
}

std::int32_t TAVRO_STDCALL qelFileGet(HWND_T /*window*/, const char* /*command*/,
                                      std::int32_t /*length*/, const char* file, char* /*error*/,
                                      std::int32_t /*mode*/) {
  sys::WriteFileBytes(file, fuzzhost::Current().bytes);
  return 0;
}
}
