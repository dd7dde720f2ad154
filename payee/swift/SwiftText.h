// The SWIFT character repertoire of remittance texts and the check of one line
// against it, shared by the restricted single-line edit and the restricted memo.
//
// Which bytes form a double-byte character follows the code page of the system's
// locale: on a double-byte system (936, 950, 932, 949) such characters are skipped,
// so Chinese names pass; on a single-byte system every byte is a character and must
// be in the set.
#pragma once

#include <string_view>

namespace payee {

// Characters allowed anywhere in a line: A-Z, blank, a-z, 0-9, ( ) . - / , : + ' and
// the line breaks (74 characters).
inline constexpr std::string_view kSwiftBodySet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz0123456789()./-,:+'\r\n";
// Characters allowed as the first non-blank character of a line: the body set
// without '-' and ':' (72 characters).
inline constexpr std::string_view kSwiftHeadSet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz0123456789.()/,+'\r\n";

// Whether the single-byte character c is in set.
bool InSwiftSet(std::string_view set, char c);

// Whether line is acceptable SWIFT text: no longer than charPerLine bytes (when
// charPerLine > 0), its first non-blank character in the head set and every
// single-byte character in the body set. Double-byte characters are recognised by
// codePage (0: none); a lead byte without a proper trail byte counts as a single
// byte and so fails.
bool IsSwiftLine(std::string_view line, int charPerLine, int codePage);

// The double-byte code page the check follows: that of the system's locale now.
int SwiftCodePage();

}  // namespace payee
