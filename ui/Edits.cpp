#include "ui/Edits.h"

#include <algorithm>

#include "ui/Platform.h"

namespace ui {

TCustomEdit::TCustomEdit(TComponent* owner, std::string name, bool multiLine)
    : TWinControl(owner, std::move(name)) {
  buffer_.MultiLine = multiLine;
}

void TCustomEdit::SetText(std::string text) {
  if (text == buffer_.Text) {
    return;
  }
  buffer_.Text = std::move(text);
  buffer_.SelStart = 0;
  buffer_.SelLength = 0;
  TextChanged();
}

void TCustomEdit::Select(int start, int length) {
  caretAtStart_ = false;
  const int selStart = buffer_.SelStart;
  const int selLength = buffer_.SelLength;
  SetSelection(buffer_, start, length);
  if (buffer_.SelStart != selStart || buffer_.SelLength != selLength) {
    Changed(chSelection);
  }
}

// Code is not held to the operator's maximum length.
void TCustomEdit::SetSelText(const std::string& text) {
  int limit = buffer_.MaxLength;
  buffer_.MaxLength = 0;
  bool changed = ReplaceSelection(buffer_, text);
  buffer_.MaxLength = limit;
  if (changed) {
    TextChanged();
  }
}

void TCustomEdit::TextChanged() {
  Changed(chText | chSelection);
  Change();
}

void TCustomEdit::Change() {
  if (OnChange) {
    OnChange(this);
  }
}

void TCustomEdit::InsertTyped(std::string_view text) {
  if (readOnly_) {
    return;
  }
  if (ReplaceSelection(buffer_, text)) {
    TextChanged();
  }
}

void TCustomEdit::SelectWord(int pos) {
  EditBuffer word = buffer_;
  SelectWordAt(word, pos);
  Select(word.SelStart, word.SelLength);
}

void TCustomEdit::MoveCaret(int pos, bool extend) {
  if (!extend) {
    Select(pos, 0);
    return;
  }
  const int anchor = caretAtStart_ ? buffer_.SelStart + buffer_.SelLength : buffer_.SelStart;
  const int from = std::min(anchor, pos);
  Select(from, std::max(anchor, pos) - from);
  caretAtStart_ = pos < anchor;
}

// Caret keys move over whole characters (Shift selects what they pass); Backspace and
// Delete remove one (or the selection) and never reach key press.
void TCustomEdit::HandleKey(std::uint16_t key, TShiftState shift) {
  int size = static_cast<int>(buffer_.Text.size());
  if ((shift & ssShift) != 0) {
    switch (key) {
      case vk::Left:
        MoveCaret(PrevCharBoundary(buffer_, Caret()), true);
        return;
      case vk::Right:
        MoveCaret(NextCharBoundary(buffer_, Caret()), true);
        return;
      case vk::Home:
        MoveCaret(0, true);
        return;
      case vk::End:
        MoveCaret(size, true);
        return;
      default:
        break;
    }
  }
  if (key == 'A' && (shift & ssCtrl) != 0) {
    SelectAll();
    return;
  }
  // Ctrl+X removes the selection (the platform has put it on the clipboard), a change
  // like any other.
  if (key == 'X' && (shift & ssCtrl) != 0) {
    if (!readOnly_ && buffer_.SelLength != 0 && DeleteForward(buffer_)) {
      TextChanged();
    }
    return;
  }
  switch (key) {
    case vk::Back:
      if (!readOnly_ && DeleteBackward(buffer_)) {
        TextChanged();
      }
      break;
    case vk::Delete:
      if (!readOnly_ && DeleteForward(buffer_)) {
        TextChanged();
      }
      break;
    case vk::Left:
      Select(buffer_.SelLength ? buffer_.SelStart : PrevCharBoundary(buffer_, buffer_.SelStart), 0);
      break;
    case vk::Right:
      Select(buffer_.SelLength ? buffer_.SelStart + buffer_.SelLength
                               : NextCharBoundary(buffer_, buffer_.SelStart),
             0);
      break;
    case vk::Home:
      Select(0, 0);
      break;
    case vk::End:
      Select(size, 0);
      break;
    default:
      break;
  }
}

// Control characters (Enter, Escape, Ctrl+letters) insert nothing in a one-line edit.
void TCustomEdit::HandleChar(char key) {
  if (static_cast<unsigned char>(key) < 0x20) {
    return;
  }
  InsertTyped(std::string_view(&key, 1));
}

void TCustomEdit::HandleDoubleByte(const std::string& character) {
  InsertTyped(character);
}

void TCustomEdit::HandlePaste(const std::string& text) {
  InsertTyped(NormalizeInsertion(buffer_, text));
}

void TMemo::SetLines(const TStrings& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) {
      text += "\r\n";
    }
    text += lines[i];
  }
  SetText(std::move(text));
}

void TMemo::AddLine(const std::string& line) {
  TStrings lines = Lines();
  lines.push_back(line);
  SetLines(lines);
}

void TMemo::AppendLine(std::string_view line) {
  std::string& text = Buffer().Text;
  const std::size_t before = text.size();
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') {
    text += "\r\n";
  }
  text.append(line);
  if (text.size() == before) {
    return;
  }
  Buffer().SelStart = 0;
  Buffer().SelLength = 0;
  TextChanged();
}

void TMemo::DeleteLine(int index) {
  TStrings lines = Lines();
  if (index < 0 || index >= static_cast<int>(lines.size())) {
    return;
  }
  lines.erase(lines.begin() + index);
  SetLines(lines);
}

bool TMemo::WantsKey(std::uint16_t key) const {
  return (key == vk::Return && wantReturns_) || (key == vk::Tab && wantTabs_);
}

// Up and Down keep the column as far as the other line allows; Home and End stay on
// the caret's line.
void TMemo::HandleKey(std::uint16_t key, TShiftState shift) {
  const std::string& text = Text();
  int line = CaretLine();
  int start = LineStart(text, line);
  TStrings lines = Lines();
  auto lineLength = [&](int n) {
    return n < static_cast<int>(lines.size()) ? static_cast<int>(lines[n].size()) : 0;
  };
  switch (key) {
    case vk::Up:
    case vk::Down: {
      int target = key == vk::Up ? line - 1 : line + 1;
      if (target < 0 || target > static_cast<int>(lines.size())) {
        return;
      }
      // Below the last line there is only the empty line after a final line break.
      bool trailingBreak = !text.empty() && (text.back() == '\n' || text.back() == '\r');
      if (target == static_cast<int>(lines.size()) && !trailingBreak) {
        return;
      }
      int column = std::min(SelStart() - start, lineLength(target));
      Select(LineStart(text, target) + column, 0);
      return;
    }
    case vk::Home:
      MoveCaret(start, (shift & ssShift) != 0);
      return;
    case vk::End:
      MoveCaret(start + lineLength(line), (shift & ssShift) != 0);
      return;
    default:
      TCustomEdit::HandleKey(key, shift);
  }
}

void TMemo::HandleChar(char key) {
  if (key == '\r') {
    if (wantReturns_) {
      InsertTyped("\r\n");
    }
    return;
  }
  if (key == '\t') {
    if (wantTabs_) {
      InsertTyped("\t");
    }
    return;
  }
  TCustomEdit::HandleChar(key);
}

bool TFileNameEdit::ButtonClick() {
  if (OnButtonClick) {
    OnButtonClick(this);
  }
  std::string path = Text();
  if (!CurrentPlatform().FileDialog(saveDialog_, filter_, path)) {
    return false;
  }
  SetText(path);
  return true;
}

}  // namespace ui
