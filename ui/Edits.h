// Edit controls: the single-line edit, the memo and the file-name edit.
//
// Setting the text from code fires Change (and so OnChange); the operator's typing,
// Backspace, Delete and paste fire it once per change through the keyboard methods of
// TWinControl. A derived control overrides Change to validate a change before the
// handlers see it, and may put the text back with SetText.
#pragma once

#include <string>
#include <string_view>

#include "ui/Control.h"
#include "ui/EditBuffer.h"

namespace ui {

class TCustomEdit : public TWinControl {
 public:
  TCustomEdit(TComponent* owner, std::string name, bool multiLine);
  const char* ClassName() const override { return "TCustomEdit"; }

  const std::string& Text() const { return buffer_.Text; }
  // Replaces the whole text, caret at its start; fires Change when the text differs.
  // Like the platform's edit, the maximum length limits the operator, not the code.
  void SetText(std::string text);
  std::string DisplayText() const override { return buffer_.Text; }

  int SelStart() const { return buffer_.SelStart; }
  int SelLength() const { return buffer_.SelLength; }
  // Caret at pos (moved back to a character start, kept inside the text), no selection.
  void SetSelStart(int pos) { Select(pos, 0); }
  void SetSelLength(int length) { Select(buffer_.SelStart, length); }
  // Selects from start; the caret stands at the selection's end.
  void Select(int start, int length);
  void SelectAll() { Select(0, static_cast<int>(buffer_.Text.size())); }
  // Selects the word at pos, as a double click does (ui/EditBuffer.h SelectWordAt).
  void SelectWord(int pos);
  // The caret: the end of the selection the operator's Shift keys move.
  int Caret() const {
    return caretAtStart_ ? buffer_.SelStart : buffer_.SelStart + buffer_.SelLength;
  }
  std::string SelText() const { return SelectedText(buffer_); }
  // Replaces the selection as code would; fires Change when the text changed.
  void SetSelText(const std::string& text);

  // Maximum length in bytes; 0 for no limit. Limits typing and paste.
  int MaxLength() const { return buffer_.MaxLength; }
  void SetMaxLength(int maxLength) { buffer_.MaxLength = maxLength < 0 ? 0 : maxLength; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { Assign(readOnly_, readOnly, chLook); }

  TNotifyEvent OnChange;

  // Caret keys (with Shift they select), Ctrl+A selects all, Ctrl+X removes the
  // selection, Backspace and Delete.
  void HandleKey(std::uint16_t key, TShiftState shift) override;
  void HandleChar(char key) override;
  void HandleDoubleByte(const std::string& character) override;
  void HandlePaste(const std::string& text) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
  // Runs after every change of the text, before OnChange; fires OnChange.
  virtual void Change();
  // The text changed: recorded for the platform (whatever Change then lets through),
  // then Change.
  void TextChanged();
  EditBuffer& Buffer() { return buffer_; }
  const EditBuffer& Buffer() const { return buffer_; }
  // Replaces the selection by text typed or pasted by the operator; fires Change when
  // something changed.
  void InsertTyped(std::string_view text);
  // Moves the caret to pos; with extend the selection runs from where it was anchored
  // (its end away from the caret) to pos, as Shift with a caret key does.
  void MoveCaret(int pos, bool extend);

 private:
  EditBuffer buffer_;
  bool readOnly_ = false;
  bool caretAtStart_ = false;  // the operator's Shift keys moved the caret before the anchor
};

class TEdit : public TCustomEdit {
 public:
  TEdit(TComponent* owner, std::string name) : TCustomEdit(owner, std::move(name), false) {
    SetColor(clWindow);
  }
  const char* ClassName() const override { return "TEdit"; }
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char passwordChar) { Assign(passwordChar_, passwordChar, chLook); }

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  char passwordChar_ = 0;
};

class TMemo : public TCustomEdit {
 public:
  TMemo(TComponent* owner, std::string name) : TCustomEdit(owner, std::move(name), true) {
    SetColor(clWindow);
  }
  const char* ClassName() const override { return "TMemo"; }

  // Lines of the text (a last empty line is not counted, as the platform's memo counts).
  TStrings Lines() const { return SplitLines(Text()); }
  int LineCount() const { return static_cast<int>(Lines().size()); }
  // Replaces all lines at once (joined with CR LF): one change, as an update bracket
  // around the memo's line list gives.
  void SetLines(const TStrings& lines);
  void AddLine(const std::string& line);
  // AddLine's result at the cost of the new line alone: the text is extended in place,
  // not split and joined again, so a log written line by line stays linear. The lines
  // before keep their line breaks as they are.
  void AppendLine(std::string_view line);
  void DeleteLine(int index);
  void Clear() { SetText(std::string()); }
  // Line holding the caret.
  int CaretLine() const { return LineOfOffset(Text(), SelStart()); }

  // Whether Enter and Tab go into the text rather than to the form.
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool want) { wantReturns_ = want; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool want) { wantTabs_ = want; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wordWrap) { Assign(wordWrap_, wordWrap, chLook); }
  enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle scrollBars) { Assign(scrollBars_, scrollBars, chLook); }

  bool WantsKey(std::uint16_t key) const override;
  void HandleKey(std::uint16_t key, TShiftState shift) override;
  void HandleChar(char key) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  bool wordWrap_ = true;
  TScrollStyle scrollBars_ = ssNone;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
};

// An edit with a browse button that opens the platform's file dialog.
class TFileNameEdit : public TCustomEdit {
 public:
  TFileNameEdit(TComponent* owner, std::string name) : TCustomEdit(owner, std::move(name), false) {
    SetColor(clWindow);
  }
  // The original component library's class name.
  const char* ClassName() const override { return "TFilenameEdit"; }

  // The file dialog's filter: "Text files (*.txt)|*.txt|All files (*.*)|*.*".
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string filter) { filter_ = std::move(filter); }
  // A save dialog (a name that may not exist yet) rather than an open dialog.
  bool SaveDialog() const { return saveDialog_; }
  void SetSaveDialog(bool save) { saveDialog_ = save; }
  // The browse button: the file dialog with the current text as initial name; a chosen
  // name becomes the text (firing Change). Returns false when cancelled.
  bool ButtonClick();
  TNotifyEvent OnButtonClick;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  std::string filter_;
  bool saveDialog_ = false;
};

}  // namespace ui
