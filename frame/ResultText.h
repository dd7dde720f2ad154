// The host's answers as text: rows, fields, the 0x0E line-break rule, the update answer
// as a result record, and code-and-name items.
//
// Rows end with CR, LF, CR LF or LF CR (a pair counts as one row end); an empty text has
// no rows and a final row end does not start another row. Fields are separated by 0x07.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys/Abi.h"

namespace frame {

inline constexpr char kLineBreakMark = '\x0E';  // a CR LF inside one field

// Row n of text, counting from 1; empty for n below 1 or after the last row.
std::string GetRow(std::string_view text, int n);

// Every row of text in order (the lines of a result file).
std::vector<std::string> SplitRows(std::string_view text);

// Field i (from 0) of a one-row text, trimmed; an index beyond the last field gives the
// last field, an index below 0 the first.
std::string GetField(std::string_view text, int i);

// Every field of text at separator, untrimmed: n separators give n + 1 fields, an empty
// text gives one empty field. Separators inside double-byte characters do not count.
std::vector<std::string> SplitAll(std::string_view text, char separator);

// The first bufferSizes.size() fields of text at separator, untrimmed, each cut to fit a
// zero-terminated buffer of that many bytes (so to size - 1 bytes, never splitting a
// double-byte character); missing fields are empty, further fields are ignored.
std::vector<std::string> SplitFields(std::string_view text, char separator,
                                     const std::vector<std::size_t>& bufferSizes);

// Every 0x0E becomes CR LF.
std::string DecodeNewlines(std::string_view text);
// Every CR becomes 0x0E and every LF is dropped.
std::string EncodeNewlines(std::string_view text);

// An update answer (code, 0x07, message) as a result record: Code is the part before the
// first 0x07 as a decimal integer (0 when it is none), Text everything after it,
// untrimmed (the whole answer without 0x07), cut to 50 bytes on a character boundary.
TShellResult ParseShellResult(std::string_view text);

// A trimmed decimal integer with an optional sign that fits 32 bits; nothing otherwise.
std::optional<int> ParseDecimal(std::string_view text);

// The text up to (not including) the first mark; the whole text when there is none.
std::string TextBefore(std::string_view text, std::string_view mark);

// The code of a code-and-name item "12:name": the trimmed part before the first ':' as
// an integer; -1 for an empty text, a text without ':' or no integer there.
int ItemCode(std::string_view text);

// Index of the first item whose code is code; items without a code are skipped; -1
// when none matches.
int FindItemByCode(const std::vector<std::string>& items, int code);

// "number:name(detail)" taken apart. Name and detail are cut to 35 bytes.
struct TCodeNameDetail {
  int Number = 0;
  std::string Name;
  std::string Detail;
};
inline constexpr std::size_t kCodeNameDetailLen = 35;
TCodeNameDetail SplitCodeNameDetail(std::string_view text);

}  // namespace frame
