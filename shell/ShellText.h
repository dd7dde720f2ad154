// Text at the shell's edges that is the shell's own: the rows and fields of a result
// text, and arguments shown in messages. The quoted and escaped forms it prints and
// reads are the transcript's (ui/script/ScriptText.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shell {

// An argument, a file name or a loader message as a message shows it: the transcript's
// form of UTF-8 text, cut after its first 4096 bytes.
std::string ShownInMessage(std::string_view utf8);

// Lines of a result text: rows end with CR, LF, CR LF or LF CR; a final row end
// adds no empty row.
std::vector<std::string_view> SplitRows(std::string_view text);

// Fields of a row at the byte 0x07, untrimmed; a row ending in 0x07 has a last empty
// field and an empty row has none.
std::vector<std::string_view> SplitFields(std::string_view row);

}  // namespace shell
