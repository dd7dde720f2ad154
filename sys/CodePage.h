// Code-page conversions between the module's GBK text, Big5, UTF-8 and the
// Simplified/Traditional character mapping, done by ICU.
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

// Maps Chinese characters between Simplified and Traditional forms, keeping the code
// page: GBK text in, GBK text out. Characters with no other form stay as they are.
std::string GbkToTraditional(std::string_view gbk);
std::string GbkToSimplified(std::string_view gbk);

}  // namespace sys
