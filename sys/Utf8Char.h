// Stepping through UTF-8 one character at a time, as ICU's U8_NEXT does: an ill-formed
// sequence (a stray trail byte, an overlong form, a surrogate, a value past U+10FFFF, a
// cut-off sequence) is reported as such and stepped over as its maximal subpart, the
// longest start of a well-formed sequence, or one byte. Without ICU, so that every
// platform steps alike.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace sys {

// The character at text[pos], pos moved past it; nullopt for an ill-formed sequence,
// pos moved past it. pos must be before the end of text.
std::optional<char32_t> NextUtf8Char(std::string_view text, std::size_t& pos);

}  // namespace sys
