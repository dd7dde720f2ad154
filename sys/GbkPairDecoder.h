// Strict decoding of single GBK byte pairs, for text shown with escapes: the character of
// a pair as UTF-8, or a refusal when the pair is no character of GBK (ICU's converter
// with the stop callback on Linux, the compiled-in tables where ICU is not built in). The
// decoder keeps what it opened between calls.
#pragma once

#include <memory>
#include <string>

namespace sys {

class GbkPairDecoder {
 public:
  GbkPairDecoder();
  ~GbkPairDecoder();
  GbkPairDecoder(GbkPairDecoder&&) noexcept;
  GbkPairDecoder& operator=(GbkPairDecoder&&) noexcept;

  // Appends the character of the bytes pair[0], pair[1] as UTF-8 to out and returns true;
  // false, out unchanged, when they are no character of GBK.
  bool AppendUtf8(const char* pair, std::string& out);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sys
