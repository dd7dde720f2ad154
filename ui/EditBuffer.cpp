#include "ui/EditBuffer.h"

#include <algorithm>

#include "sys/GbkChar.h"

namespace ui {
namespace {

// Bytes of the character at pos in text: CR LF in a multi-line buffer is two, a
// double-byte character is two (sys/GbkChar.h: a lead byte without its trail byte is one
// broken byte, so a field separator after it is never taken with it), everything else one.
std::size_t CharBytes(std::string_view text, std::size_t pos, bool multiLine) {
  if (multiLine && pos + 1 < text.size() && text[pos] == '\r' && text[pos + 1] == '\n') {
    return 2;
  }
  return std::max<std::size_t>(sys::GbkCharLength(text, pos), 1);
}

int CharLength(const EditBuffer& buffer, int pos) {
  return static_cast<int>(CharBytes(buffer.Text, static_cast<std::size_t>(pos), buffer.MultiLine));
}

// Length of the longest prefix of text that is whole characters and at most room bytes.
std::size_t FitWhole(std::string_view text, std::size_t room, bool multiLine) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t len = CharBytes(text, pos, multiLine);
    if (pos + len > room) {
      break;
    }
    pos += len;
  }
  return pos;
}

bool IsBreak(char c) {
  return c == '\r' || c == '\n';
}

// Length of the line break starting at pos (CR LF, CR or LF), 0 when none.
std::size_t BreakLength(std::string_view text, std::size_t pos) {
  if (pos >= text.size() || !IsBreak(text[pos])) {
    return 0;
  }
  if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
    return 2;
  }
  return 1;
}

}  // namespace

int CharStart(const EditBuffer& buffer, int pos) {
  int size = static_cast<int>(buffer.Text.size());
  if (pos <= 0) {
    return 0;
  }
  if (pos >= size) {
    return size;
  }
  int start = 0;
  while (start < size) {
    int next = start + CharLength(buffer, start);
    if (next > pos) {
      return start;
    }
    start = next;
  }
  return size;
}

int PrevCharBoundary(const EditBuffer& buffer, int pos) {
  if (pos <= 0) {
    return 0;
  }
  return CharStart(buffer, CharStart(buffer, pos) == pos ? pos - 1 : pos);
}

int NextCharBoundary(const EditBuffer& buffer, int pos) {
  int size = static_cast<int>(buffer.Text.size());
  if (pos >= size) {
    return size;
  }
  int start = CharStart(buffer, pos);
  return start + CharLength(buffer, start);
}

namespace {

// Blanks and line breaks part words; a trail byte is never one of them.
bool PartsWords(const EditBuffer& buffer, int pos) {
  const char c = buffer.Text[static_cast<std::size_t>(pos)];
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

void SelectWordAt(EditBuffer& buffer, int pos) {
  const int size = static_cast<int>(buffer.Text.size());
  pos = CharStart(buffer, std::clamp(pos, 0, size));
  if ((pos == size || PartsWords(buffer, pos)) && pos > 0 &&
      !PartsWords(buffer, PrevCharBoundary(buffer, pos))) {
    pos = PrevCharBoundary(buffer, pos);  // the word that ends at pos
  }
  if (pos == size || PartsWords(buffer, pos)) {
    SetSelection(buffer, pos, 0);
    return;
  }
  int start = pos;
  while (start > 0 && !PartsWords(buffer, PrevCharBoundary(buffer, start))) {
    start = PrevCharBoundary(buffer, start);
  }
  int end = pos;
  while (end < size && !PartsWords(buffer, end)) {
    end = NextCharBoundary(buffer, end);
  }
  SetSelection(buffer, start, end - start);
}

void SetSelection(EditBuffer& buffer, int start, int length) {
  if (length < 0) {
    start += length;
    length = -length;
  }
  int size = static_cast<int>(buffer.Text.size());
  start = CharStart(buffer, std::clamp(start, 0, size));
  long end = std::min<long>(static_cast<long>(start) + length, size);
  end = CharStart(buffer, static_cast<int>(end));
  buffer.SelStart = start;
  buffer.SelLength = static_cast<int>(end) - start;
}

std::string SelectedText(const EditBuffer& buffer) {
  return buffer.Text.substr(buffer.SelStart, buffer.SelLength);
}

bool ReplaceSelection(EditBuffer& buffer, std::string_view text) {
  std::size_t kept = buffer.Text.size() - buffer.SelLength;
  std::size_t fits = text.size();
  if (buffer.MaxLength > 0) {
    std::size_t room =
        kept < static_cast<std::size_t>(buffer.MaxLength) ? buffer.MaxLength - kept : 0;
    fits = FitWhole(text, room, buffer.MultiLine);
    // Nothing of a non-empty insertion fits: the edit refuses the key as a whole.
    if (fits == 0 && !text.empty()) {
      return false;
    }
  }
  std::string_view inserted = text.substr(0, fits);
  bool changed =
      inserted != std::string_view(buffer.Text).substr(buffer.SelStart, buffer.SelLength);
  buffer.Text.replace(buffer.SelStart, buffer.SelLength, inserted);
  buffer.SelStart += static_cast<int>(inserted.size());
  buffer.SelLength = 0;
  return changed;
}

bool DeleteBackward(EditBuffer& buffer) {
  if (buffer.SelLength == 0) {
    if (buffer.SelStart == 0) {
      return false;
    }
    int prev = PrevCharBoundary(buffer, buffer.SelStart);
    buffer.SelLength = buffer.SelStart - prev;
    buffer.SelStart = prev;
  }
  buffer.Text.erase(buffer.SelStart, buffer.SelLength);
  buffer.SelLength = 0;
  return true;
}

bool DeleteForward(EditBuffer& buffer) {
  if (buffer.SelLength == 0) {
    if (buffer.SelStart >= static_cast<int>(buffer.Text.size())) {
      return false;
    }
    buffer.SelLength = NextCharBoundary(buffer, buffer.SelStart) - buffer.SelStart;
  }
  buffer.Text.erase(buffer.SelStart, buffer.SelLength);
  buffer.SelLength = 0;
  return true;
}

std::string NormalizeInsertion(const EditBuffer& buffer, std::string_view text) {
  if (!buffer.MultiLine) {
    std::size_t cut = text.find_first_of("\r\n");
    return std::string(text.substr(0, cut));
  }
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    if (std::size_t br = BreakLength(text, pos)) {
      out += "\r\n";
      pos += br;
    } else {
      out += text[pos++];
    }
  }
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    if (std::size_t br = BreakLength(text, pos)) {
      lines.emplace_back(text.substr(start, pos - start));
      pos += br;
      start = pos;
    } else {
      ++pos;
    }
  }
  if (start < text.size()) {
    lines.emplace_back(text.substr(start));
  }
  return lines;
}

int LineStart(std::string_view text, int line) {
  std::size_t pos = 0;
  for (int n = 0; n < line; ++n) {
    while (pos < text.size() && !IsBreak(text[pos])) {
      ++pos;
    }
    if (pos >= text.size()) {
      return static_cast<int>(text.size());
    }
    pos += BreakLength(text, pos);
  }
  return static_cast<int>(pos);
}

int LineOfOffset(std::string_view text, int pos) {
  int line = 0;
  std::size_t end = std::min<std::size_t>(std::max(pos, 0), text.size());
  for (std::size_t i = 0; i < end;) {
    if (std::size_t br = BreakLength(text, i)) {
      if (i + br > end) {
        break;
      }
      ++line;
      i += br;
    } else {
      ++i;
    }
  }
  return line;
}

}  // namespace ui
