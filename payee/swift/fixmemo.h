// TFixedMemo: a fixed-pitch memo restricted to SWIFT text, with a limit on the number
// of lines (Maxline) and on the bytes of one line (CharPerLine). A refused change is
// undone silently and the caret goes back to where it was when the key was pressed.
#pragma once

#include <cstdint>
#include <string>

#include "payee/swift/ChangeGuard.h"
#include "payee/swift/SwiftSets.h"
#include "ui/Edits.h"

namespace payee {

class TFixedMemo : public ui::TMemo, public TSwiftSets {
 public:
  TFixedMemo(ui::TComponent* owner, std::string name);
  const char* ClassName() const override { return "TFixedMemo"; }

  // Maximum length of one line in bytes; 0 or less: no limit. Applies to later changes.
  int CharPerLine() const { return charPerLine_; }
  void SetCharPerLine(int bytes) { charPerLine_ = bytes; }

  // Maximum number of lines; 0 or less: no limit.
  int Maxline() const { return maxline_; }
  // Deletes the lines past the new limit, then stores it.
  void SetMaxline(int maxline);

  void KeyDown(std::uint16_t& key, ui::TShiftState shift) override;

 protected:
  void Change() override;

 private:
  bool Acceptable() const;

  int charPerLine_ = 0;
  int maxline_ = 0;
  TChangeGuard guard_;
};

}  // namespace payee
