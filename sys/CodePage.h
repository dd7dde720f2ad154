// Code-page conversions between the module's GBK text, Big5 and UTF-8, done by ICU.
// (The Simplified/Traditional character mapping is sys/ChineseCharMap.h.)
#pragma once

#include <string>
#include <string_view>

namespace sys {

// The code pages the project converts between. Values are the platform's numbers.
enum class CodePage { Gbk = 936, Big5 = 950, ShiftJis = 932, Korean = 949, Utf8 = 65001 };

// Converts text from one code page to another. Bytes that are not valid in the source
// become the target's substitution character; nothing is dropped silently and the
// call never fails.
std::string ConvertText(std::string_view text, CodePage from, CodePage to);

inline std::string Utf8ToGbk(std::string_view text) {
  return ConvertText(text, CodePage::Utf8, CodePage::Gbk);
}
inline std::string GbkToUtf8(std::string_view text) {
  return ConvertText(text, CodePage::Gbk, CodePage::Utf8);
}

// UTF-8 to GBK where every character GBK lacks becomes the substitution character,
// invisible ones too: ICU's substitution drops default-ignorable characters (zero-width
// space U+200B, byte-order mark U+FEFF, soft hyphen U+00AD ...) without a trace, and a
// text sent on must show that something was there.
std::string Utf8ToGbkMarkingInvisible(std::string_view text);

}  // namespace sys
