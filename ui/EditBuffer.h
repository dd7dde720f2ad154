// The text, caret and selection of an edit control, and the edits the operator makes
// on them. Offsets are byte offsets into GBK text; a caret or a selection edge never
// falls inside a double-byte character, and an insertion that would not fit the
// maximum length is cut before a character, never inside one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct EditBuffer {
  std::string Text;
  int SelStart = 0;   // caret, or start of the selection
  int SelLength = 0;  // bytes selected after SelStart
  int MaxLength = 0;  // 0: no limit
  bool MultiLine = false;
};

// Offset of the start of the character holding byte pos (pos itself when it starts a
// character). Line breaks CR LF count as one character in a multi-line buffer.
int CharStart(const EditBuffer& buffer, int pos);
// Offsets of the character boundary before and after pos.
int PrevCharBoundary(const EditBuffer& buffer, int pos);
int NextCharBoundary(const EditBuffer& buffer, int pos);

// Selects [start, start + length), both edges moved back to a character start and
// kept inside the text.
void SetSelection(EditBuffer& buffer, int start, int length);
std::string SelectedText(const EditBuffer& buffer);
// Selects the word at pos (a run of characters other than blanks and line breaks that
// holds pos or ends there), as a double click does; nothing between words.
void SelectWordAt(EditBuffer& buffer, int pos);

// Replaces the selection by text, cut to what the maximum length leaves room for;
// the caret ends after the inserted text. Returns whether the text changed.
bool ReplaceSelection(EditBuffer& buffer, std::string_view text);
// Backspace and Delete: remove the selection, else the character before or after the
// caret. Return whether the text changed.
bool DeleteBackward(EditBuffer& buffer);
bool DeleteForward(EditBuffer& buffer);

// Line breaks in text made to CR LF for a multi-line buffer; for a single-line buffer
// the text up to its first line break, as pasting into a one-line edit keeps.
std::string NormalizeInsertion(const EditBuffer& buffer, std::string_view text);

// The lines of a memo text: split at CR LF, CR or LF; a last empty line (the text ends
// with a line break) is not a line.
std::vector<std::string> SplitLines(std::string_view text);
// Offset of the first byte of line n (the text length when there is no such line).
int LineStart(std::string_view text, int line);
// Line holding offset pos.
int LineOfOffset(std::string_view text, int pos);

}  // namespace ui
