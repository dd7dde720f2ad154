// What the fuzz targets share: the property check that crashes (so that libFuzzer keeps
// the input), the split of one input into the pieces a target needs, and a private
// scratch folder for targets whose subject reads or writes files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavro_fuzz {

// Names the broken property on standard error and traps: a crash is what libFuzzer
// records, and the replay tests fail on it the same way.
[[noreturn]] void PropertyFailed(const char* what, const char* file, int line);

#define FUZZ_CHECK(condition) \
  ((condition) ? void(0) : ::tavro_fuzz::PropertyFailed(#condition, __FILE__, __LINE__))

// The fuzzer's bytes taken apart from the front: single bytes that choose what to do,
// then pieces ended by a zero byte, then the rest. Reading past the end gives zeros and
// empty pieces, so every input is a valid one.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t Byte() {
    if (rest_.empty()) {
      return 0;
    }
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }

  // The bytes up to the next zero byte (which is dropped), or the rest when none.
  std::string_view Piece() {
    const std::size_t zero = rest_.find('\0');
    const std::string_view piece = rest_.substr(0, zero);
    rest_.remove_prefix(zero == std::string_view::npos ? rest_.size() : zero + 1);
    return piece;
  }

  std::string_view Rest() {
    const std::string_view rest = rest_;
    rest_ = {};
    return rest;
  }

 private:
  std::string_view rest_;
};

// A folder of this process's own (mode 0700, under $TMPDIR or /tmp), made on first use
// and removed with its files when the process exits.
const std::string& ScratchFolder();

}  // namespace tavro_fuzz
