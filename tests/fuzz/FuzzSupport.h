// What the fuzz targets share: a property check that traps (libFuzzer keeps the input, the
// replay test fails), the split of one input into pieces, and a private scratch folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tavro_fuzz {

[[noreturn]] void PropertyFailed(const char* what, const char* file, int line);

#define FUZZ_CHECK(condition) \
  ((condition) ? void(0) : ::tavro_fuzz::PropertyFailed(#condition, __FILE__, __LINE__))

// The input taken apart from the front: single bytes, pieces ended by a zero byte, then
// the rest. Past the end come zeros and empty pieces: every input is valid.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t Byte() {
    const std::uint8_t b = rest_.empty() ? 0 : static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(rest_.empty() ? 0 : 1);
    return b;
  }

  std::string_view Piece() {
    const std::size_t zero = rest_.find('\0');
    const std::string_view piece = rest_.substr(0, zero);
    rest_.remove_prefix(zero == std::string_view::npos ? rest_.size() : zero + 1);
    return piece;
  }

  std::string_view Rest() { return std::exchange(rest_, {}); }

 private:
  std::string_view rest_;
};

// How many of text's bytes are one of bytes.
std::size_t CountOf(std::string_view text, std::string_view bytes);

// A folder of this process's own (mode 0700, under $TMPDIR or /tmp), removed at exit.
const std::string& ScratchFolder();

}  // namespace tavro_fuzz

// The host stand-in (FuzzHost.cpp, linked by the targets that call the host): every
// call's answer, cut to the capacity and zero-terminated, or unterminated filling the
// whole buffer; qelFileGet writes it as the file.
namespace fuzzhost {
void SetAnswer(std::string_view answer, bool terminated);
}  // namespace fuzzhost
