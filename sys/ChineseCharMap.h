// Character-by-character Chinese conversion between the module's GBK Simplified text and
// the Big5 Traditional text a Traditional-Chinese system shows: each character is mapped
// on its own, never by phrase, from OpenCC's character tables (STCharacters,
// TSCharacters, TWVariants and TWVariantsRev; no phrase tables).
//
// To Traditional, a GBK character takes the first of its Traditional forms that Big5
// holds (OpenCC's candidates in order, each followed by its Taiwan variant), preferring
// one that the way back turns into the same character again; without such a form it
// stays itself when Big5 holds it, and only when OpenCC knows no form at all does
// Unicode's data (ICU's Hans-Hant) get a say. To Simplified, a Big5 character changes
// only when OpenCC counts it as Traditional only (its first Simplified candidate is
// another character); standard Simplified characters (沈, 著, 姊, 阪, 俱 ...) stay.
// A character with no form in the target becomes the character Windows' best fit gives
// (ICU's fallback mappings: é to e, ［ to 〔, ㈠ to 一), else the substitution character.
//
// The mapping of every character of the source code page is worked out once per
// process, on first use, so that long texts convert at table speed. ASCII passes
// unchanged; a byte that is no character of the source code page becomes the target's
// substitution character. A missing or unreadable table is an error (std::runtime_error
// naming the file), never a silent pass-through.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace sys {

// GBK (936) -> Traditional characters in Big5 (950).
std::string GbkToBig5Traditional(std::string_view gbk);

// Big5 (950) -> Simplified characters in GBK (936).
std::string Big5ToGbkSimplified(std::string_view big5);

// The folder of OpenCC's character tables the two functions above read (set when the
// project is configured: TAVRO_OPENCC_DATA_DIR, by default OpenCC's <prefix>/share/opencc).
const char* ChineseTableFolder();

// What every byte pair (lead, trail) and every lone high byte of the source code page
// becomes in the target.
struct ChineseCharTable {
  std::vector<std::string> pairs = std::vector<std::string>(std::size_t{128} * 256);
  std::array<std::string, 128> single;
};

enum class ChineseConversion { GbkToBig5Traditional, Big5ToGbkSimplified };

// Works out the whole table from OpenCC's tables in folder. Throws std::runtime_error
// naming the table when one is missing or unreadable.
ChineseCharTable BuildChineseCharTable(ChineseConversion conversion, const std::string& folder);

// Converts text through table, character by character.
std::string MapChineseChars(std::string_view text, const ChineseCharTable& table);

}  // namespace sys
