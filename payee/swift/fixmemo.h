// TFixedMemo: a fixed-pitch memo restricted to SWIFT text, with a limit on the number
// of lines (Maxline) and on the bytes of one line (CharPerLine). A refused change is
// undone silently and the caret goes back to where it was when the key was pressed.
#pragma once

#include <cstdint>
#include <string>

#include "payee/swift/ChangeGuard.h"
#include "ui/Edits.h"

namespace payee {

class TFixedMemo : public ui::TMemo {
 public:
  TFixedMemo(ui::TComponent* owner, std::string name);
  const char* ClassName() const override { return "TFixedMemo"; }

  // Allowed characters and allowed first characters: the SWIFT sets at creation, stored
  // for whoever reads them; the check always uses the SWIFT sets.
  const std::string& Mapstr() const { return mapstr_; }
  void SetMapstr(std::string set) { mapstr_ = std::move(set); }
  const std::string& HeadMapstr() const { return headMapstr_; }
  void SetHeadMapstr(std::string set) { headMapstr_ = std::move(set); }
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

  std::string mapstr_;
  std::string headMapstr_;
  int charPerLine_ = 0;
  int maxline_ = 0;
  TChangeGuard guard_;
};

}  // namespace payee
