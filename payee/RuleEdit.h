// TRuleEdit: a single-line edit that refuses any change leaving characters outside
// the SWIFT set or a forbidden first character. A refused change is undone silently
// and the caret goes back to where it was when the key was pressed.
#pragma once

#include <cstdint>
#include <string>

#include "ui/Edits.h"

namespace payee {

class TRuleEdit : public ui::TEdit {
 public:
  TRuleEdit(ui::TComponent* owner, std::string name);
  const char* ClassName() const override { return "TRuleEdit"; }

  // Allowed characters and allowed first characters; the SWIFT sets at creation.
  std::string Mapstr;
  std::string HeadMapstr;

  void KeyDown(std::uint16_t& key, ui::TShiftState shift) override;

 protected:
  void Change() override;

 private:
  void Undo();

  bool armed_ = false;     // a key press's effect is still to be validated
  std::string savedText_;  // the text at that key press, or as last accepted since
  int savedCaret_ = 0;     // selection start then
};

}  // namespace payee
