// Character-by-character Chinese conversion between the module's GBK Simplified text and
// the Big5 Traditional text a Traditional-Chinese system shows, as the platform's
// character mapping does: each character is mapped on its own (ICU's Simplified and
// Traditional transforms applied to that character alone), never by phrase.
//
// The mapping of every double-byte character is worked out once per process, on first
// use, so that long texts convert at table speed. ASCII passes unchanged; a byte that
// is no character of the source code page becomes the target's substitution character.
#pragma once

#include <string>
#include <string_view>

namespace sys {

// GBK (936) -> Traditional characters in Big5 (950).
std::string GbkToBig5Traditional(std::string_view gbk);

// Big5 (950) -> Simplified characters in GBK (936).
std::string Big5ToGbkSimplified(std::string_view big5);

}  // namespace sys
