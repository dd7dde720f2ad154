// The system locale as the platform reports it: primary and sub-language id, and the
// double-byte code page of the locale with its lead-byte test.
//
// The locale name comes from LC_ALL, else LC_MESSAGES, else LANG (the first one set and
// not empty). zh_TW, zh_HK, zh_MO: Chinese Traditional (4, 1), code page 950; zh_CN,
// zh_SG and plain zh: Chinese Simplified (4, 2), 936; ja: Japanese (17, 1), 932; ko:
// English ids with code page 949; anything else: English (9, 1), no double-byte code page.
#pragma once

#include <string_view>

namespace sys {

inline constexpr int kLangChinese = 4;
inline constexpr int kLangEnglish = 9;
inline constexpr int kLangJapanese = 17;
inline constexpr int kSubLangChineseTraditional = 1;
inline constexpr int kSubLangChineseSimplified = 2;

struct LocaleInfo {
  int primary = kLangEnglish;
  int sub = 1;
  int codePage = 0;  // 936, 950, 932, 949, or 0 for a single-byte locale
};

// The locale of a name such as "zh_TW.UTF-8", "ja_JP" or "C".
LocaleInfo LocaleFromName(std::string_view name);

// The locale named by the environment now.
LocaleInfo SystemLocale();

// True when byte starts a double-byte character in code page cp (false for 0 and any
// single-byte code page).
bool IsDbcsLeadByte(int cp, unsigned char byte);

}  // namespace sys
