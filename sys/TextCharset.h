// Which character set a text is in, for files an operator brings from elsewhere: a
// byte-order mark, a strict test of the bytes against a code page, and ICU's charset
// detector to choose among the code pages the bytes are valid in. Short Chinese texts are
// often valid in several (UTF-8 bytes read as GBK pairs), so validity decides first and
// the detector's statistics only choose among what is valid. Also a strict encoder that
// refuses a character its code page lacks instead of substituting one.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sys/CodePage.h"

namespace sys {

enum class ByteOrderMark { None, Utf8, Utf16, Utf32 };

// The mark at the start of a text and its length in bytes (0 without one).
struct TByteOrderMark {
  ByteOrderMark Kind = ByteOrderMark::None;
  std::size_t Length = 0;
};
TByteOrderMark FindByteOrderMark(std::string_view start);

// The characters of bytes in code page cp, as UTF-16, when bytes are clean text: every
// byte sequence a character of cp, and none of them NUL, a C1 control or a private-use
// character (what the code pages' user-defined and unassigned areas decode to, which no
// file made for exchange relies on). nullopt otherwise.
std::optional<std::u16string> DecodeCleanText(std::string_view bytes, CodePage cp);

// The same test without keeping the characters. With cutEnd, a character cut off by the
// end of bytes passes: bytes are a block of a file read in pieces.
bool IsCleanText(std::string_view bytes, CodePage cp, bool cutEnd = false);

// The code page of a block of a file among candidates: those the block is clean text in
// (a character cut off at its end passes); of several, the one ICU's charset detector
// rates highest, the earlier in candidates on a tie. nullopt when the block is clean text
// in none of them.
std::optional<CodePage> DetectCodePage(std::string_view block,
                                       std::span<const CodePage> candidates);

// Encodes UTF-16 text into one character set, keeping its converter between calls.
class StrictEncoder {
 public:
  explicit StrictEncoder(CodePage cp);
  ~StrictEncoder();
  StrictEncoder(StrictEncoder&&) noexcept;
  StrictEncoder& operator=(StrictEncoder&&) noexcept;
  // A character set by ICU's name for it ("UTF-8", "BIG5", "ISO-8859-1", ...). Throws
  // std::runtime_error when ICU does not know it (without ICU: unless it is UTF-8 or one
  // of the built-in code pages).
  explicit StrictEncoder(const char* charset);

  // Appends text in the character set to out and returns true; when a character of text
  // has no form there (or text holds a lone surrogate), out is left as it was, missing is
  // that character, and the result is false.
  bool Encode(std::u16string_view text, std::string& out, char32_t& missing);

 private:
  // The converter (ICU's on Linux, the code page's tables elsewhere).
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sys
