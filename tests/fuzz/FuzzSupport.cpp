// The fuzz targets' property check and scratch folder (FuzzSupport.h).
#include "tests/fuzz/FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace tavro_fuzz {

void PropertyFailed(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
  std::fflush(stderr);
  __builtin_trap();
}

std::size_t CountOf(std::string_view text, std::string_view bytes) {
  std::size_t n = 0;
  for (const char c : text) {
    n += bytes.find(c) != std::string_view::npos;
  }
  return n;
}

// Made once per process (a target runs millions of inputs); the exit handler is registered
// after the name is made, so that it runs before the name is destroyed.
const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tavro-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot create a scratch folder from " + pattern);
    }
    return pattern;
  }();
  static const int registered = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
  (void)registered;
  return folder;
}

}  // namespace tavro_fuzz
